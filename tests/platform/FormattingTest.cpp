#include "platform/Formatting.h"
#include "platform/Exception.h"
#include "platform/TimeOfDay.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

TEST(Format, TwoDigitsAtLeast) {
    EXPECT_EQ(Format("LabelSat%.2d", 2), "LabelSat02");
    EXPECT_EQ(Format("LabelSat%.2d", 12), "LabelSat12");
    EXPECT_EQ(Format("LabelSat%.2d", 123), "LabelSat123");
    EXPECT_EQ(Format("%.2d", -3), "-03");
}

TEST(Format, LongResult) {
    const std::string longText(1000, 'x');
    EXPECT_EQ(Format("<%s>", longText.c_str()), "<" + longText + ">");
}

// The fast path must give what printf gives, also at the ends of the range.
TEST(AppendInteger, WritesWhatPrintfWrites) {
    const long long values[] = {0,  1,   -1,   7,         -7,        42,        -42,
                                99, 100, -100, INT32_MAX, INT32_MIN, LLONG_MAX, LLONG_MIN};
    for (const long long value : values) {
        for (const int digits : {1, 2, 3}) {
            std::string text = "x";
            AppendInteger(text, value, digits);
            EXPECT_EQ(text, "x" + Format("%.*lld", digits, value)) << value << " " << digits;
        }
    }
}

TEST(FormatFixed, RoundsToTheDecimalsAsked) {
    EXPECT_EQ(FormatFixed(57.1234, 2), "57.12");
    EXPECT_EQ(FormatFixed(11.5678, 2), "11.57");
    EXPECT_EQ(FormatFixed(3, 2), "3.00");
    EXPECT_EQ(FormatFixed(-0.5, 0), "-0");
    EXPECT_EQ(FormatFixed(1e20, 2), "100000000000000000000.00");
}

struct TimeCase {
    int hours, minutes, seconds;
    bool valid;
};

class EncodeTimeTest : public testing::TestWithParam<TimeCase> {};

TEST_P(EncodeTimeTest, AcceptsOnlyAClockTime) {
    const TimeCase& c = GetParam();
    if (c.valid) {
        EXPECT_EQ(TimeOfDay::EncodeTime(c.hours, c.minutes, c.seconds).Format(),
                  Format("%.2d:%.2d:%.2d", c.hours, c.minutes, c.seconds));
    } else {
        EXPECT_THROW(TimeOfDay::EncodeTime(c.hours, c.minutes, c.seconds), EConvertError);
    }
}

INSTANTIATE_TEST_SUITE_P(Range, EncodeTimeTest,
                         testing::Values(TimeCase{0, 0, 0, true}, TimeCase{23, 59, 59, true},
                                         TimeCase{9, 5, 7, true}, TimeCase{24, 0, 0, false},
                                         TimeCase{0, 60, 0, false}, TimeCase{0, 0, 60, false},
                                         TimeCase{-1, 0, 0, false}, TimeCase{0, -1, 0, false},
                                         TimeCase{0, 0, -1, false}));

} // namespace
