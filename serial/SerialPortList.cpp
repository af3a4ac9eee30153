#include "SerialPortList.h"

#include "EComPort.h"
#include "platform/Conversions.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <memory>

#include <dirent.h>
#include <sys/stat.h>

namespace {

constexpr const char* TtyClassFolder = "/sys/class/tty";

struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};
using Directory = std::unique_ptr<DIR, DirectoryCloser>;

bool Exists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

// Serial-core reserves every ttyS line the kernel was built for, UART or not; the ones without
// a UART behind them report type 0 (unknown). Drivers outside serial-core (USB, ACM) have no
// type at all and are real by having a device.
bool IsPlaceholder(const std::string& entryFolder) {
    std::ifstream typeFile(entryFolder + "/type");
    int type = 0;
    return typeFile >> type && type == 0;
}

class SysfsSerialPorts : public SerialPortSource {
public:
    explicit SysfsSerialPorts(std::string folder) : folder_(std::move(folder)) {}
    std::vector<std::string> Ports() const override { return SerialPortsInTtyClass(folder_); }

private:
    std::string folder_;
};

} // namespace

std::vector<std::string> SerialPortsInTtyClass(const std::string& folder) {
    const Directory directory(::opendir(folder.c_str()));
    if (!directory) {
        throw EComPort(ComError::RegError, errno);
    }
    std::vector<std::string> ports;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(directory.get());
        if (entry == nullptr) {
            if (errno != 0) {
                throw EComPort(ComError::RegError, errno);
            }
            break;
        }
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        const std::string entryFolder = folder + "/" + name;
        // Virtual consoles and pseudo-terminals have no device behind them.
        if (!Exists(entryFolder + "/device") || IsPlaceholder(entryFolder)) {
            continue;
        }
        ports.push_back("/dev/" + name);
    }
    return ports;
}

const SerialPortSource& SystemSerialPorts() {
    static const SysfsSerialPorts ports(TtyClassFolder);
    return ports;
}

void EnumSerialPorts(TStringList& target, const SerialPortSource& source) {
    struct Entry {
        std::string key;
        std::string port;
    };
    std::vector<Entry> entries;
    for (std::string& port : source.Ports()) {
        entries.push_back({UpperCaseAscii(port), std::move(port)});
    }
    // By text, not number: COM10 comes before COM2.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.key < b.key; });
    std::vector<std::string> sorted;
    sorted.reserve(entries.size());
    for (Entry& entry : entries) {
        sorted.push_back(std::move(entry.port));
    }
    target = TStringList(std::move(sorted));
}
