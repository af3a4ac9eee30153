#include "FuzzCheck.h"
#include "FuzzEntries.h"
#include "StoredPort.h"
#include "platform/TIniFile.h"
#include "tests/TemporaryFolder.h"

#include <string>
#include <string_view>

namespace {

void ReadEntries(TIniFile& ini) {
    for (const char* section : {"ComPort", " comport ", "", "]"}) {
        for (const char* key : {"Port", "BaudRate", "", ";x"}) {
            static_cast<void>(ini.ReadString(section, key, "fallback"));
            static_cast<void>(ini.ReadInteger(section, key, -1));
        }
    }
}

// Any text without a line break reads back as written, blanks and quotes included; here texts
// made from the file's own first line, so that they look like what is in it.
void CheckWrittenValues(TIniFile& ini, std::string_view content) {
    const std::string line(content.substr(0, content.find_first_of("\r\n")));
    for (const std::string& value : {line, " " + line + "\t", "\"" + line + "\"", std::string()}) {
        ini.WriteString("ComPort", "Port", value);
        FuzzCheck(ini.ReadString("ComPort", "Port", "fallback") == value,
                  "a written ini value reads back");
    }
}

} // namespace

void FuzzIniFile(std::span<const std::uint8_t> data) {
    const TemporaryFolder folder;
    const std::string content(reinterpret_cast<const char*>(data.data()), data.size());
    const std::string file = folder.File("under-test.ini");
    WriteFileBytes(file, content);
    // Files of the fuzzer's sizes are always read and written: nothing raises here.
    TIniFile ini(file);
    ReadEntries(ini);
    CheckStoredSettingsRoundTrip(TStoreType::storeIniFile, file, folder);
    CheckWrittenValues(ini, content);
}
