// The default receiver setting keeps the data file exactly as the program has always written it:
// every recorded log, single- or multi-system, replayed through the receive path gives a file
// whose fingerprint was taken before the other satellite systems were added.
#include "GridCells.h"
#include "TemporaryFolder.h"
#include "tools/replay/ReceptionReplay.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace {

struct RecordedLog {
    const char* name;
    const char* file;
    // FNV-1a of the data file's bytes, and how many cells it raised.
    std::uint64_t fingerprint;
    int raisedCells;
};

std::uint64_t Fingerprint(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char byte : bytes) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ULL;
    }
    return hash;
}

class GpsOnlyUnchanged : public testing::TestWithParam<RecordedLog> {};

TEST_P(GpsOnlyUnchanged, DataFileIsTheOneAlwaysWritten) {
    ReceptionReplay replay;
    replay.FeedFile(std::string(SKYFENCE_TEST_DATA_DIR) + "/" + GetParam().file, 64);
    const std::string data = replay.Grid().Text();
    EXPECT_EQ(RaisedCells(replay.Grid()), GetParam().raisedCells);
    EXPECT_EQ(Fingerprint(data), GetParam().fingerprint) << std::hex << Fingerprint(data);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, GpsOnlyUnchanged,
    testing::Values(
        RecordedLog{"bn_9015", "nmea/bn-9015.log", 0x9ec7e598889c8cafULL, 8},
        RecordedLog{"bu353_glonass", "nmea/bu353-glonass.log", 0xcd027a61a5a287c3ULL, 6},
        RecordedLog{"bu353s4", "nmea/bu353s4.log", 0x5b47d265668a7f5bULL, 14},
        RecordedLog{"com_1289", "nmea/com-1289.log", 0xa135ed89c10b8d7aULL, 13},
        RecordedLog{"garmin15x", "nmea/garmin15x.log", 0xa2d4bb927d7f2a8fULL, 8},
        RecordedLog{"gr601_w", "nmea/gr601-w.log", 0x43e62080853fc484ULL, 9},
        RecordedLog{"mt3339", "nmea/mt3339.log", 0x8bf68e4f47f2d4f3ULL, 14},
        RecordedLog{"ublox_lea_4h", "nmea/ublox-lea-4h.log", 0xd4daeccd80097865ULL, 12},
        RecordedLog{"beidou_gb", "nmea-multi/beidou-gb.log", 0x083254e5e9173855ULL, 0},
        RecordedLog{"furuno_gl_ga", "nmea-multi/furuno_gl_ga.log", 0x083254e5e9173855ULL, 0},
        RecordedLog{"neo_m8n", "nmea-multi/neo-m8n.log", 0x083254e5e9173855ULL, 0},
        RecordedLog{"quectel_l76k", "nmea-multi/quectel-l76k-nmea.log", 0x083254e5e9173855ULL, 0},
        RecordedLog{"sirfstarv", "nmea-multi/sirfstarv-nmea.log", 0x4a0805db35ed561cULL, 11},
        RecordedLog{"skytraq_px1172rh", "nmea-multi/skytraq-PX1172RH_DS.log", 0x083254e5e9173855ULL,
                    0},
        RecordedLog{"ublox_8", "nmea-multi/ublox-8.log", 0x083254e5e9173855ULL, 0}),
    [](const testing::TestParamInfo<RecordedLog>& log) { return std::string(log.param.name); });

} // namespace
