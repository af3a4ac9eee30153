#include "platform/Mbcs.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

struct CodesetCase {
    const char* codeset;
    int codePage;
    std::string degreeSign;
};

class MbcsTest : public testing::TestWithParam<CodesetCase> {};

TEST_P(MbcsTest, DegreeSignOfTheCodePage) {
    const CodesetCase& c = GetParam();
    EXPECT_EQ(CodePageOfCodeset(c.codeset), c.codePage);
    EXPECT_EQ(DegreeSignForCodePage(c.codePage), c.degreeSign);
}

INSTANTIATE_TEST_SUITE_P(
    Codesets, MbcsTest,
    testing::Values(CodesetCase{"UTF-8", 65001, "\xC2\xB0"}, CodesetCase{"utf8", 65001, "\xC2\xB0"},
                    CodesetCase{"ISO-8859-1", 1252, "\xB0"}, CodesetCase{"CP1252", 1252, "\xB0"},
                    CodesetCase{"SHIFT_JIS", 932, "\x81\x8B"}, CodesetCase{"GBK", 936, "\xA1\xE3"},
                    CodesetCase{"GB2312", 936, "\xA1\xE3"}, CodesetCase{"BIG5", 950, "\xA2\x58"},
                    CodesetCase{"ANSI_X3.4-1968", 20127, "\xB0"},
                    CodesetCase{"KOI8-R", 0, "\xB0"}));

TEST(Mbcs, InitFollowsTheLocaleAndClearEmpties) {
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C");
    InitDegreeSign();
    EXPECT_EQ(DegreeSign, "\xB0");
    if (std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr) {
        InitDegreeSign();
        EXPECT_EQ(DegreeSign, "\xC2\xB0");
    }
    ClearDegreeSign();
    EXPECT_TRUE(DegreeSign.empty());
    std::setlocale(LC_CTYPE, previous.c_str());
}

} // namespace
