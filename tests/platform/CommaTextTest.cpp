#include "platform/CommaText.h"

#include "TestNames.h"

#include <gtest/gtest.h>

namespace {

using Fields = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string text;
    Fields fields;
};

class SplitCommaTextTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommaTextTest, GivesTheFields) {
    EXPECT_EQ(SplitCommaText(GetParam().text), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitCommaTextTest,
    testing::Values(SplitCase{"Empty", "", {}}, SplitCase{"OnlyBlanks", " \t\r\n", {}},
                    SplitCase{"Single", "abc", {"abc"}},
                    SplitCase{"Three", "1,22,333", {"1", "22", "333"}},
                    SplitCase{"EmptyBetweenCommas", "a,,b", {"a", "", "b"}},
                    SplitCase{"FinalCommaAddsNothing", "a,b,", {"a", "b"}},
                    SplitCase{"TwoFinalCommasAddOne", "a,,", {"a", ""}},
                    SplitCase{"LeadingComma", ",a", {"", "a"}}, SplitCase{"LoneComma", ",", {""}},
                    SplitCase{"BlanksAroundFieldsDropped", "  a ,\tb\r\n, c ", {"a", "b", "c"}},
                    SplitCase{"BlankInsideEndsField", "a b,c", {"a", "b", "c"}},
                    SplitCase{"ControlCharacterEndsField",
                              std::string("a\x01"
                                          "b",
                                          3),
                              {"a", "b"}},
                    SplitCase{"NulIsAControlCharacter", std::string("a\0b", 3), {"a", "b"}},
                    SplitCase{"HighBytesArePartOfAField", "\xB0\xC2,x", {"\xB0\xC2", "x"}},
                    SplitCase{"Quoted", R"("a, b",c)", {"a, b", "c"}},
                    SplitCase{"DoubledQuoteIsOne", R"("say ""hi""")", {R"(say "hi")"}},
                    SplitCase{"EmptyQuoted", R"("",x)", {"", "x"}},
                    SplitCase{"UnclosedQuoteRunsToEnd", R"("abc,def)", {"abc,def"}},
                    SplitCase{"TextAfterClosingQuoteStartsField", R"("ab"cd,e)", {"ab", "cd", "e"}},
                    SplitCase{"QuoteInsideUnquotedFieldIsKept", R"(a"b,c)", {R"(a"b)", "c"}},
                    SplitCase{"GsvBody",
                              "3,2,11,04,10,020,33,05,25,100,40,09,50,200,44,10,03,330,",
                              {"3", "2", "11", "04", "10", "020", "33", "05", "25", "100", "40",
                               "09", "50", "200", "44", "10", "03", "330"}}),
    CaseName());

TEST(SplitCommaText, ReusedListLosesItsOldFields) {
    Fields fields{"old", "older", "oldest", "gone"};
    SplitCommaText("x,y", fields);
    EXPECT_EQ(fields, (Fields{"x", "y"}));
}

struct JoinCase {
    const char* name;
    Fields fields;
    std::string text;
};

class JoinCommaTextTest : public testing::TestWithParam<JoinCase> {};

TEST_P(JoinCommaTextTest, JoinsAndSplitsBack) {
    const JoinCase& c = GetParam();
    EXPECT_EQ(JoinCommaText(c.fields), c.text);
    EXPECT_EQ(SplitCommaText(c.text), c.fields);
}

INSTANTIATE_TEST_SUITE_P(Rules, JoinCommaTextTest,
                         testing::Values(JoinCase{"Numbers", {"7", "0", "46"}, "7,0,46"},
                                         JoinCase{"EmptyMiddleField", {"a", "", "b"}, "a,,b"},
                                         JoinCase{"FieldWithComma", {"a,b", "c"}, R"("a,b",c)"},
                                         JoinCase{"FieldWithBlank", {"a b"}, R"("a b")"},
                                         JoinCase{"FieldWithQuote", {R"(a"b)"}, R"("a""b")"}),
                         CaseName());

} // namespace
