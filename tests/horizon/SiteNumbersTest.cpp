#include "horizon/SiteNumbers.h"

#include "ObservedSky.h"
#include "TestNames.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <optional>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr int Threshold = 30;

SiteNumbers NumbersOf(const MapObservations& combined) {
    return SiteNumbers(combined, {}, Threshold);
}

struct ShareCase {
    const char* name;
    CellReports (*sky)(int azimuth, int elevation);
    double seen;          // percent of the dome
    double seenAboveMask; // percent of the dome above 10 degrees
    double openOfSeen;    // percent of the seen sky above 10 degrees
};

class SiteSkyShares : public testing::TestWithParam<ShareCase> {};

TEST_P(SiteSkyShares, AreWeightedByCellArea) {
    const SiteNumbers numbers = NumbersOf(ObservedSky(GetParam().sky));
    EXPECT_NEAR(numbers.SeenSky(), GetParam().seen, 0.001);
    EXPECT_NEAR(numbers.SeenSkyAboveMask(), GetParam().seenAboveMask, 0.001);
    EXPECT_NEAR(numbers.OpenSkyAboveMask(), GetParam().openOfSeen, 0.001);
}

INSTANTIATE_TEST_SUITE_P(
    Skies, SiteSkyShares,
    testing::Values(ShareCase{"whole_dome", [](int, int) { return Clear; }, 100, 100, 100},
                    ShareCase{"horizon_row", [](int, int e) { return e == 0 ? Clear : Never; },
                              0.8727, 0, 0},
                    ShareCase{"zenith_row", [](int, int e) { return e == 90 ? Clear : Never; },
                              0.0038, 0.0046, 100},
                    ShareCase{"lower_half", [](int, int e) { return e < 45 ? Clear : Never; },
                              70.0909, 63.8059, 100},
                    ShareCase{"walled_below_30", [](int, int e) { return e < 30 ? Walled : Clear; },
                              100, 100, 61.4238},
                    ShareCase{"pole_hole_is_not_seen",
                              [](int q, int e) { return q < 90 && e >= 45 ? Never : Clear; },
                              92.5227, 90.9515, 100}),
    CaseName());

// Azimuths from..to (across north where to < from): open from `elevation` up, faint below; or,
// `blocked`, never heard up to `elevation` and never reported above.
struct Stretch {
    int from;
    int to;
    int elevation;
    bool blocked = false;
};

struct SectorCase {
    const char* name;
    std::vector<Stretch> stretches; // elsewhere open from 5 degrees
    std::vector<SiteNumbers::Sector> sectors;
};

class SiteObstructions : public testing::TestWithParam<SectorCase> {};

TEST_P(SiteObstructions, JoinNeighboursAndCrossNorth) {
    const auto& stretches = GetParam().stretches;
    const MapObservations map = ObservedSky([&](int q, int e) {
        Stretch at{q, q, 5};
        for (const Stretch& s : stretches) {
            at = (s.from <= s.to ? q >= s.from && q <= s.to : q >= s.from || q <= s.to) ? s : at;
        }
        if (at.blocked) {
            return e <= at.elevation ? Walled : Never;
        }
        return e < at.elevation ? Faint : Clear;
    });
    EXPECT_EQ(NumbersOf(map).Obstructions(), GetParam().sectors);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, SiteObstructions,
    testing::Values(
        SectorCase{"none", {}, {}}, SectorCase{"ten_degrees_is_no_obstruction", {{0, 359, 10}}, {}},
        SectorCase{"wall", {{200, 250, 30}}, {{200, 250, 30}}},
        SectorCase{"blocked_up_to_its_highest_report", {{120, 130, 40, true}}, {{120, 130, 40}}},
        SectorCase{"neighbours_are_one", {{100, 110, 15}, {111, 120, 40, true}}, {{100, 120, 40}}},
        SectorCase{"from_north", {{0, 10, 20}}, {{0, 10, 20}}},
        SectorCase{"to_north", {{340, 359, 20}}, {{340, 359, 20}}},
        SectorCase{"whole_circle", {{0, 359, 20}}, {{0, 359, 20}}},
        SectorCase{"across_north_comes_last",
                   {{350, 359, 20}, {0, 5, 25}, {90, 95, 12}},
                   {{90, 95, 12}, {350, 5, 25}}}),
    CaseName());

struct BandReport {
    int azimuth;
    int elevation;
    CellReports reports;
};

struct BandCase {
    const char* name;
    std::vector<BandReport> reports;
    std::array<std::optional<int>, SiteNumbers::Bands.size()> medians;
};

class SiteBandMedians : public testing::TestWithParam<BandCase> {};

TEST_P(SiteBandMedians, PoolTheCellsOfEachBand) {
    MapObservations map;
    for (const BandReport& report : GetParam().reports) {
        Report(map, report.azimuth, report.elevation, report.reports);
    }
    // Without a map of each system the combined one stands for GPS.
    const SiteNumbers numbers = NumbersOf(map);
    ASSERT_EQ(numbers.Systems().size(), 1u);
    EXPECT_EQ(numbers.Systems()[0].System, SatelliteSystem::GPS);
    EXPECT_EQ(numbers.Systems()[0].MedianSnr, GetParam().medians);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, SiteBandMedians,
    testing::Values(BandCase{"nothing_heard", {{0, 5, Walled}}, {}},
                    BandCase{"even_count_takes_the_lower",
                             {{0, 5, {{20}}}, {90, 10, {{30}}}},
                             {20, {}, {}, {}}},
                    BandCase{"counts_pool", {{0, 5, {{20}}}, {1, 5, {{30, 30}}}}, {30, {}, {}, {}}},
                    BandCase{"band_edges",
                             {{0, 14, {{10}}},
                              {0, 15, {{40}}},
                              {0, 29, {{25}}},
                              {0, 30, {{33}}},
                              {0, 59, {{34}}},
                              {0, 60, {{45}}},
                              {0, 90, {{50}}}},
                             {10, 25, 33, 45}}),
    CaseName());

TEST(SiteNumbers, CountTheSatellitesOfEachSystemHeard) {
    const MapObservations::Time time{1'700'000'000s};
    MapObservations gps, galileo;
    for (const int prn : {3, 7, 7}) {
        gps.Add(prn, 10, 20, 40, time);
    }
    galileo.Add(311, 10, 20, 40, time);
    galileo.Add(312, 10, 20, 0, time);
    const MapObservations none;
    using enum SatelliteSystem;
    const SiteNumbers numbers(gps, {{Galileo, &galileo}, {GLONASS, &none}, {GPS, &gps}}, Threshold);
    ASSERT_EQ(numbers.Systems().size(), 2u);
    EXPECT_EQ(numbers.Systems()[0].System, GPS);
    EXPECT_EQ(numbers.Systems()[0].SatellitesHeard, 2u);
    EXPECT_EQ(numbers.Systems()[1].System, Galileo);
    EXPECT_EQ(numbers.Systems()[1].SatellitesHeard, 1u);
}

struct CompletenessCase {
    const char* name;
    std::chrono::seconds observed;
    int lateAzimuths; // whole azimuths first reported at `lateAt`, the rest at the start
    std::chrono::seconds lateAt;
    const char* text;
};

class SiteCompleteness : public testing::TestWithParam<CompletenessCase> {};

TEST_P(SiteCompleteness, IsTheRecentGrowthOfTheSeenSky) {
    MapObservations map;
    for (int q = 0; q < GridAzimuths; ++q) {
        for (int e = 0; e < GridElevations; ++e) {
            const auto first = q < GetParam().lateAzimuths ? GetParam().lateAt : 0s;
            Report(map, q, e, Clear, static_cast<std::uint32_t>(first.count()));
        }
    }
    map.SetReception({std::nullopt, std::nullopt, GetParam().observed});
    const SiteNumbers numbers = NumbersOf(map);
    EXPECT_EQ(numbers.CompletenessText(), GetParam().text);
    EXPECT_DOUBLE_EQ(numbers.ObservedHours(), GetParam().observed.count() / 3600.0);
}

INSTANTIATE_TEST_SUITE_P(
    Growth, SiteCompleteness,
    testing::Values(CompletenessCase{"under_six_hours", 6h - 1s, 10, 5h,
                                     "not yet known: less than 6 hours observed"},
                    CompletenessCase{"under_one_percent", 10h, 3, 9h,
                                     "complete for this receiver's satellites"},
                    CompletenessCase{"over_one_percent", 10h, 4, 9h,
                                     "still growing: 1.1 % in the last 6 observed hours"},
                    CompletenessCase{"growth_before_the_window", 10h, 20, 4h,
                                     "complete for this receiver's satellites"},
                    CompletenessCase{"six_hours_exactly", 6h, 4, 1s,
                                     "still growing: 1.1 % in the last 6 observed hours"}),
    CaseName());

TEST(SiteNumbers, OfAWalledSite) {
    const SiteNumbers numbers = NumbersOf(WalledSite());
    EXPECT_EQ(numbers.Obstructions(),
              (std::vector<SiteNumbers::Sector>{{200, 250, 30}, {300, 300, 40}, {355, 5, 15}}));
    EXPECT_LT(numbers.SeenSky(), 100);
    EXPECT_FALSE(numbers.RecentGrowth());
}

} // namespace
