#include "ReplayLog.h"

#include "platform/Exception.h"
#include "platform/FileDescriptor.h"
#include "platform/SystemError.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

ReplayLog ReplayLog::Load(const std::string& path) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.IsOpen()) {
        throw EFileError(FileErrorText("read", path, errno));
    }
    std::string recorded;
    std::array<char, 64 * 1024> buffer{};
    for (;;) {
        const ssize_t got = ::read(file.Get(), buffer.data(), buffer.size());
        if (got == 0) {
            return ReplayLog(recorded);
        }
        if (got < 0 && errno != EINTR) {
            throw EFileError(FileErrorText("read", path, errno));
        }
        if (got > 0) {
            recorded.append(buffer.data(), static_cast<std::size_t>(got));
        }
    }
}

ReplayLog::ReplayLog(std::string_view recorded) {
    bytes_.reserve(recorded.size());
    while (!recorded.empty()) {
        const std::size_t end = recorded.find('\n');
        const std::size_t length = end == std::string_view::npos ? recorded.size() : end + 1;
        if (!recorded.starts_with('#')) {
            bytes_.append(recorded.substr(0, length));
        }
        recorded.remove_prefix(length);
    }
}
