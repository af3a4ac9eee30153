#include "horizon/HorizonProfile.h"
#include "horizon/HorizonGrid.h"
#include "platform/CommaText.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

void SetCell(TStringList& grid, int azimuth, int elevation, const std::string& value) {
    std::vector<std::string> fields = SplitCommaText(grid.Get(static_cast<std::size_t>(azimuth)));
    fields[static_cast<std::size_t>(elevation) + 1] = value;
    grid.Put(static_cast<std::size_t>(azimuth), JoinCommaText(fields));
}

// A building from azimuth 200 to 250 hides the sky below 30 degrees; elsewhere the sky is open
// down to 5 degrees, except 100 to 109 where nothing was ever received.
TStringList WalledSky() {
    TStringList grid = NewGrid();
    for (int q = 0; q < GridAzimuths; ++q) {
        if (q >= 100 && q <= 109) {
            continue;
        }
        const int lowest = q >= 200 && q <= 250 ? 30 : 5;
        for (int e = 0; e < GridElevations; ++e) {
            // Weak signals reach through the wall, too weak to count.
            SetCell(grid, q, e, std::to_string(e >= lowest ? 42 : (e % 3 == 0 ? 18 : 0)));
        }
    }
    return grid;
}

struct WallCase {
    const char* name;
    int azimuth;
    std::optional<int> elevation;
};

class WalledSkyProfile : public testing::TestWithParam<WallCase> {};

TEST_P(WalledSkyProfile, IsTheLowestClearCell) {
    static const HorizonProfile profile(WalledSky());
    EXPECT_EQ(profile.Elevation(GetParam().azimuth), GetParam().elevation);
}

INSTANTIATE_TEST_SUITE_P(
    Azimuths, WalledSkyProfile,
    testing::Values(WallCase{"north", 0, 5}, WallCase{"before_the_wall", 199, 5},
                    WallCase{"wall_begins", 200, 30}, WallCase{"wall_middle", 225, 30},
                    WallCase{"wall_ends", 250, 30}, WallCase{"after_the_wall", 251, 5},
                    WallCase{"last", 359, 5}, WallCase{"never_received", 100, std::nullopt},
                    WallCase{"never_received_last", 109, std::nullopt},
                    WallCase{"below_range", -1, std::nullopt},
                    WallCase{"beyond_range", 360, std::nullopt}),
    CaseName());

struct ThresholdCase {
    const char* name;
    std::string low;  // the cell at elevation 10
    std::string high; // the cell at elevation 20
    int threshold;
    std::optional<int> elevation;
};

class ProfileThreshold : public testing::TestWithParam<ThresholdCase> {};

TEST_P(ProfileThreshold, CountsCellsAtOrAboveIt) {
    TStringList grid = NewGrid();
    SetCell(grid, 7, 10, GetParam().low);
    SetCell(grid, 7, 20, GetParam().high);
    const HorizonProfile profile(grid, GetParam().threshold);
    EXPECT_EQ(profile.Elevation(7), GetParam().elevation);
    EXPECT_EQ(profile.Elevation(8), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, ProfileThreshold,
    testing::Values(ThresholdCase{"exactly_the_threshold", "30", "40", 30, 10},
                    ThresholdCase{"one_below", "29", "40", 30, 20},
                    ThresholdCase{"none_reaches_it", "29", "29", 30, std::nullopt},
                    ThresholdCase{"lower_threshold", "29", "40", 29, 10},
                    ThresholdCase{"not_a_number_is_zero", "x40", "31", 30, 20},
                    ThresholdCase{"empty_is_zero", "", "", 30, std::nullopt},
                    ThresholdCase{"negative", "-50", "99", 1, 20},
                    // Nothing received is never a horizon, whatever the threshold.
                    ThresholdCase{"threshold_zero_is_one", "0", "1", 0, 20}),
    CaseName());

TEST(HorizonProfile, DamagedGridsGiveUnknownsNotErrors) {
    TStringList shortGrid = NewGrid();
    shortGrid.Put(3, "3,0,35");
    shortGrid.Put(4, "garbage");
    TStringList fewLines(std::vector<std::string>{"0,31", "1,0,0,33"});
    const HorizonProfile cut(shortGrid);
    EXPECT_EQ(cut.Elevation(3), 1);
    EXPECT_EQ(cut.Elevation(4), std::nullopt);
    const HorizonProfile few(fewLines);
    EXPECT_EQ(few.Elevation(0), 0);
    EXPECT_EQ(few.Elevation(1), 2);
    EXPECT_EQ(few.Elevation(2), std::nullopt);
    EXPECT_EQ(HorizonProfile(TStringList()).Elevations(), HorizonProfile(NewGrid()).Elevations());
}

} // namespace
