#include "platform/Conversions.h"
#include "platform/Exception.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct IntegerCase {
    const char* name;
    std::string text;
    std::optional<std::int32_t> value;
};

class StrToIntTest : public testing::TestWithParam<IntegerCase> {};

TEST_P(StrToIntTest, StrictAndLenient) {
    const IntegerCase& c = GetParam();
    if (c.value) {
        EXPECT_EQ(StrToInt(c.text), *c.value);
        EXPECT_EQ(StrToIntDef(c.text, -7), *c.value);
    } else {
        EXPECT_THROW(StrToInt(c.text), EConvertError);
        EXPECT_EQ(StrToIntDef(c.text, -7), -7);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, StrToIntTest,
    testing::Values(
        IntegerCase{"Zero", "0", 0}, IntegerCase{"LeadingZeros", "009", 9},
        IntegerCase{"Negative", "-5", -5}, IntegerCase{"Plus", "+12", 12},
        IntegerCase{"Max", "2147483647", 2147483647}, IntegerCase{"Min", "-2147483648", INT32_MIN},
        IntegerCase{"AboveMax", "2147483648", std::nullopt},
        IntegerCase{"BelowMin", "-2147483649", std::nullopt},
        IntegerCase{"Huge", "99999999999999999999999", std::nullopt}, IntegerCase{"Hex", "$1F", 31},
        IntegerCase{"HexLowerCase", "$ff", 255},
        IntegerCase{"HexAllBitsIsMinusOne", "$FFFFFFFF", -1},
        IntegerCase{"HexTooWide", "$100000000", std::nullopt},
        IntegerCase{"NegativeHex", "-$10", -16}, IntegerCase{"DollarAlone", "$", std::nullopt},
        IntegerCase{"Empty", "", std::nullopt}, IntegerCase{"SignAlone", "-", std::nullopt},
        IntegerCase{"TwoSigns", "+-1", std::nullopt},
        IntegerCase{"LeadingBlank", " 1", std::nullopt},
        IntegerCase{"TrailingBlank", "1 ", std::nullopt},
        IntegerCase{"Decimals", "1.5", std::nullopt}, IntegerCase{"Letters", "12a", std::nullopt},
        IntegerCase{"CStyleHex", "0x10", std::nullopt}),
    CaseName());

struct FloatCase {
    const char* name;
    std::string text;
    std::optional<double> value;
};

class StrToFloatTest : public testing::TestWithParam<FloatCase> {};

TEST_P(StrToFloatTest, DecimalPointIsAlwaysAPoint) {
    const FloatCase& c = GetParam();
    if (c.value) {
        EXPECT_DOUBLE_EQ(StrToFloat(c.text), *c.value);
    } else {
        EXPECT_THROW(StrToFloat(c.text), EConvertError);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, StrToFloatTest,
    testing::Values(
        FloatCase{"Minutes", "57.1234", 57.1234}, FloatCase{"Whole", "57", 57.0},
        FloatCase{"TrailingPoint", "5.", 5.0}, FloatCase{"LeadingPoint", ".5", 0.5},
        FloatCase{"Signed", "-1.25", -1.25}, FloatCase{"Plus", "+2", 2.0},
        FloatCase{"Exponent", "1e3", 1000.0}, FloatCase{"Empty", "", std::nullopt},
        FloatCase{"Comma", "57,12", std::nullopt}, FloatCase{"TwoPoints", "1.2.3", std::nullopt},
        FloatCase{"PlusMinus", "+-1", std::nullopt}, FloatCase{"Infinity", "inf", std::nullopt},
        FloatCase{"NotANumber", "nan", std::nullopt}, FloatCase{"HexFloat", "0x1p3", std::nullopt},
        FloatCase{"Overflow", "1e999", std::nullopt}, FloatCase{"Blank", " 1", std::nullopt}),
    CaseName());

TEST(UpperCaseAscii, LeavesOtherBytesAlone) {
    EXPECT_EQ(UpperCaseAscii("com1 \xe9z"), "COM1 \xe9Z");
}

} // namespace
