#include "web/WebRequestCheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Verdict = WebRequestCheck::Verdict;

struct Arrival {
    const char* name;
    // The pieces as they come, for a limit of 32 bytes.
    std::vector<std::string> pieces;
    Verdict verdict;
};

TEST(WebRequestCheckTest, JudgesTheRequestAsItComesWhereverThePiecesBreak) {
    const std::string head = "GET / HTTP/1.1\r\nHost: h\r\n\r\n"; // 27 bytes
    const std::vector<Arrival> rows = {
        {"HeadAlone", {head}, Verdict::Fits},
        {"ExactlyTheLimit", {head + "12345"}, Verdict::Fits},
        {"BodyOverTheLimit", {head, "123456"}, Verdict::BodyTooLarge},
        {"EmptyLineSplitAfterItsFirstBreak",
         {head.substr(0, 25), head.substr(25), "123456"},
         Verdict::BodyTooLarge},
        {"EmptyLineSplitInItsMiddle",
         {head.substr(0, 26), head.substr(26), "123456"},
         Verdict::BodyTooLarge},
        {"LineFeedsOnly",
         {"GET / HTTP/1.1\nHost: h\n\n", std::string(20, 'x')},
         Verdict::BodyTooLarge},
        {"NoEmptyLine",
         {"GET / HTTP/1.1\r\n", "X-Filler: ", std::string(20, 'x')},
         Verdict::HeadTooLarge},
        {"EmptyLinePastTheLimit",
         {"GET /" + std::string(30, 'a') + " HTTP/1.1\r\n\r\n"},
         Verdict::HeadTooLarge},
        {"RouteWithQuery", {"GET /m.png?s=G HTTP/1.1\r\n"}, Verdict::Fits},
        {"RouteLineInPieces", {"GET /sta", "te.json HT", "TP/1.1\r\n"}, Verdict::Fits},
        {"DoubleSlash", {"GET //etc/passwd HTTP/1.1\r\n"}, Verdict::NotARoute},
        {"DoubleSlashInPieces", {"GET /", "/etc/passwd HTTP/1.1\r\n"}, Verdict::NotARoute},
        {"AbsoluteTarget", {"GET http://h/ HTTP/1.1\r\n"}, Verdict::NotARoute},
        {"EncodedDot", {"GET /%2e HTTP/1.1\r\n"}, Verdict::NotARoute},
    };
    for (const Arrival& row : rows) {
        SCOPED_TRACE(row.name);
        WebRequestCheck check(32);
        Verdict verdict = Verdict::Fits;
        for (const std::string& piece : row.pieces) {
            verdict = check.Add(piece);
        }
        EXPECT_EQ(verdict, row.verdict);
    }
}

TEST(WebRequestCheckTest, EachAnsweredRequestStartsFromNothing) {
    WebRequestCheck check(32);
    const std::string request = "GET / HTTP/1.1\r\nHost: h\r\n\r\n";
    EXPECT_EQ(check.Add("GET //x HTTP/1.1\r\n"), Verdict::NotARoute);
    check.Restart();
    EXPECT_FALSE(check.Started());
    EXPECT_EQ(check.Add(request), Verdict::Fits);
    EXPECT_TRUE(check.Started());
    EXPECT_EQ(check.Add(request), Verdict::BodyTooLarge);
}

} // namespace
