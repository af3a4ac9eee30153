#include "SerialTestSupport.h"

#include "platform/TRegistry.h"
#include "serial/ComTexts.h"
#include "serial/EComPort.h"

#include "EnvironmentVariable.h"
#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

using testing::HasSubstr;

const std::string SkyfenceKey = "HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence";

TEST(ComTexts, TablesRoundTripAndIgnoreLetterCase) {
    for (int i = 0; i < 16; ++i) {
        const auto rate = static_cast<TBaudRate>(i);
        EXPECT_EQ(TextToBaudRate(BaudRateToText(rate)), rate);
    }
    EXPECT_EQ(BaudRateToText(TBaudRate::brCustom), "Custom");
    EXPECT_EQ(TextToBaudRate("custom"), TBaudRate::brCustom);
    EXPECT_EQ(TextToBaudRate(" 9600"), TBaudRate::br9600);
    EXPECT_EQ(TextToBaudRate("4800"), TBaudRate::br4800);
    EXPECT_EQ(TextToBaudRate("9601"), TBaudRate::br9600);
    EXPECT_EQ(TextToStopBits("1.5"), TStopBits::sbOne5StopBits);
    EXPECT_EQ(TextToStopBits("3"), TStopBits::sbOneStopBit);
    EXPECT_EQ(TextToDataBits("7"), TDataBits::dbSeven);
    EXPECT_EQ(TextToDataBits(""), TDataBits::dbEight);
    EXPECT_EQ(TextToParity("none"), TParityBits::prNone);
    EXPECT_EQ(TextToParity("SPACE"), TParityBits::prSpace);
    EXPECT_EQ(TextToParity("x"), TParityBits::prNone);
    EXPECT_EQ(TextToFlowControl("hardware"), TFlowControl::fcHardware);
    EXPECT_EQ(TextToFlowControl(""), TFlowControl::fcCustom);
    EXPECT_EQ(TextToDTR("handshake"), TDTRFlowControl::dtrHandshake);
    EXPECT_EQ(TextToDTR("?"), TDTRFlowControl::dtrDisable);
    EXPECT_EQ(TextToRTS("Toggle"), TRTSFlowControl::rtsToggle);
    EXPECT_EQ(TextToRTS("?"), TRTSFlowControl::rtsDisable);
    EXPECT_EQ(ParityTexts().size(), 5u);
}

TEST(ComTexts, YesNo) {
    EXPECT_EQ(BoolToText(true), "Yes");
    EXPECT_EQ(BoolToText(false), "No");
    for (const char* yes : {"Yes", "yes", "YES"}) {
        EXPECT_TRUE(TextToBool(yes)) << yes;
    }
    for (const char* no : {"No", "True", "1", "", "Yes "}) {
        EXPECT_FALSE(TextToBool(no)) << no;
    }
}

struct CharCase {
    const char* name;
    std::string text;
    int code;
    bool roundTrips;
};

class Characters : public testing::TestWithParam<CharCase> {};

TEST_P(Characters, TextForm) {
    const CharCase& c = GetParam();
    EXPECT_EQ(static_cast<unsigned char>(TextToChar(c.text)), c.code);
    if (c.roundTrips) {
        EXPECT_EQ(CharToText(static_cast<char>(c.code)), c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, Characters,
    testing::Values(CharCase{"Xon", "#17", 17, true}, CharCase{"Space", "#32", 32, true},
                    CharCase{"Exclamation", "!", 33, true}, CharCase{"LetterA", "A", 65, true},
                    CharCase{"Code127", "\x7f", 127, true}, CharCase{"Code128", "#128", 128, true},
                    CharCase{"Code200", "#200", 200, true}, CharCase{"Nul", "#0", 0, true},
                    CharCase{"Empty", "", 0, false}, CharCase{"LoneHash", "#", '#', false},
                    CharCase{"HashNotANumber", "#x", 0, false},
                    CharCase{"LowEightBits", "#321", 65, false},
                    CharCase{"HexCode", "#$41", 65, false},
                    CharCase{"FirstOfMany", "AB", 'A', false}),
    CaseName());

// A port named ComPort whose registry is a file in a fresh folder.
class SettingsStore : public testing::Test {
protected:
    void SetUp() override { fake.port->SetName("ComPort"); }
    std::string RegistryFile() const { return folder.File("skyfence/registry.reg"); }
    std::string Registry() const { return ReadFileBytes(RegistryFile()); }
    void WriteRegistry(const std::string& values,
                       const std::string& key = SkyfenceKey + "\\ComPort") {
        std::filesystem::create_directories(folder.File("skyfence"));
        WriteFileBytes(RegistryFile(), "REGEDIT4\r\n\r\n[" + key + "]\r\n" + values);
    }
    int RestoreCode(TStoreType type, const std::string& path) {
        try {
            port().RestoreSettings(type, path);
            return 0;
        } catch (const EComPort& error) {
            EXPECT_EQ(error.SystemErrorCode(), -1);
            return error.ErrorCode();
        }
    }
    int SaveCode(TStoreType type, const std::string& path) {
        try {
            port().SaveSettings(type, path);
            return 0;
        } catch (const EComPort& error) {
            return error.ErrorCode();
        }
    }
    TCustomComPort& port() { return *fake.port; }

    TemporaryFolder folder;
    const EnvironmentVariable configuration{"XDG_CONFIG_HOME", folder.Path()};
    PortOnFake fake;
};

TEST_F(SettingsStore, FirstRunMakesTheKeyAndTakesTheFallbacks) {
    port().FlowControl().SetFlowControl(TFlowControl::fcHardware);
    port().SetBaudRate(TBaudRate::br115200);
    port().SetDataBits(TDataBits::dbSeven);
    EXPECT_EQ(RestoreCode(TStoreType::storeRegistry, SkyfenceKey), 0);
    EXPECT_EQ(port().Port(), "");
    EXPECT_EQ(port().BaudRate(), TBaudRate::br9600);
    EXPECT_EQ(port().StopBits(), TStopBits::sbOneStopBit);
    EXPECT_EQ(port().DataBits(), TDataBits::dbEight);
    EXPECT_EQ(port().Parity().Bits(), TParityBits::prNone);
    EXPECT_EQ(port().FlowControl().FlowControl(), TFlowControl::fcHardware);
    EXPECT_THAT(Registry(),
                HasSubstr("[HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence\\ComPort]"));
}

TEST_F(SettingsStore, CustomRateWithoutItsNumberFailsAfterAssigningWhatCameFirst) {
    WriteRegistry("\"Port\"=\"/dev/ttyUSB3\"\r\n\"BaudRate\"=\"Custom\"\r\n\"StopBits\"=\"2\"\r\n");
    EXPECT_EQ(RestoreCode(TStoreType::storeRegistry, SkyfenceKey), 17);
    EXPECT_EQ(port().Port(), "/dev/ttyUSB3");
    EXPECT_EQ(port().BaudRate(), TBaudRate::brCustom);
    EXPECT_EQ(port().StopBits(), TStopBits::sbOneStopBit);
}

TEST_F(SettingsStore, SavedKeysAndTheirTexts) {
    port().SetPort("/dev/ttyUSB0");
    port().FlowControl().SetFlowControl(TFlowControl::fcNone);
    EXPECT_EQ(SaveCode(TStoreType::storeRegistry, SkyfenceKey), 0);
    EXPECT_EQ(Registry(),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence\\ComPort]\r\n"
              "\"Port\"=\"/dev/ttyUSB0\"\r\n\"BaudRate\"=\"9600\"\r\n"
              "\"StopBits\"=\"1\"\r\n\"DataBits\"=\"8\"\r\n\"Parity\"=\"None\"\r\n"
              "\"FlowControl\"=\"None\"\r\n");
}

TEST_F(SettingsStore, CustomRateIsWrittenOnlyWhenCustomAndALeftOverStays) {
    port().SetBaudRate(TBaudRate::brCustom);
    port().SetCustomBaudRate(12345);
    ASSERT_EQ(SaveCode(TStoreType::storeRegistry, SkyfenceKey), 0);
    EXPECT_THAT(Registry(), HasSubstr("\"CustomBaudRate\"=dword:00003039"));
    port().SetBaudRate(TBaudRate::br9600);
    ASSERT_EQ(SaveCode(TStoreType::storeRegistry, SkyfenceKey), 0);
    EXPECT_THAT(Registry(), HasSubstr("\"CustomBaudRate\"=dword:00003039"));
    EXPECT_THAT(Registry(), HasSubstr("\"BaudRate\"=\"9600\""));
}

TEST_F(SettingsStore, TextsMatchInAnyLetterCase) {
    WriteRegistry(
        "\"Port\"=\"COM1\"\r\n\"BaudRate\"=\"custom\"\r\n\"CustomBaudRate\"=dword:000004b0\r\n"
        "\"Parity\"=\"none\"\r\n\"FlowControl\"=\"hardware\"\r\n");
    port().Parity().SetBits(TParityBits::prOdd);
    port().SetStoredGroups({TStoredGroup::sgBasic, TStoredGroup::sgCharHandling});
    EXPECT_EQ(RestoreCode(TStoreType::storeRegistry, SkyfenceKey), 0);
    EXPECT_EQ(port().BaudRate(), TBaudRate::brCustom);
    EXPECT_EQ(port().CustomBaudRate(), 1200);
    EXPECT_EQ(port().Parity().Bits(), TParityBits::prNone);
    EXPECT_EQ(port().FlowControl().FlowControl(), TFlowControl::fcHardware);
}

TEST_F(SettingsStore, IniFileLackingKeysChangesNothingButTheCustomRate) {
    const std::string ini = folder.File("settings.ini");
    WriteFileBytes(ini, "[ComPort]\r\nBaudRate=Custom\r\n");
    port().SetCustomBaudRate(4800);
    port().SetPort("/dev/ttyS4");
    port().SetDataBits(TDataBits::dbSix);
    EXPECT_EQ(RestoreCode(TStoreType::storeIniFile, ini), 0);
    EXPECT_EQ(port().BaudRate(), TBaudRate::brCustom);
    EXPECT_EQ(port().CustomBaudRate(), 9600);
    EXPECT_EQ(port().Port(), "/dev/ttyS4");
    EXPECT_EQ(port().DataBits(), TDataBits::dbSix);
}

struct PathCase {
    const char* name;
    std::string path;
    std::string key; // the key line written, empty when the save must fail
    TRegistry::RootKey root;
};

class SettingsPath : public SettingsStore, public testing::WithParamInterface<PathCase> {};

TEST_P(SettingsPath, NamesTheKey) {
    const PathCase& c = GetParam();
    const int code = SaveCode(TStoreType::storeRegistry, c.path);
    if (c.key.empty()) {
        EXPECT_EQ(code, 16);
        EXPECT_THAT(std::filesystem::exists(RegistryFile()) ? Registry() : "",
                    testing::Not(HasSubstr("\"Port\"")));
        return;
    }
    EXPECT_EQ(code, 0);
    EXPECT_THAT(Registry(), HasSubstr("[" + c.key + "]\r\n\"Port\"=\"COM1\""));
    TRegistry registry(RegistryFile());
    registry.SetRootKey(c.root);
    EXPECT_TRUE(registry.OpenKey(c.key.substr(c.key.find('\\') + 1), false));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SettingsPath,
    testing::Values(PathCase{"Full", SkyfenceKey, SkyfenceKey + "\\ComPort",
                             TRegistry::RootKey::HKEY_CURRENT_USER},
                    PathCase{"NoRootName", "Software\\Brennick\\Skyfence",
                             "HKEY_CURRENT_USER\\Brennick\\Skyfence\\ComPort",
                             TRegistry::RootKey::HKEY_CURRENT_USER},
                    PathCase{"LowerCaseRoot", "hkey_local_machine\\Software\\X",
                             "HKEY_LOCAL_MACHINE\\Software\\X\\ComPort",
                             TRegistry::RootKey::HKEY_LOCAL_MACHINE},
                    PathCase{"TrailingBackslash", "HKEY_CURRENT_USER\\Software\\X\\",
                             "HKEY_CURRENT_USER\\Software\\X\\ComPort",
                             TRegistry::RootKey::HKEY_CURRENT_USER},
                    PathCase{"NoBackslash", "Skyfence", "", TRegistry::RootKey::HKEY_CURRENT_USER},
                    PathCase{"EndsAfterFirstBackslash", "HKEY_CURRENT_USER\\", "",
                             TRegistry::RootKey::HKEY_CURRENT_USER}),
    CaseName());

TEST_F(SettingsStore, PathWithoutBackslashRestoresAsOnAFirstRun) {
    port().SetPort("COM3");
    EXPECT_EQ(RestoreCode(TStoreType::storeRegistry, "Skyfence"), 0);
    EXPECT_EQ(port().Port(), "");
    EXPECT_EQ(RestoreCode(TStoreType::storeRegistry, "HKEY_CURRENT_USER\\"), 17);
}

TEST_F(SettingsStore, ReadIntervalMinusOneInBothStores) {
    port().SetStoredGroups({TStoredGroup::sgTimeouts});
    ASSERT_EQ(SaveCode(TStoreType::storeRegistry, SkyfenceKey), 0);
    EXPECT_THAT(Registry(), HasSubstr("\"Timeouts.ReadInterval\"=dword:ffffffff"));
    const std::string ini = folder.File("settings.ini");
    ASSERT_EQ(SaveCode(TStoreType::storeIniFile, ini), 0);
    EXPECT_THAT(ReadFileBytes(ini), HasSubstr("Timeouts.ReadInterval=-1"));
    port().Timeouts().SetReadInterval(5);
    ASSERT_EQ(RestoreCode(TStoreType::storeRegistry, SkyfenceKey), 0);
    EXPECT_EQ(port().Timeouts().ReadInterval(), -1);
    port().Timeouts().SetReadInterval(5);
    ASSERT_EQ(RestoreCode(TStoreType::storeIniFile, ini), 0);
    EXPECT_EQ(port().Timeouts().ReadInterval(), -1);
}

TEST_F(SettingsStore, NoGroupsWritesAndReadsNothingButStillAppliesOnce) {
    port().SetStoredGroups({});
    port().SetEvents({});
    port().Open();
    fake.script->ClearCalls();
    ASSERT_EQ(SaveCode(TStoreType::storeRegistry, SkyfenceKey), 0);
    EXPECT_THAT(Registry(), testing::Not(HasSubstr("\"")));
    ASSERT_EQ(RestoreCode(TStoreType::storeRegistry, SkyfenceKey), 0);
    EXPECT_THAT(fake.script->Calls(),
                testing::ElementsAre("SetupComm 1024 1024", "SetCommState", "SetCommTimeouts"));
}

void SetEverything(TCustomComPort& p) {
    p.SetPort("/dev/ttyACM1");
    p.SetBaudRate(TBaudRate::brCustom);
    p.SetCustomBaudRate(31250);
    p.SetStopBits(TStopBits::sbTwoStopBits);
    p.SetDataBits(TDataBits::dbSeven);
    p.Parity().SetBits(TParityBits::prMark);
    p.SetEventChar('\n');
    p.SetDiscardNull(true);
    p.Parity().SetCheck(true);
    p.Parity().SetReplace(true);
    p.Parity().SetReplaceChar('?');
    p.Buffer().SetOutputSize(2048);
    p.Buffer().SetInputSize(8192);
    p.Timeouts().SetReadInterval(-1);
    p.Timeouts().SetReadTotalConstant(7);
    p.Timeouts().SetReadTotalMultiplier(3);
    p.Timeouts().SetWriteTotalConstant(900);
    p.Timeouts().SetWriteTotalMultiplier(50);
    p.FlowControl().SetControlRTS(TRTSFlowControl::rtsToggle);
    p.FlowControl().SetControlDTR(TDTRFlowControl::dtrEnable);
    p.FlowControl().SetDSRSensitivity(true);
    p.FlowControl().SetOutDSRFlow(true);
    p.FlowControl().SetTxContinueOnXoff(true);
    p.FlowControl().SetXonXoffIn(true);
    p.FlowControl().SetXoffChar(' ');
    p.FlowControl().SetXonChar('\x81');
}

TEST_F(SettingsStore, EveryGroupRoundTripsThroughBothStores) {
    const TStoredGroups all{TStoredGroup::sgBasic,         TStoredGroup::sgFlowDetails,
                            TStoredGroup::sgBuffer,        TStoredGroup::sgTimeouts,
                            TStoredGroup::sgParityDetails, TStoredGroup::sgCharHandling};
    for (const TStoreType type : {TStoreType::storeRegistry, TStoreType::storeIniFile}) {
        const std::string path =
            type == TStoreType::storeRegistry ? SkyfenceKey : folder.File("all.ini");
        PortOnFake saved;
        saved.port->SetName("ComPort");
        saved.port->SetStoredGroups(all);
        SetEverything(*saved.port);
        saved.port->SaveSettings(type, path);

        PortOnFake restored;
        restored.port->SetName("ComPort");
        restored.port->SetStoredGroups(all);
        restored.port->RestoreSettings(type, path);
        EXPECT_EQ(restored.port->MakeDeviceControlBlock(), saved.port->MakeDeviceControlBlock());
        EXPECT_EQ(restored.port->Port(), "/dev/ttyACM1");
        EXPECT_EQ(restored.port->Buffer().OutputSize(), 2048);
        EXPECT_EQ(restored.port->Timeouts().ReadTotalMultiplier(), 3);
        EXPECT_EQ(restored.port->Timeouts().WriteTotalConstant(), 900);
        EXPECT_EQ(restored.port->FlowControl().XonChar(), '\x81');
    }
}

TEST_F(SettingsStore, DamagedRegistryFailsTheRestoreAndTheSaveLosesNothing) {
    WriteRegistry("\"Port\"=\"COM1\"\r\nthis is no registry line\r\n",
                  "HKEY_CURRENT_USER\\Software\\Other\\Program");
    const std::string before = Registry();
    EXPECT_EQ(RestoreCode(TStoreType::storeRegistry, SkyfenceKey), 17);
    EXPECT_EQ(SaveCode(TStoreType::storeRegistry, SkyfenceKey), 16);
    EXPECT_EQ(Registry(), before);
}

TEST_F(SettingsStore, UnreadableIniFileFailsTheRestore) {
    std::filesystem::create_directory(folder.File("settings.ini"));
    EXPECT_EQ(RestoreCode(TStoreType::storeIniFile, folder.File("settings.ini")), 17);
}

} // namespace
