#include "horizon/SkyClasses.h"
#include "horizon/OpenProfile.h"

#include "ObservedSky.h"
#include "TestNames.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct ClassCase {
    const char* name;
    CellReports reports;
    int threshold;
    SkyClass expected;
};

class CellClass : public testing::TestWithParam<ClassCase> {};

TEST_P(CellClass, FollowsTheMedianOfAllReports) {
    MapObservations map;
    if (!GetParam().reports.heard.empty() || GetParam().reports.unheard > 0) {
        Report(map, 17, 23, GetParam().reports);
    }
    const SkyClasses classes(map, GetParam().threshold);
    EXPECT_EQ(SkyClassName(classes.At(17, 23)), SkyClassName(GetParam().expected));
    EXPECT_EQ(classes.At(18, 23), SkyClass::Unseen);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, CellClass,
    testing::Values(ClassCase{"never_reported", {{}, 0}, 30, SkyClass::Unseen},
                    ClassCase{"twice_unheard_is_too_little", {{}, 2}, 30, SkyClass::Unseen},
                    ClassCase{"three_times_unheard", {{}, 3}, 30, SkyClass::Blocked},
                    ClassCase{"clear", {{40, 44, 42}, 0}, 30, SkyClass::Open},
                    ClassCase{"at_the_threshold", {{30}, 0}, 30, SkyClass::Open},
                    ClassCase{"foliage", {{20, 25, 22}, 0}, 30, SkyClass::Weak},
                    ClassCase{"reflection_among_faint", {{48, 12, 15, 14}, 0}, 30, SkyClass::Weak},
                    ClassCase{"reflection_behind_a_wall", {{48}, 6}, 30, SkyClass::Weak},
                    ClassCase{"even_count_takes_the_lower", {{28, 40}, 0}, 30, SkyClass::Weak},
                    ClassCase{"half_unheard_takes_the_lower", {{40, 40}, 2}, 30, SkyClass::Weak},
                    ClassCase{"seldom_unheard", {{40, 40, 40}, 2}, 30, SkyClass::Open},
                    ClassCase{"threshold_below_one_is_one", {{1}, 0}, -5, SkyClass::Open}),
    CaseName());

struct ProfileCase {
    const char* name;
    int azimuth;
    std::optional<int> elevation;
    OpenProfile::Azimuth state;
    std::optional<int> highestReported;
};

class SiteProfile : public testing::TestWithParam<ProfileCase> {};

TEST_P(SiteProfile, IsTheLowestOpenCellOrSaysWhyNone) {
    static const OpenProfile profile(SkyClasses(WalledSite(), 30));
    EXPECT_EQ(profile.Elevation(GetParam().azimuth), GetParam().elevation);
    EXPECT_EQ(profile.State(GetParam().azimuth), GetParam().state);
    EXPECT_EQ(profile.HighestReported(GetParam().azimuth), GetParam().highestReported);
}

using enum OpenProfile::Azimuth;
INSTANTIATE_TEST_SUITE_P(
    Azimuths, SiteProfile,
    testing::Values(ProfileCase{"tree_at_north", 0, 15, Open, 90},
                    ProfileCase{"open_sky", 90, 5, Open, 90},
                    ProfileCase{"wall_begins", 200, 30, Open, 90},
                    ProfileCase{"wall_ends", 250, 30, Open, 90},
                    ProfileCase{"pole_hole_leaves_the_horizon", 30, 5, Open, 90},
                    ProfileCase{"never_reported", 105, std::nullopt, Unseen, std::nullopt},
                    ProfileCase{"never_heard", 300, std::nullopt, Blocked, 40},
                    ProfileCase{"too_seldom", 301, std::nullopt, Unseen, std::nullopt},
                    ProfileCase{"below_range", -1, std::nullopt, Unseen, std::nullopt},
                    ProfileCase{"beyond_range", 360, std::nullopt, Unseen, std::nullopt}),
    CaseName());

} // namespace
