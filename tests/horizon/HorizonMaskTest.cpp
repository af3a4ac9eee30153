#include "horizon/HorizonMask.h"
#include "platform/Exception.h"

#include "ObservedSky.h"
#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

HorizonMask MaskOf(const MapObservations& map) {
    return HorizonMask(OpenProfile(SkyClasses(map, 30)));
}

struct InterpolationCase {
    const char* name;
    std::vector<std::pair<int, int>> open; // azimuth, lowest open elevation
    int azimuth;
    double elevation;
    bool interpolated;
};

class MaskElevation : public testing::TestWithParam<InterpolationCase> {};

TEST_P(MaskElevation, IsKnownOrInterpolatedAlongTheCircle) {
    MapObservations map;
    for (const auto& [azimuth, elevation] : GetParam().open) {
        Report(map, azimuth, elevation, Clear);
    }
    const HorizonMask mask = MaskOf(map);
    EXPECT_DOUBLE_EQ(mask.Elevations()[static_cast<std::size_t>(GetParam().azimuth)],
                     GetParam().elevation);
    const auto& interpolated = mask.Interpolated();
    EXPECT_EQ(std::find(interpolated.begin(), interpolated.end(), GetParam().azimuth) !=
                  interpolated.end(),
              GetParam().interpolated);
    EXPECT_EQ(interpolated.size(), GridAzimuths - GetParam().open.size());
}

INSTANTIATE_TEST_SUITE_P(
    Azimuths, MaskElevation,
    testing::Values(InterpolationCase{"known", {{90, 12}, {270, 20}}, 90, 12, false},
                    InterpolationCase{"between", {{90, 12}, {270, 20}}, 180, 16, true},
                    InterpolationCase{"across_north", {{350, 10}, {10, 30}}, 0, 20, true},
                    InterpolationCase{"before_north", {{350, 10}, {10, 30}}, 355, 15, true},
                    InterpolationCase{"the_long_way", {{350, 10}, {10, 30}}, 100, 24.7, true},
                    InterpolationCase{"one_decimal", {{0, 10}, {3, 11}}, 1, 10.3, true},
                    InterpolationCase{"single_known", {{45, 7}}, 44, 7, true}),
    CaseName());

TEST(HorizonMask, RefusesWithoutAKnownAzimuth) {
    for (const MapObservations& map :
         {MapObservations(), ObservedSky([](int, int e) { return e < 50 ? Walled : Faint; })}) {
        try {
            MaskOf(map);
            ADD_FAILURE() << "a mask of guesses only";
        } catch (const Exception& error) {
            EXPECT_NE(error.Message().find("no direction has been seen open"), std::string::npos);
        }
    }
}

struct FormCase {
    const char* name;
    const char* file;
    std::vector<std::string> lines; // in this order, with others between
};

class MaskFile : public testing::TestWithParam<FormCase> {};

TEST_P(MaskFile, HasTheFormOfItsExtension) {
    const TemporaryFolder folder;
    MaskOf(WalledSite()).Save(folder.File(GetParam().file));
    const std::string text = ReadFileBytes(folder.File(GetParam().file));
    std::size_t at = 0;
    for (const std::string& line : GetParam().lines) {
        at = text.find(line + "\n", at);
        ASSERT_NE(at, std::string::npos) << line;
        EXPECT_TRUE(at == 0 || text[at - 1] == '\n') << line;
    }
    EXPECT_EQ(at + GetParam().lines.back().size() + 1, text.size());
}

const char* const Convention = "# horizon mask: azimuth from true north, clockwise, in degrees; "
                               "elevation in degrees above the horizon";
const char* const Interpolated = "# interpolated between the nearest known azimuths (no open view "
                                 "seen there): 100-109, 300-301";

INSTANTIATE_TEST_SUITE_P(
    Forms, MaskFile,
    testing::Values(FormCase{"csv",
                             "mask.csv",
                             {Convention, Interpolated, "azimuth_deg,elevation_deg", "0,15",
                              "105,5", "225,30", "359,15"}},
                    FormCase{"azelmask",
                             "mask.AEM",
                             {"stk.v.11.0", Convention, Interpolated, "BEGIN AzElMask",
                              "NumberOfPoints 360", "BEGIN AzElMaskData", "0 15", "1 15", "105 5",
                              "359 15", "END AzElMaskData", "END AzElMask"}}),
    CaseName());

} // namespace
