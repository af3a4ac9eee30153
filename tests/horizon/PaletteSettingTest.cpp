#include "horizon/PaletteSetting.h"
#include "platform/TRegistry.h"

#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace {

constexpr const char* SettingsKey = "HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence";

struct StoredCase {
    const char* name;
    // Prepares the registry file at the path.
    std::function<void(const std::string& file)> store;
    Palette palette;
};

void StoreText(const std::string& file, const std::string& text) {
    TRegistry registry(file);
    registry.OpenKey("Software\\Brennick\\Skyfence\\Display", true);
    registry.WriteString("Palette", text);
}

class StoredPalette : public testing::TestWithParam<StoredCase> {};

TEST_P(StoredPalette, ReadsAsGreyUnlessItSaysColour) {
    const TemporaryFolder folder;
    const std::string file = folder.File("registry.reg");
    GetParam().store(file);
    EXPECT_EQ(PaletteSetting(SettingsKey, file).Read(), GetParam().palette);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredPalette,
    testing::Values(
        StoredCase{"no_file", [](const std::string&) {}, Palette::Grey},
        StoredCase{"colour", [](const std::string& f) { StoreText(f, "Colour (viridis)"); },
                   Palette::Viridis},
        StoredCase{"grey", [](const std::string& f) { StoreText(f, "Grey levels"); },
                   Palette::Grey},
        StoredCase{"unknown_text", [](const std::string& f) { StoreText(f, "Rainbow"); },
                   Palette::Grey},
        StoredCase{"other_case", [](const std::string& f) { StoreText(f, "colour (viridis)"); },
                   Palette::Grey},
        StoredCase{"damaged_file",
                   [](const std::string& f) { WriteFileBytes(f, "\x01\xff[Palette\n=\"\n"); },
                   Palette::Grey},
        StoredCase{"file_is_a_folder",
                   [](const std::string& f) { std::filesystem::create_directory(f); },
                   Palette::Grey}),
    CaseName());

TEST(PaletteSetting, RoundTripsBesideTheOtherSettings) {
    const TemporaryFolder folder;
    const std::string file = folder.File("registry.reg");
    {
        TRegistry registry(file);
        registry.OpenKey("Software\\Brennick\\Skyfence\\ComPort", true);
        registry.WriteString("Port", "/dev/ttyUSB0");
    }
    const PaletteSetting setting(SettingsKey, file);
    for (const Palette palette : {Palette::Viridis, Palette::Grey, Palette::Viridis}) {
        setting.Write(palette);
        EXPECT_EQ(setting.Read(), palette);
    }
    TRegistry registry(file);
    registry.OpenKey("Software\\Brennick\\Skyfence\\Display", false);
    EXPECT_EQ(registry.ReadString("Palette"), "Colour (viridis)");
    registry.OpenKey("\\Software\\Brennick\\Skyfence\\ComPort", false);
    EXPECT_EQ(registry.ReadString("Port"), "/dev/ttyUSB0");
}

TEST(PaletteSetting, WriteThatCannotBeStoredRaises) {
    const TemporaryFolder folder;
    WriteFileBytes(folder.File("file"), "");
    EXPECT_THROW(PaletteSetting(SettingsKey, folder.File("file/registry.reg")).Write(Palette::Grey),
                 std::exception);
}

} // namespace
