#include "horizon/CompassLetters.h"
#include "horizon/MouseReadout.h"
#include "horizon/PolarToXY.h"
#include "platform/Mbcs.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct PolarCase {
    const char* name;
    float azimuth, elevation;
    int x, y;
};

class PolarToXYTest : public testing::TestWithParam<PolarCase> {};

TEST_P(PolarToXYTest, NorthUpClockwiseOnePixelPerDegree) {
    const PolarCase& c = GetParam();
    int x = -1;
    int y = -1;
    PolarToXY(x, y, c.azimuth, c.elevation);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
}

INSTANTIATE_TEST_SUITE_P(
    Points, PolarToXYTest,
    testing::Values(PolarCase{"Zenith", 123.0F, 90.0F, 90, 90},
                    PolarCase{"NorthHorizon", 0.0F, 0.0F, 90, 0},
                    PolarCase{"EastHorizon", 90.0F, 0.0F, 180, 90},
                    PolarCase{"SouthHorizon", 180.0F, 0.0F, 90, 180},
                    PolarCase{"WestHorizon", 270.0F, 0.0F, 0, 90},
                    PolarCase{"EastAtForty", 90.0F, 40.0F, 140, 90},
                    PolarCase{"BelowHorizon", 0.0F, -0.4F, 90, 0},
                    // 45 degrees at elevation 0: 90 + 63.6396 -> 154, 90 - 63.6396 -> 26.
                    PolarCase{"NorthEast", 45.0F, 0.0F, 154, 26},
                    // Radius 89 at 30 degrees: x = 90 + 44.5 exactly would round to even; the
                    // sine of 30 degrees in extended precision lies just below 0.5.
                    PolarCase{"HalfwayRoundsToEven", 30.0F, 1.0F, 134, 13}),
    CaseName());

TEST(PolarToXY, HalvesRoundToEven) {
    // At azimuth 90 the cosine is about 1e-20, so y = 90 - radius * cos lands on 90, and x on
    // 90 + radius: a radius of 0.5 (elevation 89.5) gives 90.5, which rounds to 90.
    int x = 0;
    int y = 0;
    PolarToXY(x, y, 90.0F, 89.5F);
    EXPECT_EQ(x, 90);
    PolarToXY(x, y, 90.0F, 88.5F);
    EXPECT_EQ(x, 92);
}

struct ReadoutCase {
    const char* name;
    bool polar;
    int x, y;
    std::optional<std::string> caption;
};

class MouseReadoutTest : public testing::TestWithParam<ReadoutCase> {
protected:
    void SetUp() override { DegreeSign = "\xC2\xB0"; }
    void TearDown() override { ClearDegreeSign(); }
};

TEST_P(MouseReadoutTest, AzimuthAndElevationUnderTheMouse) {
    const ReadoutCase& c = GetParam();
    EXPECT_EQ(MouseReadoutCaption(c.polar, 540, 273, c.x, c.y), c.caption);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, MouseReadoutTest,
    testing::Values(
        // The polar square is 273 high: its centre is at (136, 136), its radius 136.
        ReadoutCase{"PolarCentre", true, 136, 136, "Az: 180\xC2\xB0,  El: 90\xC2\xB0"},
        ReadoutCase{"PolarAbove", true, 136, 68, "Az: 0\xC2\xB0,  El: 45\xC2\xB0"},
        ReadoutCase{"PolarBelow", true, 136, 204, "Az: 180\xC2\xB0,  El: 45\xC2\xB0"},
        ReadoutCase{"PolarRight", true, 204, 136, "Az: 90\xC2\xB0,  El: 45\xC2\xB0"},
        ReadoutCase{"PolarLeft", true, 68, 136, "Az: 270\xC2\xB0,  El: 45\xC2\xB0"},
        ReadoutCase{"PolarOnTheCircle", true, 272, 136, "Az: 90\xC2\xB0,  El: 0\xC2\xB0"},
        ReadoutCase{"PolarOutsideTheCircle", true, 300, 136, std::nullopt},
        ReadoutCase{"PolarCorner", true, 0, 0, std::nullopt},
        ReadoutCase{"RectangularTopLeft", false, 0, 0, "Az: 0\xC2\xB0,  El: 90\xC2\xB0"},
        ReadoutCase{"RectangularMiddle", false, 270, 91, "Az: 180\xC2\xB0,  El: 60\xC2\xB0"},
        ReadoutCase{"RectangularBottomRight", false, 539, 272, "Az: 359\xC2\xB0,  El: 0\xC2\xB0"},
        ReadoutCase{"RectangularBelowTheImage", false, 10, 300, std::nullopt}),
    CaseName());

TEST(MouseReadout, EmptyBitmapGivesNoCaption) {
    EXPECT_EQ(MouseReadoutCaption(false, 0, 273, 1, 1), std::nullopt);
    EXPECT_EQ(MouseReadoutCaption(true, 540, 1, 0, 0), std::nullopt);
}

TEST(CompassLetters, MarkTheQuartersOfTheImage) {
    const ImageBounds image{8, 4, 540, 273};
    const auto positions = CompassLetterPositions(image, {9, 7, 7, 11, 9});
    const std::array<CompassLetterPosition, 5> expected = {{
        {8 + 2 - 4, 277},
        {8 + 1 + 135 - 3, 277},
        {8 + 270 - 3, 277},
        {8 - 1 + 405 - 5, 277},
        {8 - 2 + 540 - 4, 277},
    }};
    EXPECT_EQ(positions, expected);
}

TEST(CompassLetters, WidthDivisionTruncatesTowardZero) {
    const auto positions = CompassLetterPositions({-3, 0, 7, 10}, {-3, 1, 3, 5, 0});
    EXPECT_EQ(positions[0].Left, -3 + 2 + 1);
    EXPECT_EQ(positions[1].Left, -3 + 1 + 1 - 0);
    EXPECT_EQ(positions[3].Left, -3 - 1 + 5 - 2);
}

} // namespace
