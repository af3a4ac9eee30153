#include "horizon/MapObservations.h"
#include "platform/Exception.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

using namespace std::chrono_literals;

TEST(CellObservations, SaturatesAndKeepsSnrsInRange) {
    CellObservations cell;
    cell.AddUnheard(CellObservations::MaxCount);
    cell.Add(0);
    cell.AddHeard(5, CellObservations::MaxCount);
    cell.AddHeard(5, 1);
    EXPECT_EQ(cell.Unheard(), CellObservations::MaxCount);
    EXPECT_EQ(cell.Heard(), CellObservations::MaxCount);
    EXPECT_THROW(cell.AddHeard(0, 1), Exception);
    EXPECT_THROW(cell.AddHeard(CellObservations::MaxSnr + 1, 1), Exception);
    cell.Add(70000);
    EXPECT_EQ(cell.Max(), CellObservations::MaxSnr);
}

struct PeriodCase {
    const char* name;
    std::vector<std::chrono::seconds> times; // one report each, in a cell of its own
    std::chrono::seconds observed;
    std::uint32_t lastFirstReported; // of the last report's cell
};

class ObservedTime : public testing::TestWithParam<PeriodCase> {};

TEST_P(ObservedTime, CountsGapsUpToTheLimit) {
    const MapObservations::Time start{1'700'000'000s};
    MapObservations map;
    int azimuth = 0;
    for (const auto time : GetParam().times) {
        map.Add(5, azimuth++, 10, 40, start + time);
    }
    EXPECT_EQ(map.Reception().Observed, GetParam().observed);
    EXPECT_EQ(map.Reception().First, start);
    EXPECT_EQ(map.Cell(azimuth - 1, 10)->FirstReported(), GetParam().lastFirstReported);
}

INSTANTIATE_TEST_SUITE_P(
    Times, ObservedTime,
    testing::Values(PeriodCase{"steady", {0s, 1s, 2s, 3s}, 3s, 3},
                    PeriodCase{"gap_of_the_limit", {0s, MapObservations::MaxGap}, 10s, 10},
                    PeriodCase{"longer_gap", {0s, 1s, 12s, 13s}, 2s, 2},
                    PeriodCase{"clock_steps_back", {0s, 5s, 3s, 4s}, 5s, 5}),
    CaseName());

TEST(MapObservations, LeavesOutWhatIsNotInTheGrid) {
    MapObservations map;
    map.Add(5, 360, 10, 40, MapObservations::Time{});
    map.Add(5, 10, 91, 40, MapObservations::Time{});
    map.Add(1000, 10, 10, 40, MapObservations::Time{});
    map.Add(6, 10, 10, 0, MapObservations::Time{});
    EXPECT_EQ(map.ReportedCells(), 1u);
    EXPECT_EQ(map.Cell(10, 10)->Reports(), 2u);
    EXPECT_TRUE(map.SatellitesHeard().empty());
}

} // namespace
