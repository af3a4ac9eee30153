#include "web/WebSettings.h"

#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* SettingsKey = "HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence";

struct SettingsCase {
    const char* name;
    std::string stored; // the values' lines under the key "Web"; none: no such key
    WebSettings commandLine;
    WebSettings expected;
};

bool operator==(const WebSettings& a, const WebSettings& b) {
    return a.Http == b.Http && a.HttpToken == b.HttpToken && a.HttpPosition == b.HttpPosition;
}

TEST(WebSettings, CommandLineWinsOverWhatIsStored) {
    const std::vector<SettingsCase> cases{
        {"nothing anywhere", "", {}, {}},
        {"stored only",
         "\"Http\"=\"0.0.0.0:8080\"\r\n\"HttpToken\"=\"/srv/token\"\r\n"
         "\"HttpPosition\"=dword:00000001\r\n",
         {},
         {"0.0.0.0:8080", "/srv/token", true}},
        {"command line over stored",
         "\"Http\"=\"0.0.0.0:8080\"\r\n\"HttpToken\"=\"/srv/token\"\r\n",
         {"8081", "/etc/token", false},
         {"8081", "/etc/token", false}},
        {"command line only",
         "",
         {"127.0.0.1:9000", std::nullopt, true},
         {"127.0.0.1:9000", std::nullopt, true}},
        {"position switched off in the settings",
         "\"Http\"=\"8080\"\r\n\"HttpPosition\"=dword:0\r\n",
         {},
         {"8080", std::nullopt, false}},
        {"empty text is no setting", "\"Http\"=\"\"\r\n", {}, {}},
        {"a value of the wrong kind",
         "\"Http\"=\"8080\"\r\n\"HttpPosition\"=\"yes\"\r\n",
         {},
         {"8080", std::nullopt, false}},
    };
    for (const SettingsCase& settings : cases) {
        SCOPED_TRACE(settings.name);
        const TemporaryFolder folder;
        const std::string file = folder.File("registry.reg");
        if (!settings.stored.empty()) {
            WriteFileBytes(file,
                           "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence\\Web]"
                           "\r\n" +
                               settings.stored);
        }
        EXPECT_TRUE(WebSettings::Read(SettingsKey, file).Under(settings.commandLine) ==
                    settings.expected);
        // Reading makes no key and no file.
        if (settings.stored.empty()) {
            EXPECT_TRUE(FolderEntries(folder.Path()).empty());
        }
    }
}

TEST(WebSettings, DamagedStoreIsNoSetting) {
    const TemporaryFolder folder;
    const std::string file = folder.File("registry.reg");
    WriteFileBytes(file,
                   "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence\\Web]\r\n"
                   "\"Http\"=\"8080\"\r\nthis is no line of a registry file\r\n");
    EXPECT_EQ(WebSettings::Read(SettingsKey, file).Http, std::nullopt);
}

} // namespace
