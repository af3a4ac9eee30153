#include "platform/TStringList.h"
#include "platform/Exception.h"

#include "TemporaryFolder.h"

#include "TestNames.h"
#include <gmock/gmock.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

using Lines = std::vector<std::string>;

struct TextCase {
    const char* name;
    std::string text;
    Lines lines;
};

class SetTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(SetTextTest, LineEndings) {
    TStringList list;
    list.Add("replaced");
    list.SetText(GetParam().text);
    EXPECT_EQ(list.Lines(), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, SetTextTest,
    testing::Values(TextCase{"Empty", "", {}}, TextCase{"CrLf", "a\r\nb\r\n", {"a", "b"}},
                    TextCase{"LoneLf", "a\nb\n", {"a", "b"}},
                    TextCase{"LoneCr", "a\rb\r", {"a", "b"}},
                    TextCase{"Mixed", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
                    TextCase{"LfCrIsTwoEndings", "a\n\rb", {"a", "", "b"}},
                    TextCase{"EmptyLines", "\r\n\r\n", {"", ""}},
                    TextCase{"NoFinalEnding", "last", {"last"}},
                    TextCase{"NulKept", std::string("a\0b\n", 4), {std::string("a\0b", 3)}}),
    CaseName());

TEST(TStringList, TextEndsEveryLineWithCrLf) {
    const TStringList list(Lines{"a", "", "b"});
    EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
    EXPECT_EQ(TStringList().Text(), "");
}

TEST(TStringList, IndexOutsideTheListRaises) {
    TStringList list(Lines{"a"});
    EXPECT_EQ(list.Get(0), "a");
    EXPECT_THROW(list.Get(1), EListError);
    EXPECT_THROW(list.Put(1, "b"), EListError);
    list.Put(0, "b");
    EXPECT_EQ(list.Get(0), "b");
}

TEST(TStringList, CommaText) {
    TStringList list;
    list.SetCommaText("a, b,,c,");
    EXPECT_EQ(list.Lines(), (Lines{"a", "b", "", "c"}));
    EXPECT_EQ(list.CommaText(), "a,b,,c");
}

TEST(TStringList, SaveAndLoadRoundTrip) {
    TemporaryFolder folder;
    const std::string path = folder.File("list.txt");
    const TStringList saved(Lines{"1,0,0", "", "x y"});
    saved.SaveToFile(path);
    EXPECT_EQ(ReadFileBytes(path), "1,0,0\r\n\r\nx y\r\n");
    TStringList loaded(Lines{"old"});
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded, saved);
}

TEST(TStringList, MissingFileRaisesWithItsNameAndLeavesTheListEmpty) {
    TemporaryFolder folder;
    TStringList list(Lines{"old"});
    try {
        list.LoadFromFile(folder.File("missing.dat"));
        FAIL() << "no error";
    } catch (const EFileError& error) {
        EXPECT_THAT(error.what(), testing::HasSubstr("missing.dat"));
        EXPECT_THAT(error.what(), testing::HasSubstr("No such file or directory"));
    }
    EXPECT_TRUE(list.Empty());
}

TEST(TStringList, OversizedFileIsRefusedKeepingWhatWasRead) {
    TemporaryFolder folder;
    const std::string path = folder.File("huge.dat");
    WriteFileBytes(path, "first\r\nsecond\r\n");
    ASSERT_EQ(::truncate(path.c_str(), TStringList::MaxFileSize + 1), 0);
    TStringList list;
    EXPECT_THROW(list.LoadFromFile(path), EFileError);
    ASSERT_GE(list.Count(), 2u);
    EXPECT_EQ(list.Get(0), "first");
    EXPECT_EQ(list.Get(1), "second");
}

} // namespace
