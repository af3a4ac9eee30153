#include "tools/sim/ReceiverModel.h"
#include "tools/sim/SatelliteSky.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <numbers>
#include <numeric>
#include <vector>

namespace {

using namespace std::chrono;

constexpr Place Berlin{52.52, 13.405};
constexpr sys_seconds Start = sys_days{2024y / June / 21};

std::vector<sys_seconds> Day(minutes step) {
    std::vector<sys_seconds> times;
    for (auto time = Start; time < Start + 24h; time += step) {
        times.push_back(time);
    }
    return times;
}

// The angle between two directions, which unlike the azimuth neither jumps at north nor spins
// at the zenith.
double Separation(const SatelliteDirection& a, const SatelliteDirection& b) {
    const auto unit = [](const SatelliteDirection& d) {
        const double az = d.azimuth * std::numbers::pi / 180;
        const double el = d.elevation * std::numbers::pi / 180;
        return std::array{std::cos(el) * std::sin(az), std::cos(el) * std::cos(az), std::sin(el)};
    };
    const auto u = unit(a);
    const auto v = unit(b);
    return std::acos(std::clamp(u[0] * v[0] + u[1] * v[1] + u[2] * v[2], -1.0, 1.0)) * 180 /
           std::numbers::pi;
}

TEST(SimSky, InRangeAndEnoughUpAllDay) {
    const SatelliteSky sky(Berlin);
    for (const sys_seconds time : Day(10min)) {
        int up = 0;
        for (const SatelliteDirection& satellite : sky.At(time)) {
            EXPECT_TRUE(satellite.elevation >= -90 && satellite.elevation <= 90);
            EXPECT_TRUE(satellite.azimuth >= 0 && satellite.azimuth < 360);
            up += satellite.elevation > 0;
        }
        EXPECT_GE(up, 8);
        // About a third of the constellation is ever up at once.
        EXPECT_LE(up, 16);
    }
}

TEST(SimSky, SatellitesMoveSmoothly) {
    const SatelliteSky sky(Berlin);
    for (const sys_seconds time : Day(7min)) {
        const auto before = sky.At(time);
        const auto after = sky.At(time + 10s);
        ASSERT_EQ(before.size(), after.size());
        for (std::size_t i = 0; i < before.size(); ++i) {
            ASSERT_EQ(before[i].prn, after[i].prn);
            EXPECT_LT(Separation(before[i], after[i]), 1.0) << "PRN " << before[i].prn;
        }
    }
}

// Orbits inclined 55 degrees never come near the celestial pole: around it the sky stays empty,
// while the same spot mirrored to the south is crossed. A wrong sign in the turn from the
// Earth's axes to the observer's would swap the two.
TEST(SimSky, EmptySkyAroundThePole) {
    const SatelliteSky sky(Berlin);
    double nearestPole = 180;
    double nearestMirror = 180;
    for (const sys_seconds time : Day(2min)) {
        for (const SatelliteDirection& satellite : sky.At(time)) {
            nearestPole = std::min(nearestPole, Separation(satellite, {0, 0, Berlin.latitude}));
            nearestMirror =
                std::min(nearestMirror, Separation(satellite, {0, 180, Berlin.latitude}));
        }
    }
    EXPECT_GT(nearestPole, 25);
    EXPECT_LT(nearestMirror, 5);
}

using Reports = std::vector<std::vector<ReportedSatellite>>;

Reports ReportDay(const ObstructionMask& mask, std::uint64_t seed, minutes step) {
    const SatelliteSky sky(Berlin);
    ReceiverModel receiver(mask, seed);
    Reports reports;
    for (const sys_seconds time : Day(step)) {
        reports.push_back(receiver.Track(sky.At(time)));
    }
    return reports;
}

TEST(SimReceiver, TwelveChannelsHighestFirst) {
    std::size_t most = 0;
    for (const auto& reports : ReportDay(ObstructionMask(), 1, 10min)) {
        most = std::max(most, reports.size());
        EXPECT_TRUE(
            std::is_sorted(reports.begin(), reports.end(),
                           [](const auto& a, const auto& b) { return a.elevation > b.elevation; }));
        for (const ReportedSatellite& satellite : reports) {
            EXPECT_TRUE(satellite.elevation >= 0 && satellite.azimuth < 360 && satellite.snr);
        }
    }
    EXPECT_EQ(most, 12u);
}

TEST(SimReceiver, NothingHeardThroughTheBuilding) {
    int behind = 0;
    for (const auto& reports : ReportDay(ObstructionMask::BuildingAndTrees(), 1, 1min)) {
        for (const ReportedSatellite& satellite : reports) {
            // Borders left out: the receiver rounds, the wall does not.
            if (satellite.azimuth > 200 && satellite.azimuth < 250 && satellite.elevation < 40) {
                ++behind;
                EXPECT_FALSE(satellite.snr) << satellite.azimuth << "/" << satellite.elevation;
            }
        }
    }
    EXPECT_GT(behind, 0) << "no satellite passed behind the building";
}

TEST(SimReceiver, LouderHighUpQuieterBehindTrees) {
    std::vector<int> high;
    std::vector<int> low;
    std::vector<int> lowBehindTrees;
    for (const auto& reports : ReportDay(ObstructionMask::BuildingAndTrees(), 1, 1min)) {
        for (const ReportedSatellite& satellite : reports) {
            const bool trees = satellite.azimuth > 300 && satellite.azimuth < 340;
            const bool building = satellite.azimuth >= 200 && satellite.azimuth <= 250;
            if (satellite.elevation >= 60) {
                high.push_back(satellite.snr.value_or(0));
            } else if (satellite.elevation <= 20 && trees) {
                lowBehindTrees.push_back(satellite.snr.value_or(0));
            } else if (satellite.elevation <= 20 && !building) {
                low.push_back(satellite.snr.value_or(0));
            }
        }
    }
    const auto mean = [](const std::vector<int>& snrs) {
        EXPECT_FALSE(snrs.empty());
        return std::accumulate(snrs.begin(), snrs.end(), 0.0) / static_cast<double>(snrs.size());
    };
    EXPECT_GT(mean(high), mean(low) + 10);
    EXPECT_NEAR(mean(low) - mean(lowBehindTrees), 12, 3);
}

TEST(SimReceiver, SeedDecidesTheNoise) {
    const ObstructionMask mask = ObstructionMask::BuildingAndTrees();
    const Reports first = ReportDay(mask, 7, 30min);
    EXPECT_EQ(ReportDay(mask, 7, 30min), first);
    EXPECT_NE(ReportDay(mask, 8, 30min), first);
}

struct MaskCase {
    const char* name;
    double azimuth;
    double elevation;
    std::optional<double> loss;
};

class SimObstructionMask : public testing::TestWithParam<MaskCase> {};

TEST_P(SimObstructionMask, Loss) {
    const ObstructionMask mask({{200, 250, 40, std::nullopt},
                                {300, 340, 25, 12.0},
                                {350, 10, 15, 5.0},
                                {355, 5, 10, 3.0}});
    EXPECT_EQ(mask.LossDb(GetParam().azimuth, GetParam().elevation), GetParam().loss);
}

INSTANTIATE_TEST_SUITE_P(Directions, SimObstructionMask,
                         testing::Values(MaskCase{"BehindBuilding", 200, 39.9, {}},
                                         MaskCase{"AboveBuilding", 225, 40, 0.0},
                                         MaskCase{"PastBuilding", 250, 5, 0.0},
                                         MaskCase{"BehindTrees", 320, 24, 12.0},
                                         MaskCase{"AcrossNorth", 8, 12, 5.0},
                                         MaskCase{"OverlapsAddUp", 358, 5, 8.0}),
                         CaseName());

} // namespace
