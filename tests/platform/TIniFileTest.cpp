#include "platform/TIniFile.h"

#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <optional>

namespace {

using testing::HasSubstr;

const std::string HandWritten = "; settings\r\n"
                                "orphan=1\r\n"
                                "[Port]\r\n"
                                "  Name = COM1  \r\n"
                                "Padded=\" two blanks \"\r\n"
                                "Baud=9600\r\n"
                                "Negative=-1\r\n"
                                "Hex=$1F\r\n"
                                "Bad=12a\r\n"
                                "Empty=\r\n"
                                "junk line\r\n"
                                "=no key\r\n"
                                "\r\n"
                                "[ port ]\r\n"
                                "Late=1\r\n"
                                "[Other]\r\n"
                                "name=second\r\n";

struct ReadCase {
    const char* name;
    std::string section;
    std::string key;
    // Absent when the fallback is expected.
    std::optional<std::string> text;
    std::optional<std::int32_t> number;
};

class IniReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ReadsTheValueOrTheFallback) {
    TemporaryFolder folder;
    const std::string path = folder.File("settings.ini");
    WriteFileBytes(path, HandWritten);
    TIniFile ini(path);
    const ReadCase& c = GetParam();
    EXPECT_EQ(ini.ReadString(c.section, c.key, "fallback"), c.text.value_or("fallback"));
    EXPECT_EQ(ini.ReadInteger(c.section, c.key, -7), c.number.value_or(-7));
}

INSTANTIATE_TEST_SUITE_P(
    HandWrittenFile, IniReadTest,
    testing::Values(ReadCase{"BlanksAroundKeyAndValue", "Port", "Name", "COM1", {}},
                    ReadCase{"NamesIgnoreCase", "PORT", "nAmE", "COM1", {}},
                    ReadCase{"QuotesStripped", "Port", "Padded", " two blanks ", {}},
                    ReadCase{"Decimal", "Port", "Baud", "9600", 9600},
                    ReadCase{"MinusOne", "Port", "Negative", "-1", -1},
                    ReadCase{"Hexadecimal", "Port", "Hex", "$1F", 31},
                    ReadCase{"NotANumber", "Port", "Bad", "12a", {}},
                    ReadCase{"EmptyValue", "Port", "Empty", "", {}},
                    ReadCase{"MissingKey", "Port", "Parity", {}, {}},
                    ReadCase{"MissingSection", "Nowhere", "Name", {}, {}},
                    ReadCase{"EntryBeforeAnySection", "", "orphan", {}, {}},
                    ReadCase{"OnlyTheFirstSectionOfAName", "Port", "Late", {}, {}},
                    ReadCase{"OtherSection", "other", "NAME", "second", {}}),
    CaseName());

TEST(TIniFile, MissingFileReadsAsEmpty) {
    TemporaryFolder folder;
    TIniFile ini(folder.File("missing.ini"));
    EXPECT_EQ(ini.ReadString("Port", "Name", "COM1"), "COM1");
    EXPECT_EQ(ini.ReadInteger("Port", "Baud", 4800), 4800);
    EXPECT_FALSE(std::filesystem::exists(folder.File("missing.ini")));
}

TEST(TIniFile, WritesKeepEveryOtherLine) {
    TemporaryFolder folder;
    const std::string path = folder.File("settings.ini");
    WriteFileBytes(path, HandWritten);
    TIniFile ini(path);
    ini.WriteString("port", "NAME", "COM2");
    ini.WriteInteger("Port", "Parity", -1);
    ini.WriteString("New Section", "Key", "v");
    std::string expected = HandWritten;
    expected.replace(expected.find("  Name = COM1  "), 15, "Name=COM2");
    expected.replace(expected.find("junk line"), 0, "Parity=-1\r\n");
    expected += "\r\n[New Section]\r\nKey=v\r\n";
    EXPECT_EQ(ReadFileBytes(path), expected);
}

TEST(TIniFile, NewFileHasCrLfAndSectionsApart) {
    TemporaryFolder folder;
    const std::string path = folder.File("new.ini");
    TIniFile ini(path);
    ini.WriteString("S", "K", "V");
    EXPECT_EQ(ReadFileBytes(path), "[S]\r\nK=V\r\n");
    ini.WriteInteger("T", "A", 1);
    ini.WriteString("s", "k", "W");
    EXPECT_EQ(ReadFileBytes(path), "[S]\r\nK=W\r\n\r\n[T]\r\nA=1\r\n");
}

TEST(TIniFile, KeepsLineFeedEndings) {
    TemporaryFolder folder;
    const std::string path = folder.File("unix.ini");
    WriteFileBytes(path, "[S]\nK=V");
    TIniFile ini(path);
    ini.WriteString("S", "L", "W");
    ini.WriteString("T", "M", "X");
    EXPECT_EQ(ReadFileBytes(path), "[S]\nK=V\nL=W\n\n[T]\nM=X\n");
}

TEST(TIniFile, ValuesReadBack) {
    const std::vector<std::string> texts = {"",   "plain",   "  padded\t", "\"quoted\"",
                                            "\"", "a=b ; c", "[x]",        "\"\""};
    const std::vector<std::int32_t> numbers = {0, -1, INT32_MIN, INT32_MAX};
    TemporaryFolder folder;
    const std::string path = folder.File("settings.ini");
    TIniFile writer(path);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        writer.WriteString("Texts", "T" + std::to_string(i), texts[i]);
    }
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        writer.WriteInteger("Numbers", "N" + std::to_string(i), numbers[i]);
    }
    TIniFile reader(path);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(reader.ReadString("Texts", "T" + std::to_string(i), "-"), texts[i]) << i;
    }
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        EXPECT_EQ(reader.ReadInteger("Numbers", "N" + std::to_string(i), 7), numbers[i]) << i;
    }
}

struct RefusedCase {
    const char* name;
    std::string section;
    std::string key;
    std::string value;
};

class IniRefusedWriteTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(IniRefusedWriteTest, RaisesAndWritesNothing) {
    TemporaryFolder folder;
    const std::string path = folder.File("settings.ini");
    WriteFileBytes(path, "[S]\r\nK=V\r\n");
    TIniFile ini(path);
    EXPECT_THROW(ini.WriteString(GetParam().section, GetParam().key, GetParam().value), EFileError);
    EXPECT_EQ(ReadFileBytes(path), "[S]\r\nK=V\r\n");
}

INSTANTIATE_TEST_SUITE_P(WouldNotReadBack, IniRefusedWriteTest,
                         testing::Values(RefusedCase{"LineBreakInValue", "S", "K", "a\r\n[T]"},
                                         RefusedCase{"LineBreakInKey", "S", "K\nL", "v"},
                                         RefusedCase{"LineBreakInSection", "S\r", "K", "v"},
                                         RefusedCase{"EqualsInKey", "S", "a=b", "v"},
                                         RefusedCase{"EmptyKey", "S", " ", "v"},
                                         RefusedCase{"CommentKey", "S", ";K", "v"},
                                         RefusedCase{"BracketInSection", "S]", "K", "v"},
                                         RefusedCase{"EmptySection", "", "K", "v"}),
                         CaseName());

TEST(TIniFile, MissingFolderFailsOnWrite) {
    TemporaryFolder folder;
    const std::string path = folder.File("absent/settings.ini");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("S", "K", "d"), "d");
    EXPECT_THAT([&] { ini.WriteString("S", "K", "v"); },
                testing::ThrowsMessage<EFileError>(HasSubstr(path)));
    EXPECT_FALSE(std::filesystem::exists(folder.File("absent")));
}

TEST(TIniFile, UnreadableFileRaises) {
    TemporaryFolder folder;
    const std::string path = folder.File("settings.ini");
    std::filesystem::create_directory(path);
    TIniFile ini(path);
    const auto named = testing::ThrowsMessage<EFileError>(
        testing::AllOf(HasSubstr(path), HasSubstr("Is a directory")));
    EXPECT_THAT([&] { ini.ReadString("S", "K", "d"); }, named);
    EXPECT_THAT([&] { ini.ReadInteger("S", "K", 1); }, named);
    EXPECT_THAT([&] { ini.WriteString("S", "K", "v"); }, named);
}

} // namespace
