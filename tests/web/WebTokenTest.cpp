#include "TemporaryFolder.h"

#include "platform/Exception.h"
#include "web/WebToken.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using testing::HasSubstr;
using testing::MatchesRegex;

struct TokenFile {
    const char* name;
    // The file's content; none: there is no file.
    std::optional<std::string> content;
    // The token read; empty: refused with `flaw` in the message.
    std::string token;
    std::string flaw;
};

TEST(WebTokenTest, ReadsTheFirstLineOfTheFileNamedOrSaysWhatIsWrong) {
    const std::vector<TokenFile> rows = {
        {"OneLine", "s3cret-Token_1\n", "s3cret-Token_1", ""},
        {"BlanksAndCarriageReturn", " \ts3cret\t \r\nsecond line\n", "s3cret", ""},
        {"NoLineEnd", "s3cret", "s3cret", ""},
        {"Missing", std::nullopt, "", "Cannot read the web page's token file"},
        {"Empty", "", "", "holds no token"},
        {"EmptyFirstLine", "\ns3cret\n", "", "holds no token"},
        {"BlankInside", "s3 cret\n", "", "visible ASCII"},
        {"NotAscii",
         "s\xc3\xa9"
         "cret\n",
         "", "visible ASCII"},
        {"TooLong", std::string(257, 'a'), "", "up to 256"},
        {"TooLarge", std::string(5000, 'a'), "", "Cannot read the web page's token file"},
    };
    for (const TokenFile& row : rows) {
        SCOPED_TRACE(row.name);
        TemporaryFolder folder;
        const std::string file = folder.File("token");
        if (row.content) {
            WriteFileBytes(file, *row.content);
        }
        try {
            // A named file is used on loopback too, and nothing is made.
            const WebToken token(file, true, folder.Path());
            EXPECT_EQ(token.Token(), row.token);
            EXPECT_EQ(token.Made(), std::nullopt);
            EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"token"});
        } catch (const Exception& error) {
            EXPECT_THAT(row.token, testing::IsEmpty());
            EXPECT_THAT(error.Message(), HasSubstr(row.flaw));
            EXPECT_THAT(error.Message(), HasSubstr(file));
        }
    }
}

unsigned Mode(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0);
    return status.st_mode & 07777U;
}

TEST(WebTokenTest, AwayFromLoopbackOneIsMadeOnceKeptForItsOwnerAndUsedAgain) {
    TemporaryFolder folder;
    const std::string kept = folder.File("Skyfence-http.token");

    const WebToken loopback(std::nullopt, true, folder.Path());
    EXPECT_EQ(loopback.Token(), std::nullopt);
    EXPECT_THAT(FolderEntries(folder.Path()), testing::IsEmpty());

    const WebToken first(std::nullopt, false, folder.Path());
    ASSERT_TRUE(first.Token());
    EXPECT_THAT(*first.Token(), MatchesRegex("[0-9a-f]{32}"));
    ASSERT_TRUE(first.Made());
    EXPECT_THAT(*first.Made(), HasSubstr(*first.Token()));
    EXPECT_THAT(*first.Made(), HasSubstr(kept));
    EXPECT_EQ(ReadFileBytes(kept), *first.Token() + "\n");
    EXPECT_EQ(Mode(kept), 0600U);

    const WebToken again(std::nullopt, false, folder.Path());
    EXPECT_EQ(again.Token(), first.Token());
    EXPECT_EQ(again.Made(), std::nullopt);

    // A start that stopped between making the file and writing the token left it empty.
    WriteFileBytes(kept, "");
    ::chmod(kept.c_str(), 0644);
    const WebToken after(std::nullopt, false, folder.Path());
    ASSERT_TRUE(after.Made());
    EXPECT_NE(after.Token(), first.Token());
    EXPECT_EQ(Mode(kept), 0600U);
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"Skyfence-http.token"});
}

struct Comparison {
    const char* given;
    bool matches;
};

TEST(WebTokenTest, MatchesOnlyTheWholeToken) {
    const std::vector<Comparison> rows = {
        {"s3cret", true},   {"s3creT", false}, {"s3cre", false},
        {"s3crets", false}, {"", false},       {"S3CRET", false},
    };
    for (const Comparison& row : rows) {
        SCOPED_TRACE(row.given);
        EXPECT_EQ(WebToken::Matches("s3cret", row.given), row.matches);
    }
}

} // namespace
