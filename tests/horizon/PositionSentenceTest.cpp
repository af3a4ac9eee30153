#include "horizon/PositionSentence.h"
#include "platform/Mbcs.h"

#include "TestNames.h"

#include <gtest/gtest.h>

namespace {

const std::string Failed = "Could not decode $GPRMC message";
const std::string NoFix = "fix invalid, too few satellites?";

struct PositionCase {
    const char* name;
    std::string sentence;
    std::string label; // "~" stands for the degree sign
};

class PositionSentenceTest : public testing::TestWithParam<PositionCase> {
protected:
    void SetUp() override { DegreeSign = "\xC2\xB0"; }
    void TearDown() override { ClearDegreeSign(); }
};

TEST_P(PositionSentenceTest, LabelShowsHowFarDecodingCame) {
    std::string expected = GetParam().label;
    for (std::size_t at = expected.find('~'); at != std::string::npos; at = expected.find('~')) {
        expected.replace(at, 1, DegreeSign);
    }
    EXPECT_EQ(DecodePositionSentence(GetParam().sentence), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sentences, PositionSentenceTest,
    testing::Values(
        PositionCase{"Example", "$GPRMC,093015.00,A,5557.1234,N,00311.5678,W,0.0,0.0,070107,,*",
                     "09:30:15 UTC  55~ 57.12'N  3~ 11.57'W  "},
        PositionCase{"EmptyFields", "$GPRMC,,,,,,,,,,,*", Failed},
        PositionCase{"SixFields", "$GPRMC,093015,A,5557.1234,N,00311.5678*", Failed},
        PositionCase{"SevenFieldsAreEnough", "$GPRMC,093015,A,5557.1234,N,00311.5678,W*",
                     "09:30:15 UTC  55~ 57.12'N  3~ 11.57'W*  "},
        PositionCase{"NoFixLastSecondOfDay", "$GPRMC,235959,V,,,,,,,010101,,*",
                     "23:59:59 UTC  " + NoFix},
        PositionCase{"LowerCaseStatusIsNoFix", "$GPRMC,120000,a,5557.1,N,00311.5,W,,,,,*",
                     "12:00:00 UTC  " + NoFix},
        PositionCase{"Hour24", "$GPRMC,240000,A,5557.1,N,00311.5,W,,,,,*", Failed},
        PositionCase{"Minute60", "$GPRMC,126000,A,5557.1,N,00311.5,W,,,,,*", Failed},
        PositionCase{"ShortTime", "$GPRMC,1230,A,5557.1,N,00311.5,W,,,,,*", Failed},
        PositionCase{"TimeWithLetters", "$GPRMC,12x000,A,5557.1,N,00311.5,W,,,,,*", Failed},
        PositionCase{"DecimalsOfSecondsIgnored", "$GPRMC,010203.999,V,,,,,,,,,*",
                     "01:02:03 UTC  " + NoFix},
        PositionCase{"BadLatitude", "$GPRMC,093015,A,55x7.1,N,00311.5678,W,,,,,*",
                     "09:30:15 UTC  "},
        PositionCase{"EmptyLatitude", "$GPRMC,093015,A,,N,00311.5678,W,,,,,*", "09:30:15 UTC  "},
        PositionCase{"BadLongitude", "$GPRMC,093015,A,5557.1234,N,003,W,,,,,*",
                     "09:30:15 UTC  55~ 57.12'N  "},
        PositionCase{"LeadingZerosDropped", "$GPRMC,000000,A,0530.000,S,00300.004,E,,,,,*",
                     "00:00:00 UTC  5~ 30.00'S  3~ 0.00'E  "},
        PositionCase{"EmptyHemisphere", "$GPRMC,000000,A,0530.000,,00300.000,,,,,,*",
                     "00:00:00 UTC  5~ 30.00'  3~ 0.00'  "},
        PositionCase{"LocaleCommaIsNoDecimalPoint",
                     "$GPRMC,093015,A,\"5557,1234\",N,00311.5678,W,,,,,*", "09:30:15 UTC  "},
        PositionCase{"MinutesFromAtMost99Characters",
                     "$GPRMC,093015,A,551.5" + std::string(96, '0') + "x,N,00311.5678,W,,,,,*",
                     "09:30:15 UTC  55~ 1.50'N  3~ 11.57'W  "}),
    CaseName());

TEST(PositionSentence, UsesTheDegreeSignOfTheLocale) {
    DegreeSign = "\x81\x8B";
    EXPECT_EQ(DecodePositionSentence("$GPRMC,093015,A,5557.1234,N,00311.5678,W,,,,,*"),
              "09:30:15 UTC  55\x81\x8B 57.12'N  3\x81\x8B 11.57'W  ");
    ClearDegreeSign();
}

} // namespace
