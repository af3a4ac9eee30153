#include "horizon/HorizonGrid.h"
#include "horizon/PositionFix.h"
#include "horizon/ReceivePath.h"

#include "RecordingSkyTable.h"
#include "TestNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

using enum SatelliteSystem;
using namespace std::chrono_literals;
using std::chrono::sys_days;
using std::chrono::sys_seconds;
using std::chrono::year;

// A cell's reports in one map: heard (each SNR once) and unheard.
struct Counted {
    std::optional<SatelliteSystem> map;
    int azimuth;
    int elevation;
    std::vector<int> heard;
    std::uint32_t unheard;
};

struct CountingCase {
    const char* name;
    ReceiverMode mode;
    const char* received;
    // Every cell reported, in all maps.
    std::vector<Counted> cells;
    // The systems that get a map.
    std::vector<SatelliteSystem> maps;
};

class ReceivePathCountingTest : public testing::TestWithParam<CountingCase> {
protected:
    ReceivePathCountingTest() { grids.HorizonGrid = NewGrid(); }

    HorizonGrids grids;
    RecordingSkyTable table;
    ReceivePath path{grids, table, nullptr};
};

std::vector<int> HeardSnrs(const CellObservations& cell) {
    std::vector<int> snrs;
    for (const CellObservations::SnrCount& entry : cell.Distribution()) {
        snrs.insert(snrs.end(), entry.Count, entry.Snr);
    }
    return snrs;
}

TEST_P(ReceivePathCountingTest, CountsEveryReportWithADirectionInTheMapsItWouldRaise) {
    path.SetMode(GetParam().mode);
    path.AppendBlock(GetParam().received);

    std::size_t cells[AllSatelliteSystems.size() + 1] = {};
    for (const Counted& expected : GetParam().cells) {
        const MapObservations* observations =
            expected.map ? grids.Systems.FindObservations(*expected.map) : &grids.Observations;
        ASSERT_NE(observations, nullptr);
        const CellObservations* cell = observations->Cell(expected.azimuth, expected.elevation);
        ASSERT_NE(cell, nullptr) << expected.azimuth << ", " << expected.elevation;
        EXPECT_EQ(HeardSnrs(*cell), expected.heard)
            << expected.azimuth << ", " << expected.elevation;
        EXPECT_EQ(cell->Unheard(), expected.unheard);
        ++cells[expected.map ? static_cast<std::size_t>(*expected.map) + 1 : 0];
    }
    EXPECT_EQ(grids.Observations.ReportedCells(), cells[0]);
    for (const SatelliteSystem system : AllSatelliteSystems) {
        const MapObservations* observations = grids.Systems.FindObservations(system);
        EXPECT_EQ(observations != nullptr ? observations->ReportedCells() : 0,
                  cells[static_cast<std::size_t>(system) + 1])
            << RowOf(system).name;
        const bool mapped = std::find(GetParam().maps.begin(), GetParam().maps.end(), system) !=
                            GetParam().maps.end();
        EXPECT_EQ(grids.Systems.Find(system) != nullptr, mapped) << RowOf(system).name;
    }
}

const CountingCase CountingCases[] = {
    {"gps_only_heard_and_unheard",
     ReceiverMode::GpsOnly,
     "$GPGSV,3,1,11,01,40,083,46,02,17,308,,12,07,344,00,14,,228,45*74\r\n"
     "$GPGSV,3,2,11,01,40,083,44,00,20,020,30,15,33,120,-3*74\r\n",
     {{std::nullopt, 83, 40, {44, 46}, 0},
      {std::nullopt, 308, 17, {}, 1},
      {std::nullopt, 344, 7, {}, 1},
      {std::nullopt, 120, 33, {}, 1}},
     {}},
    {"gps_only_reads_no_other_sentence",
     ReceiverMode::GpsOnly,
     "$GPGSV,2,1,05,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45,1*6A\r\n"
     "$GLGSV,3,1,02,70,30,200,33,71,31,201,34*6A\r\n",
     {},
     {}},
    {"all_systems_each_system_apart",
     ReceiverMode::AllSystems,
     "$GPGSV,2,1,05,01,40,083,46,02,17,308,,12,07,344,39,14,,,45,1*6A\r\n"
     "$GLGSV,1,1,02,70,30,200,,71,30,200,0*6A\r\n",
     {{std::nullopt, 83, 40, {46}, 0},
      {std::nullopt, 308, 17, {}, 1},
      {std::nullopt, 344, 7, {39}, 0},
      {std::nullopt, 200, 30, {}, 2},
      {GPS, 83, 40, {46}, 0},
      {GPS, 308, 17, {}, 1},
      {GPS, 344, 7, {39}, 0},
      {GLONASS, 200, 30, {}, 2}},
     {GPS}},
};

INSTANTIATE_TEST_SUITE_P(Sentences, ReceivePathCountingTest, testing::ValuesIn(CountingCases),
                         CaseName());

const sys_seconds ComputerTime = sys_days{year{2026} / 12 / 8} + 14h;
const sys_seconds ReceiverTime = sys_days{year{2007} / 1 / 7} + 9h + 30min + 15s;

struct TimeCase {
    const char* name;
    ReceiverMode mode;
    // Sent before the satellites, or nothing.
    const char* position;
    std::chrono::seconds later;
    sys_seconds time;
};

class ReceivePathTimeTest : public testing::TestWithParam<TimeCase> {};

TEST_P(ReceivePathTimeTest, ReportsAreTimedByTheReceiverWhileItsTimeIsFresh) {
    std::chrono::steady_clock::time_point now{};
    HorizonGrids grids;
    grids.HorizonGrid = NewGrid();
    RecordingSkyTable table;
    ReceivePath path(
        grids, table, nullptr, [&] { return now; },
        [] { return std::chrono::system_clock::time_point(ComputerTime + 400ms); });
    path.SetMode(GetParam().mode);
    path.AppendBlock(GetParam().position);
    now += GetParam().later;
    path.AppendBlock(GetParam().mode == ReceiverMode::GpsOnly
                         ? "$GPGSV,3,1,11,01,40,083,46,02,17,308,41*74\r\n"
                         : "$GAGSV,1,1,02,01,40,083,46,02,17,308,41*74\r\n");
    EXPECT_EQ(grids.Observations.Reception().First, GetParam().time);
    EXPECT_EQ(grids.Observations.Reception().Last, GetParam().time);
}

const TimeCase TimeCases[] = {
    {"gps_only_receiver", ReceiverMode::GpsOnly,
     "$GPRMC,093015.00,A,5557.1234,N,00311.5678,W,0.0,0.0,070107,,,A*6A\r\n", 0s, ReceiverTime},
    {"all_systems_receiver", ReceiverMode::AllSystems, "$GNRMC,093015.00,V,,,,,,,070107,,,N*6A\r\n",
     0s, ReceiverTime},
    {"receiver_time_advanced", ReceiverMode::AllSystems,
     "$GNRMC,093015.00,A,5557.1234,N,00311.5678,W,0.0,0.0,070107,,,A*6A\r\n", 2s,
     ReceiverTime + 2s},
    {"receiver_time_stale", ReceiverMode::GpsOnly,
     "$GPRMC,093015.00,A,5557.1234,N,00311.5678,W,0.0,0.0,070107,,,A*6A\r\n", 4s, ComputerTime},
    {"no_position_sentence", ReceiverMode::GpsOnly, "", 0s, ComputerTime},
    {"position_without_date", ReceiverMode::GpsOnly,
     "$GPRMC,093015.00,A,5557.1234,N,00311.5678,W,0.0,0.0,,,,A*6A\r\n", 0s, ComputerTime},
    {"other_talker_under_gps_only", ReceiverMode::GpsOnly,
     "$GNRMC,093015.00,A,5557.1234,N,00311.5678,W,0.0,0.0,070107,,,A*6A\r\n", 0s, ComputerTime},
};

INSTANTIATE_TEST_SUITE_P(Positions, ReceivePathTimeTest, testing::ValuesIn(TimeCases), CaseName());

TEST(ReceivePathPositionTest, ValidFixesMakeTheMeanPosition) {
    HorizonGrids grids;
    grids.HorizonGrid = NewGrid();
    RecordingSkyTable table;
    ReceivePath path(grids, table, nullptr);
    path.SetMode(ReceiverMode::AllSystems);
    path.AppendBlock("$GNRMC,093015.00,A,3352.0000,S,15112.0000,E,0.0,0.0,070107,,,A*6A\r\n"
                     "$GNRMC,093016.00,A,3354.0000,S,15114.0000,E,0.0,0.0,070107,,,A*6A\r\n"
                     "$GNRMC,093017.00,V,5557.1234,N,00311.5678,W,0.0,0.0,070107,,,N*6A\r\n");
    EXPECT_EQ(grids.Observations.Positions().Fixes, 2u);
    const auto mean = grids.Observations.MeanPosition();
    ASSERT_TRUE(mean);
    EXPECT_NEAR(mean->first, -33.8833333, 1e-6);
    EXPECT_NEAR(mean->second, 151.2166667, 1e-6);
}

struct FixCase {
    const char* name;
    const char* sentence;
    std::optional<sys_seconds> utc;
    std::optional<std::pair<double, double>> position;
};

class PositionFixTest : public testing::TestWithParam<FixCase> {};

TEST_P(PositionFixTest, ReadsTimeAndValidPositionOnly) {
    const PositionFix fix = ReadPositionFix(GetParam().sentence);
    EXPECT_EQ(fix.Utc, GetParam().utc);
    ASSERT_EQ(fix.Position.has_value(), GetParam().position.has_value());
    if (fix.Position) {
        EXPECT_NEAR(fix.Position->first, GetParam().position->first, 1e-9);
        EXPECT_NEAR(fix.Position->second, GetParam().position->second, 1e-9);
    }
}

const FixCase FixCases[] = {
    {"north_west", "$GPRMC,093015.00,A,5557.1234,N,00311.5678,W,0.0,0.0,070107,,*", ReceiverTime,
     std::pair{55 + 57.1234 / 60, -(3 + 11.5678 / 60)}},
    {"south_east_no_fraction", "$GNRMC,235959,A,3352.00,S,15112.00,E,,,311299,,*",
     sys_days{year{1999} / 12 / 31} + 23h + 59min + 59s, std::pair{-(33 + 52.0 / 60), 151.2}},
    {"leap_second", "$GNRMC,235960.00,V,,,,,,,311216,,*",
     sys_days{year{2016} / 12 / 31} + 23h + 59min + 59s, std::nullopt},
    {"year_79_is_2079", "$GNRMC,000000.00,V,,,,,,,010179*", sys_days{year{2079} / 1 / 1},
     std::nullopt},
    {"no_fix_position_ignored", "$GPRMC,093015.00,V,5557.1234,N,00311.5678,W,,,070107,,*",
     ReceiverTime, std::nullopt},
    {"no_such_date", "$GPRMC,093015.00,A,5557.1234,N,00311.5678,W,,,310207,,*", std::nullopt,
     std::pair{55 + 57.1234 / 60, -(3 + 11.5678 / 60)}},
    {"time_out_of_range", "$GPRMC,245015.00,V,,,,,,,070107,,*", std::nullopt, std::nullopt},
    {"time_with_junk", "$GPRMC,0930150,V,,,,,,,070107,,*", std::nullopt, std::nullopt},
    {"date_too_long", "$GPRMC,093015.00,V,,,,,,,0701071,,*", std::nullopt, std::nullopt},
    {"minutes_60", "$GPRMC,093015.00,A,5560.0000,N,00311.5678,W,,,070107,,*", ReceiverTime,
     std::nullopt},
    {"latitude_beyond_the_pole", "$GPRMC,093015.00,A,9100.0000,N,00311.5678,W,,,070107,,*",
     ReceiverTime, std::nullopt},
    {"negative_degrees", "$GPRMC,093015.00,A,-557.1234,N,00311.5678,W,,,070107,,*", ReceiverTime,
     std::nullopt},
    {"no_hemisphere", "$GPRMC,093015.00,A,5557.1234,,00311.5678,W,,,070107,,*", ReceiverTime,
     std::nullopt},
    {"cut_short", "$GPRMC,093015.00,A,5557.12", std::nullopt, std::nullopt},
    {"nothing", "", std::nullopt, std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Sentences, PositionFixTest, testing::ValuesIn(FixCases), CaseName());

} // namespace
