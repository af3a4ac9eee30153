#include "GridCells.h"
#include "RecordingSkyTable.h"
#include "horizon/HorizonGrid.h"
#include "horizon/ReceivePath.h"
#include "platform/Mbcs.h"

#include "TemporaryFolder.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

// Captures of multi-system receivers through the receive path under the all-systems setting.
// The cell counts were also found by a separate reading of each log, line by line with the
// sentence rules written out anew, outside this code base; the two agree for every log. The
// Quectel receiver reports some satellites without a direction, which raise no cell (that reading
// had them at azimuth 0, elevation 0: one cell more of the combined map, GPS and GLONASS).

namespace {

using enum SatelliteSystem;

int RaisedCells(const TStringList* grid) {
    return grid == nullptr ? 0 : RaisedCells(*grid);
}

std::string ReadLog(const std::string& name) {
    return ReadFileBytes(std::string(SKYFENCE_TEST_DATA_DIR) + "/nmea-multi/" + name);
}

struct Reception {
    Reception() {
        grids.HorizonGrid = NewGrid();
        path.SetMode(ReceiverMode::AllSystems);
    }
    void Feed(const std::string& bytes) {
        for (std::size_t at = 0; at < bytes.size(); at += 64) {
            path.AppendBlock(bytes.substr(at, 64));
        }
    }

    HorizonGrids grids;
    RecordingSkyTable table;
    std::vector<std::string> positions;
    ReceivePath path{grids, table, [this](const std::string& line) { positions.push_back(line); }};
};

struct LogCase {
    const char* name;
    const char* file;
    int combined;
    std::map<SatelliteSystem, int> systems; // those not named get no map
    std::size_t positions;
};

void PrintTo(const LogCase& c, std::ostream* out) {
    *out << c.name;
}

const LogCase LogCases[] = {
    {"beidou_gb", "beidou-gb.log", 23, {{GPS, 19}, {BeiDou, 5}}, 5},
    {"furuno_gl_ga", "furuno_gl_ga.log", 14, {{GPS, 1}, {GLONASS, 8}, {Galileo, 5}}, 16},
    {"neo_m8n", "neo-m8n.log", 24, {{GPS, 16}, {GLONASS, 8}}, 23},
    {"quectel_l76k", "quectel-l76k-nmea.log", 24, {{GPS, 13}, {GLONASS, 7}, {BeiDou, 4}}, 150},
    {"sirfstarv", "sirfstarv-nmea.log", 21, {{GPS, 11}, {GLONASS, 10}}, 59},
    {"skytraq_px1172rh",
     "skytraq-PX1172RH_DS.log",
     16,
     {{GPS, 4}, {GLONASS, 2}, {Galileo, 5}, {BeiDou, 5}},
     9},
    {"ublox_8", "ublox-8.log", 25, {{GPS, 15}, {GLONASS, 10}}, 72},
};

class MultiSystemLogTest : public testing::TestWithParam<LogCase> {};

TEST_P(MultiSystemLogTest, EverySystemGetsItsCells) {
    Reception reception;
    reception.Feed(ReadLog(GetParam().file));
    EXPECT_EQ(RaisedCells(&reception.grids.HorizonGrid), GetParam().combined);
    for (const SatelliteSystem system : AllSatelliteSystems) {
        const auto expected = GetParam().systems.find(system);
        const TStringList* grid = reception.grids.Systems.Find(system);
        EXPECT_EQ(grid != nullptr, expected != GetParam().systems.end()) << SystemName(system);
        EXPECT_EQ(RaisedCells(grid), expected != GetParam().systems.end() ? expected->second : 0)
            << SystemName(system);
    }
    EXPECT_EQ(reception.positions.size(), GetParam().positions);
    EXPECT_EQ(reception.table.rowsShown + reception.table.rowsCleared, 0u);
}

INSTANTIATE_TEST_SUITE_P(Logs, MultiSystemLogTest, testing::ValuesIn(LogCases), CaseName());

TEST(MultiSystemLogPositionTest, PositionLineComesFromGNRMC) {
    const std::string saved = DegreeSign;
    DegreeSign = "\xB0";
    Reception reception;
    reception.Feed(ReadLog("ublox-8.log"));
    DegreeSign = saved;
    ASSERT_EQ(reception.positions.size(), 72u);
    // $GNRMC,000941.00,A,4404.13387,N,12118.85628,W,… amid the binary noise the log opens with.
    EXPECT_EQ(reception.positions.front(), "00:09:41 UTC  44\xB0 4.13'N  121\xB0 18.86'W  ");
}

// The log up to and including its `count`-th "$GNRMC" line.
std::string UpToPosition(const std::string& log, int count) {
    std::size_t at = 0;
    for (int i = 0; i < count; ++i) {
        at = log.find("$GNRMC,", at);
        if (at == std::string::npos) {
            ADD_FAILURE() << "too few $GNRMC";
            return log;
        }
        at = log.find('\n', at);
    }
    return log.substr(0, at + 1);
}

struct SkyCase {
    const char* name;
    const char* file;
    int rmc;
    std::map<SatelliteSystem, std::size_t> satellites;
};

class MultiSystemSkyTest : public testing::TestWithParam<SkyCase> {};

// At the position sentence after a whole cycle of each talker, the table holds the satellites
// in view of every system, as many as the cycles' headers say.
TEST_P(MultiSystemSkyTest, TableShowsEverySystemsSatellites) {
    Reception reception;
    reception.Feed(UpToPosition(ReadLog(GetParam().file), GetParam().rmc));
    std::map<SatelliteSystem, std::size_t> shown;
    for (const InViewSatellite& satellite : reception.table.lastSky) {
        ASSERT_TRUE(satellite.System.has_value());
        ++shown[*satellite.System];
    }
    EXPECT_EQ(shown, GetParam().satellites);
    std::size_t total = 0;
    for (const auto& [system, count] : GetParam().satellites) {
        total += count;
    }
    ASSERT_FALSE(reception.table.counts.empty());
    EXPECT_EQ(static_cast<std::size_t>(reception.table.counts.back()), total);
}

const SkyCase SkyCases[] = {
    // $GPGSV,4,…,16 and $GLGSV,3,…,09 (the first $GNRMC is in the noise before them).
    {"ublox_8", "ublox-8.log", 2, {{GPS, 16}, {GLONASS, 9}}},
    // NMEA 4.11: $GPGSV,3,…,12,…,0 ; $BDGSV,1,1,03,…,0 ; $GLGSV,3,…,10,…,0.
    {"quectel_l76k", "quectel-l76k-nmea.log", 2, {{GPS, 12}, {BeiDou, 3}, {GLONASS, 10}}},
};

INSTANTIATE_TEST_SUITE_P(Logs, MultiSystemSkyTest, testing::ValuesIn(SkyCases), CaseName());

} // namespace
