#include "platform/TRegistry.h"

#include "ChildProcess.h"
#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testing::HasSubstr;

const std::string ComPort = "Software\\Brennick\\Skyfence\\ComPort";
const std::string ComPortLine = "[HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence\\ComPort]";
const std::string Created = "REGEDIT4\r\n\r\n" + ComPortLine + "\r\n";

class TRegistryTest : public testing::Test {
protected:
    TemporaryFolder folder;
    const std::string path = folder.File("registry.reg");
    TRegistry reg{path};
};

TEST_F(TRegistryTest, CreatingAKeyMakesTheFileAndItsFolders) {
    const std::string nested = folder.File("config/skyfence/registry.reg");
    TRegistry fresh(nested);
    EXPECT_FALSE(fresh.OpenKey(ComPort, false));
    EXPECT_FALSE(std::filesystem::exists(nested));
    ASSERT_TRUE(fresh.OpenKey(ComPort, true));
    EXPECT_EQ(fresh.CurrentPath(), "HKEY_CURRENT_USER\\" + ComPort);
    EXPECT_EQ(ReadFileBytes(nested), Created);
}

TEST_F(TRegistryTest, WritesAFileARegistryEditorImports) {
    ASSERT_TRUE(reg.OpenKey(ComPort, true));
    reg.WriteString("Port", "/dev/ttyUSB0");
    reg.WriteString("BaudRate", "9600");
    reg.WriteInteger("Timeouts.ReadInterval", -1);
    reg.WriteString("", "C:\\Temp \"x\"");
    EXPECT_EQ(ReadFileBytes(path), Created + "\"Port\"=\"/dev/ttyUSB0\"\r\n"
                                             "\"BaudRate\"=\"9600\"\r\n"
                                             "\"Timeouts.ReadInterval\"=dword:ffffffff\r\n"
                                             "@=\"C:\\\\Temp \\\"x\\\"\"\r\n");
}

TEST_F(TRegistryTest, ValuesReadBackThroughTheFile) {
    const std::vector<std::string> texts = {
        "", "plain", "say \"hi\"", "C:\\dir\\", "a=b;c", "\xC2\xB0 degrees", "\\\"", "[x]"};
    const std::vector<std::int32_t> numbers = {0, 42, -1, INT32_MIN, INT32_MAX};
    ASSERT_TRUE(reg.OpenKey(ComPort, true));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        reg.WriteString("Text" + std::to_string(i), texts[i]);
    }
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        reg.WriteInteger("Number" + std::to_string(i), numbers[i]);
    }
    TRegistry other(path);
    ASSERT_TRUE(other.OpenKey(ComPort, false));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(other.ReadString("Text" + std::to_string(i)), texts[i]) << i;
    }
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        EXPECT_EQ(other.ReadInteger("Number" + std::to_string(i)), numbers[i]) << i;
    }
}

TEST_F(TRegistryTest, AbsentAndMistypedValues) {
    WriteFileBytes(path, Created + "\"Text\"=\"12\"\r\n"
                                   "\"Number\"=dword:0000000c\r\n"
                                   "\"Bytes\"=hex:01,02\r\n"
                                   "\"Gone\"=-\r\n");
    ASSERT_TRUE(reg.OpenKey(ComPort, false));
    EXPECT_EQ(reg.ReadString("Absent"), "");
    EXPECT_FALSE(reg.ValueExists("Absent"));
    EXPECT_THROW(reg.ReadInteger("Absent"), ERegistryException);
    EXPECT_THAT([&] { reg.ReadInteger("Text"); },
                testing::ThrowsMessage<ERegistryException>(HasSubstr("not a number value")));
    EXPECT_THAT([&] { reg.ReadString("Number"); },
                testing::ThrowsMessage<ERegistryException>(HasSubstr("not a text value")));
    EXPECT_THROW(reg.ReadString("Bytes"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("Bytes"), ERegistryException);
    EXPECT_TRUE(reg.ValueExists("Bytes"));
    // A removal line reads as no value.
    EXPECT_FALSE(reg.ValueExists("Gone"));
    EXPECT_EQ(reg.ReadString("Gone"), "");
}

TEST_F(TRegistryTest, ValuesNeedAnOpenKey) {
    EXPECT_THROW(reg.ReadString("Port"), ERegistryException);
    EXPECT_THROW(reg.WriteString("Port", "x"), ERegistryException);
    ASSERT_TRUE(reg.OpenKey(ComPort, true));
    reg.CloseKey();
    EXPECT_TRUE(reg.CurrentPath().empty());
    EXPECT_THROW(reg.WriteInteger("Baud", 1), ERegistryException);
    EXPECT_THROW(reg.ValueExists("Baud"), ERegistryException);
    EXPECT_EQ(ReadFileBytes(path), Created);
}

TEST_F(TRegistryTest, ReadsAHandWrittenFile) {
    WriteFileBytes(path, "REGEDIT4\r\n"
                         "\r\n"
                         "; written by hand\r\n"
                         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brennick\\Skyfence]\r\n"
                         "\"Path\"=\"C:\\\\Program Files\\\\Skyfence\"\r\n"
                         "\"Quote\"=\"say \\\"hi\\\"\"\r\n"
                         "\r\n"
                         "[hkey_current_user\\software\\BRENNICK\\skyfence\\comport]\r\n"
                         "  \"PORT\" = \"/dev/ttyUSB1\"\r\n"
                         "@=\"default\"\r\n"
                         "\"Flags\"=DWORD:0000002A\r\n");
    ASSERT_TRUE(reg.OpenKey(ComPort, false));
    EXPECT_EQ(reg.ReadString("Port"), "/dev/ttyUSB1");
    EXPECT_EQ(reg.ReadString(""), "default");
    EXPECT_EQ(reg.ReadInteger("flags"), 42);
    reg.SetRootKey(TRegistry::RootKey::HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("Software\\Brennick\\Skyfence", false));
    EXPECT_EQ(reg.ReadString("path"), "C:\\Program Files\\Skyfence");
    EXPECT_EQ(reg.ReadString("Quote"), "say \"hi\"");
}

TEST_F(TRegistryTest, KeepsEveryOtherLineByteForByte) {
    const std::string before = "REGEDIT4\r\n"
                               "\r\n"
                               "; keep me\r\n"
                               "[HKEY_CLASSES_ROOT\\.gps]\r\n"
                               "@=\"GpsLog\"\r\n"
                               "[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
                               "\r\n" +
                               ComPortLine +
                               "\r\n"
                               "\"Port\"=\"/dev/ttyS1\"\r\n"
                               "\r\n"
                               "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
                               "\"Blob\"=hex(7):41,00,42,00,\\\r\n"
                               "  00,00\r\n" +
                               ComPortLine +
                               "\r\n"
                               "\"Port\"=\"/dev/ttyS2\"\r\n"
                               "\"Mask\"=hex:01,02,\\\r\n"
                               "  03,04\r\n"
                               "\"Parity\"=\"N\"\r\n"
                               "; trailing comment\r\n";
    WriteFileBytes(path, before);
    ASSERT_TRUE(reg.OpenKey(ComPort, false));
    EXPECT_EQ(reg.ReadString("Port"), "/dev/ttyS2") << "the last line wins, as on import";
    reg.WriteString("Port", "/dev/ttyUSB0");
    reg.WriteInteger("Mask", 5);
    reg.WriteString("New", "x");
    ASSERT_TRUE(reg.OpenKey("Software\\Fresh", true));
    std::string expected = before;
    const auto replace = [&](const std::string& from, const std::string& to) {
        expected.replace(expected.find(from), from.size(), to);
    };
    replace("/dev/ttyS2", "/dev/ttyUSB0");
    replace("hex:01,02,\\\r\n  03,04", "dword:00000005");
    replace("; trailing", "\"New\"=\"x\"\r\n; trailing");
    expected += "\r\n[HKEY_CURRENT_USER\\Software\\Fresh]\r\n";
    EXPECT_EQ(ReadFileBytes(path), expected);
}

TEST_F(TRegistryTest, KeepsLineFeedEndings) {
    WriteFileBytes(path, "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"");
    ASSERT_TRUE(reg.OpenKey("A", false));
    reg.WriteString("y", "2");
    EXPECT_EQ(ReadFileBytes(path),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n\"y\"=\"2\"\n");
}

TEST_F(TRegistryTest, EachRootHasItsOwnKeys) {
    ASSERT_TRUE(reg.OpenKey("Software\\S", true));
    reg.WriteString("V", "user");
    reg.SetRootKey(TRegistry::RootKey::HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.Root(), TRegistry::RootKey::HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(reg.CurrentPath().empty());
    EXPECT_FALSE(reg.OpenKey("Software\\S", false));
    ASSERT_TRUE(reg.OpenKey("Software\\S", true));
    EXPECT_EQ(reg.CurrentPath(), "HKEY_LOCAL_MACHINE\\Software\\S");
    EXPECT_EQ(reg.ReadString("V"), "");
    reg.WriteString("V", "machine");
    reg.SetRootKey(TRegistry::RootKey::HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey("Software\\S", false));
    EXPECT_EQ(reg.ReadString("V"), "user");
}

struct KeyCase {
    const char* name;
    std::string key;
    bool opens;
};

class KeyNameTest : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyNameTest, OpensTheSameKeyOrNothing) {
    TemporaryFolder folder;
    const std::string path = folder.File("registry.reg");
    TRegistry reg(path);
    // As the port settings build it: base path with its trailing "\" plus the key.
    ASSERT_TRUE(reg.OpenKey(std::string("Software\\X\\") + "ComPort", true));
    const std::string created = ReadFileBytes(path);
    EXPECT_EQ(created, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\X\\ComPort]\r\n");
    EXPECT_EQ(reg.OpenKey(GetParam().key, true), GetParam().opens);
    EXPECT_EQ(ReadFileBytes(path), created);
}

INSTANTIATE_TEST_SUITE_P(
    Names, KeyNameTest,
    testing::Values(KeyCase{"Plain", "Software\\X\\ComPort", true},
                    KeyCase{"TrailingBackslash", "Software\\X\\ComPort\\", true},
                    KeyCase{"LeadingBackslash", "\\Software\\X\\ComPort", true},
                    KeyCase{"OtherCase", "SOFTWARE\\x\\comPORT", true},
                    KeyCase{"ParentOfAKey", "Software\\X", true}, KeyCase{"Empty", "", false},
                    KeyCase{"OnlyBackslash", "\\", false},
                    KeyCase{"EmptyPart", "Software\\\\X", false},
                    KeyCase{"TwoTrailingBackslashes", "Software\\X\\ComPort\\\\", false},
                    KeyCase{"LineBreak", "Software\\X\r\nY", false}),
    CaseName());

TEST_F(TRegistryTest, ValueNamesMatchRegardlessOfCase) {
    ASSERT_TRUE(reg.OpenKey(ComPort, true));
    reg.WriteString("Port", "/dev/ttyS0");
    reg.WriteString("PORT", "/dev/ttyS1");
    EXPECT_EQ(reg.ReadString("port"), "/dev/ttyS1");
    EXPECT_TRUE(reg.ValueExists("pOrT"));
    EXPECT_EQ(ReadFileBytes(path), Created + "\"Port\"=\"/dev/ttyS1\"\r\n");
}

TEST_F(TRegistryTest, LineBreaksAreRefused) {
    ASSERT_TRUE(reg.OpenKey(ComPort, true));
    EXPECT_THROW(reg.WriteString("Port", "a\r\nb"), ERegistryException);
    EXPECT_THROW(reg.WriteString("Po\nrt", "a"), ERegistryException);
    EXPECT_THROW(reg.WriteInteger("Po\rrt", 1), ERegistryException);
    EXPECT_EQ(ReadFileBytes(path), Created);
}

struct DamageCase {
    const char* name;
    std::string content;
    int line;
    std::string problem;
};

class DamagedFileTest : public testing::TestWithParam<DamageCase> {};

TEST_P(DamagedFileTest, EveryCallRaisesAndTheFileStays) {
    TemporaryFolder folder;
    const std::string path = folder.File("registry.reg");
    TRegistry reg(path);
    ASSERT_TRUE(reg.OpenKey(ComPort, true));
    WriteFileBytes(path, GetParam().content);
    const std::string where =
        "Registry file " + path + ", line " + std::to_string(GetParam().line) + ": ";
    const std::vector<std::pair<const char*, std::function<void()>>> calls = {
        {"WriteString", [&] { reg.WriteString("Port", "x"); }},
        {"WriteInteger", [&] { reg.WriteInteger("Baud", 1); }},
        {"ReadString", [&] { reg.ReadString("Port"); }},
        {"ReadInteger", [&] { reg.ReadInteger("Baud"); }},
        {"ValueExists", [&] { reg.ValueExists("Port"); }},
        {"OpenKey", [&] { reg.OpenKey("Software\\Other", true); }},
    };
    for (const auto& [name, call] : calls) {
        try {
            call();
            ADD_FAILURE() << name << " did not raise";
        } catch (const ERegistryException& error) {
            EXPECT_THAT(error.what(),
                        testing::AllOf(testing::StartsWith(where), HasSubstr(GetParam().problem)))
                << name;
        }
    }
    EXPECT_EQ(ReadFileBytes(path), GetParam().content);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DamagedFileTest,
    testing::Values(
        DamageCase{"Junk", Created + "junk\r\n", 4, "no key, value or comment"},
        DamageCase{"ValueBeforeKey", "REGEDIT4\r\n\"Port\"=\"x\"\r\n", 2, "before any key"},
        DamageCase{"UnterminatedString", Created + "\"Port\"=\"/dev/tty\r\n", 4,
                   "no closing quote"},
        DamageCase{"EscapedClosingQuote", Created + "\"Port\"=\"x\\\"\r\n", 4, "no closing quote"},
        DamageCase{"UnterminatedName", Created + "\"Port=x\r\n", 4, "name has no closing quote"},
        DamageCase{"BadHexType", Created + "\"B\"=hex(x):00\r\n", 4, "hex(n)"},
        DamageCase{"MissingEquals", Created + "\"Port=\"x\r\n", 4, "'=' must follow"},
        DamageCase{"TextAfterString", Created + "\"Port\"=\"x\" y\r\n", 4, "closing quote"},
        DamageCase{"NonHexDword", Created + "\"Baud\"=dword:0000zz01\r\n", 4, "1 to 8 hex"},
        DamageCase{"NineDigitDword", Created + "\"Baud\"=dword:123456789\r\n", 4, "1 to 8 hex"},
        DamageCase{"EmptyDword", Created + "\"Baud\"=dword:\r\n", 4, "1 to 8 hex"},
        DamageCase{"UnknownKind", Created + "\"Baud\"=qword:1\r\n", 4, "unknown kind"},
        DamageCase{"BadHexContinuation", Created + "\"B\"=hex:01,\\\r\n  0x\r\n", 5, "hex data"},
        DamageCase{"KeyWithoutBracket", "REGEDIT4\r\n[HKEY_CURRENT_USER\\X\r\n", 2, "']'"},
        DamageCase{"NoRoot", "REGEDIT4\r\n[Software\\X]\r\n", 2, "root key"},
        DamageCase{"NoHeader", ComPortLine + "\r\n", 1, "REGEDIT4 header"},
        DamageCase{"EmptyFile", "", 1, "REGEDIT4 header"},
        DamageCase{"Utf16", std::string("\xFF\xFER\0E\0G\0", 8), 1, "UTF-16"}),
    CaseName());

TEST_F(TRegistryTest, AcceptsTheVersion5HeaderInEightBitText) {
    WriteFileBytes(path, "Windows Registry Editor Version 5.00\r\n\r\n" + ComPortLine + "\r\n");
    EXPECT_TRUE(reg.OpenKey(ComPort, false));
}

TEST_F(TRegistryTest, UnreadableFileRaisesWithTheSystemsReason) {
    ASSERT_TRUE(reg.OpenKey(ComPort, true));
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_THAT([&] { reg.ReadString("Port"); },
                testing::ThrowsMessage<ERegistryException>(
                    testing::AllOf(HasSubstr(path), HasSubstr("Is a directory"))));
    EXPECT_THROW(reg.WriteString("Port", "x"), ERegistryException);
    EXPECT_THROW(reg.OpenKey(ComPort, true), ERegistryException);
}

TEST_F(TRegistryTest, OversizedFileIsRefused) {
    WriteFileBytes(path, Created);
    ASSERT_EQ(::truncate(path.c_str(), 2 * 1024 * 1024), 0);
    EXPECT_THAT([&] { reg.OpenKey(ComPort, true); },
                testing::ThrowsMessage<ERegistryException>(HasSubstr("File too large")));
}

// Tells the exception's kind apart in the message, which is all a child process reports.
void Tagged(const std::function<void()>& work) {
    try {
        work();
    } catch (const ERegistryException& error) {
        throw std::runtime_error(std::string("ERegistryException: ") + error.what());
    }
}

TEST_F(TRegistryTest, StoreThatCannotBeWrittenRaises) {
    ASSERT_TRUE(reg.OpenKey(ComPort, true));
    ::chmod(path.c_str(), 0644);
    ::chmod(folder.Path().c_str(), 0555);
    EXPECT_THAT(RunUnprivileged([&] {
                    Tagged([&] {
                        TRegistry other(path);
                        if (other.OpenKey(ComPort, false)) {
                            other.WriteString("P", "x");
                        }
                    });
                }),
                testing::AllOf(testing::StartsWith("ERegistryException: "), HasSubstr(path),
                               HasSubstr("Permission denied")));
    const std::string nested = folder.File("sub/registry.reg");
    EXPECT_THAT(RunUnprivileged([&] { Tagged([&] { TRegistry(nested).OpenKey(ComPort, true); }); }),
                testing::AllOf(testing::StartsWith("ERegistryException: "),
                               HasSubstr(folder.File("sub")), HasSubstr("Permission denied")));
    EXPECT_EQ(ReadFileBytes(path), Created);
}

struct EnvironmentCase {
    const char* name;
    std::optional<std::string> config;
    std::string expected;
};

class DefaultFileTest : public testing::TestWithParam<EnvironmentCase> {};

TEST_P(DefaultFileTest, FollowsTheConfigFolder) {
    const auto get = [](const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    const auto put = [](const char* name, const std::optional<std::string>& value) {
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    };
    const std::optional<std::string> home = get("HOME");
    const std::optional<std::string> config = get("XDG_CONFIG_HOME");
    put("HOME", "/home/pat");
    put("XDG_CONFIG_HOME", GetParam().config);
    const std::string file = TRegistry::DefaultFile();
    put("HOME", home);
    put("XDG_CONFIG_HOME", config);
    EXPECT_EQ(file, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Environment, DefaultFileTest,
    testing::Values(
        EnvironmentCase{"Unset", std::nullopt, "/home/pat/.config/skyfence/registry.reg"},
        EnvironmentCase{"Absolute", "/etc/xdg/pat", "/etc/xdg/pat/skyfence/registry.reg"},
        EnvironmentCase{"Relative", "cfg", "/home/pat/.config/skyfence/registry.reg"},
        EnvironmentCase{"Empty", "", "/home/pat/.config/skyfence/registry.reg"}),
    CaseName());

} // namespace
