#include "horizon/ReceivePath.h"
#include "RecordingSkyTable.h"
#include "horizon/HorizonGrid.h"
#include "platform/CommaText.h"

#include "TemporaryFolder.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using enum SatelliteSystem;

int Cell(const TStringList& grid, int azimuth, int elevation) {
    return std::stoi(SplitCommaText(grid.Get(static_cast<std::size_t>(azimuth)))
                         .at(static_cast<std::size_t>(elevation) + 1));
}

// One second of a multi-system receiver: GPS in four messages with signal IDs, GLONASS, and the
// position as "$GNRMC".
const std::string MultiSystemSecond =
    "$GPGSV,2,1,05,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45,1*6A\r\n"
    "$GPGSV,2,2,05,15,10,100,,1*6A\r\n"
    "$GLGSV,1,1,02,70,30,200,33,71,31,201,34*6A\r\n"
    "$GNRMC,093015.00,A,5557.1234,N,00311.5678,W,0.0,0.0,070107,,,A*6A\r\n";

class ReceivePathTest : public testing::Test {
protected:
    ReceivePathTest() { grids.HorizonGrid = NewGrid(); }

    HorizonGrids grids;
    RecordingSkyTable table;
    std::vector<std::string> positions;
    ReceivePath path{grids, table, [this](const std::string& line) { positions.push_back(line); }};
};

TEST_F(ReceivePathTest, EachModeHasItsPacketsPositionsFirst) {
    const std::vector<std::string> gpsOnly{"ComDataPacketGPRMC", "ComDataPacketGPGSV"};
    EXPECT_EQ(path.Mode(), ReceiverMode::GpsOnly);
    EXPECT_EQ(path.PacketNames(), gpsOnly);

    path.SetMode(ReceiverMode::AllSystems);
    const std::vector<std::string> all{"ComDataPacketRMC", "ComDataPacketGSV"};
    EXPECT_EQ(path.Mode(), ReceiverMode::AllSystems);
    EXPECT_EQ(path.PacketNames(), all);

    path.SetMode(ReceiverMode::GpsOnly);
    EXPECT_EQ(path.PacketNames(), gpsOnly);
}

TEST_F(ReceivePathTest, GpsOnlyTakesNothingOfANewerReceiver) {
    path.AppendBlock(MultiSystemSecond);
    EXPECT_EQ(grids.HorizonGrid, NewGrid());
    for (const SatelliteSystem system : AllSatelliteSystems) {
        EXPECT_EQ(grids.Systems.Find(system), nullptr);
    }
    EXPECT_TRUE(positions.empty());
    EXPECT_TRUE(table.counts.empty());
    EXPECT_EQ(path.SatellitesInViewSentences(), 2u);
}

TEST_F(ReceivePathTest, AllSystemsRaisesEachSystemsMapAndShowsTheSkyNotRows) {
    path.SetMode(ReceiverMode::AllSystems);
    path.AppendBlock(MultiSystemSecond);

    EXPECT_EQ(Cell(grids.HorizonGrid, 83, 40), 46);
    EXPECT_EQ(Cell(grids.HorizonGrid, 201, 31), 34);
    ASSERT_NE(grids.Systems.Find(GPS), nullptr);
    ASSERT_NE(grids.Systems.Find(GLONASS), nullptr);
    EXPECT_EQ(Cell(*grids.Systems.Find(GPS), 83, 40), 46);
    EXPECT_EQ(Cell(*grids.Systems.Find(GPS), 201, 31), 0);
    EXPECT_EQ(Cell(*grids.Systems.Find(GLONASS), 201, 31), 34);
    // Satellite 15 has no SNR: in view, not folded.
    EXPECT_EQ(Cell(grids.HorizonGrid, 100, 10), 0);
    EXPECT_EQ(grids.Systems.Find(Galileo), nullptr);

    EXPECT_EQ(table.rowsShown + table.rowsCleared, 0u);
    // GPS shows once its cycle is whole.
    EXPECT_EQ(table.counts, (std::vector<std::int32_t>{0, 5, 7}));
    EXPECT_EQ(table.skies, 3u);
    ASSERT_EQ(table.lastSky.size(), 7u);
    EXPECT_EQ(table.lastSky.back().System, GLONASS);
    EXPECT_EQ(path.Sky().Count(), 7u);

    ASSERT_EQ(positions.size(), 1u);
    EXPECT_EQ(positions[0].substr(0, 14), "09:30:15 UTC  ");
    EXPECT_NE(positions[0].find("'W  "), std::string::npos) << positions[0];
}

TEST_F(ReceivePathTest, DamagedLineOfTheCombinedMapKeepsOnlyItsCellFromRising) {
    grids.HorizonGrid.Put(83, "junk");
    path.SetMode(ReceiverMode::AllSystems);
    path.AppendBlock(MultiSystemSecond);
    EXPECT_EQ(grids.HorizonGrid.Get(83), "junk");
    EXPECT_EQ(Cell(*grids.Systems.Find(GPS), 83, 40), 46);
    EXPECT_EQ(Cell(grids.HorizonGrid, 308, 17), 41);
}

TEST_F(ReceivePathTest, ChangingTheModeStartsTheSkyAfresh) {
    path.SetMode(ReceiverMode::AllSystems);
    path.AppendBlock(MultiSystemSecond);
    path.SetMode(ReceiverMode::GpsOnly);
    path.SetMode(ReceiverMode::AllSystems);
    EXPECT_EQ(path.Sky().Count(), 0u);
}

// A clock that moves a second each time it is read.
struct SteppingClock {
    std::chrono::steady_clock::time_point now{};
    ReceiverModeHint::Clock Function() {
        return [this] { return now += std::chrono::seconds(1); };
    }
};

struct HintCase {
    const char* name;
    const char* log;
    ReceiverMode mode;
    int hints;
};

class ReceivePathHintTest : public testing::TestWithParam<HintCase> {};

TEST_P(ReceivePathHintTest, OnlyAReceiverTheSettingDoesNotServeGetsTheHint) {
    SteppingClock clock;
    HorizonGrids grids;
    grids.HorizonGrid = NewGrid();
    RecordingSkyTable table;
    ReceivePath path(grids, table, nullptr, clock.Function());
    path.SetMode(GetParam().mode);
    int hints = 0;
    path.OnReceiverModeHint = [&] { ++hints; };
    const std::string log =
        ReadFileBytes(std::string(SKYFENCE_TEST_DATA_DIR) + "/" + GetParam().log);
    for (std::size_t at = 0; at < log.size(); at += 64) {
        path.AppendBlock(log.substr(at, 64));
    }
    EXPECT_EQ(hints, GetParam().hints);
}

const HintCase HintCases[] = {
    {"newer_receiver", "nmea-multi/ublox-8.log", ReceiverMode::GpsOnly, 1},
    {"signal_ids_only", "nmea-multi/quectel-l76k-nmea.log", ReceiverMode::GpsOnly, 1},
    {"newer_receiver_served", "nmea-multi/ublox-8.log", ReceiverMode::AllSystems, 0},
    {"gps_receiver", "nmea/mt3339.log", ReceiverMode::GpsOnly, 0},
    {"gps_receiver_with_glonass", "nmea/bu353-glonass.log", ReceiverMode::GpsOnly, 0},
};

INSTANTIATE_TEST_SUITE_P(Logs, ReceivePathHintTest, testing::ValuesIn(HintCases), CaseName());

// A receiver whose "$GPRMC" the GPS-only setting reads, but none of its satellites.
TEST(ReceivePathHintPositionTest, PositionSentencesDoNotKeepTheHintAway) {
    SteppingClock clock;
    HorizonGrids grids;
    grids.HorizonGrid = NewGrid();
    RecordingSkyTable table;
    std::vector<std::string> positions;
    ReceivePath path(
        grids, table, [&](const std::string& line) { positions.push_back(line); },
        clock.Function());
    int hints = 0;
    path.OnReceiverModeHint = [&] { ++hints; };
    for (int second = 0; second < 90; ++second) {
        path.AppendBlock("$GPRMC,093015.00,A,5557.1234,N,00311.5678,W,0.0,0.0,070107,,,A*6A\r\n"
                         "$GPGSV,1,1,01,36,19,156,51,,,,,,,,,,,,,1*5E\r\n");
    }
    EXPECT_EQ(positions.size(), 90u);
    EXPECT_EQ(hints, 1);
}

} // namespace
