#include "horizon/ObservationsFile.h"
#include "platform/Crc32.h"
#include "platform/Exception.h"

#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <random>
#include <string>

namespace {

using testing::HasSubstr;
using namespace std::chrono_literals;

const MapObservations::Time Noon{std::chrono::sys_days{std::chrono::year{2026} / 12 / 8} + 12h};

// Satellite 7 heard three times at 45 dB in cell (10, 20), then twice unheard in (10, 21): the
// smallest observations whose stored form the damage cases below patch byte by byte.
MapObservations TwoCells() {
    MapObservations observations;
    for (int k = 0; k < 3; ++k) {
        observations.Add(7, 10, 20, 45, Noon + std::chrono::seconds(k));
    }
    observations.Add(7, 10, 21, 0, Noon + 3s);
    observations.Add(7, 10, 21, 0, Noon + 4s);
    return observations;
}

// Many cells with many SNRs, counts at their limits, a period before 1970 and positions.
MapObservations Crowded() {
    MapObservations observations;
    std::mt19937 random(21);
    std::uniform_int_distribution<int> azimuth(0, GridAzimuths - 1);
    std::uniform_int_distribution<int> elevation(0, GridElevations - 1);
    std::uniform_int_distribution<int> snr(-1, 60);
    const MapObservations::Time start{std::chrono::seconds(-86400)};
    for (int k = 0; k < 50000; ++k) {
        observations.Add(k % 1200, azimuth(random), elevation(random), snr(random),
                         start + std::chrono::seconds(k / 3));
    }
    observations.MutableCell(359, 90).AddHeard(CellObservations::MaxSnr,
                                               CellObservations::MaxCount);
    observations.MutableCell(359, 90).AddUnheard(CellObservations::MaxCount);
    observations.AddPosition(-33.9, 151.2);
    observations.AddPosition(-33.8, 151.3);
    return observations;
}

struct RoundTripCase {
    const char* name;
    MapObservations (*make)();
};

class ObservationsRoundTripTest : public testing::TestWithParam<RoundTripCase> {};

TEST_P(ObservationsRoundTripTest, ReadsBackEqualAndWritesTheSameBytes) {
    const MapObservations observations = GetParam().make();
    const std::string bytes = ObservationsBytes(observations);
    const MapObservations read = ParseObservations(bytes);
    EXPECT_TRUE(read == observations);
    EXPECT_EQ(ObservationsBytes(read), bytes);
}

const RoundTripCase RoundTripCases[] = {
    {"nothing", [] { return MapObservations(); }},
    {"two_cells", TwoCells},
    {"crowded", Crowded},
};

INSTANTIATE_TEST_SUITE_P(Observations, ObservationsRoundTripTest, testing::ValuesIn(RoundTripCases),
                         CaseName());

// Offsets in the stored form of TwoCells (see ObservationsFile.cpp).
constexpr std::size_t PeriodFlags = 10;
constexpr std::size_t LastTime = 19;
constexpr std::size_t LatitudeSum = 35;
constexpr std::size_t FirstSatellite = 60;
constexpr std::size_t CellCount = 62;
constexpr std::size_t FirstAzimuth = 63;
constexpr std::size_t FirstReported = 66;
constexpr std::size_t FirstSnrCount = 68;
constexpr std::size_t FirstCount = 70;
constexpr std::size_t SecondElevation = 73;
constexpr std::size_t SecondUnheard = 75;

// The content changed as given, with the checksum made to match again: damage only the reader's
// checks of the content can find.
std::string Resealed(std::string bytes) {
    bytes.resize(bytes.size() - 4);
    const std::uint32_t crc = Crc32(bytes);
    for (int k = 0; k < 4; ++k) {
        bytes += static_cast<char>((crc >> (8 * k)) & 0xFFU);
    }
    return bytes;
}

std::string Patched(std::size_t at, std::string_view replacement, std::size_t replaced = 1) {
    std::string bytes = ObservationsBytes(TwoCells());
    bytes.replace(at, replaced, replacement);
    return Resealed(bytes);
}

struct DamageCase {
    const char* name;
    std::string (*bytes)();
    const char* message;
};

class DamagedObservationsTest : public testing::TestWithParam<DamageCase> {};

TEST_P(DamagedObservationsTest, IsRefusedSayingWhy) {
    try {
        ParseObservations(GetParam().bytes());
        ADD_FAILURE() << "the damaged file was read";
    } catch (const Exception& error) {
        EXPECT_THAT(error.what(), HasSubstr(GetParam().message));
    }
}

const DamageCase DamageCases[] = {
    {"empty", [] { return std::string(); }, "empty"},
    {"cut_in_the_magic", [] { return ObservationsBytes(TwoCells()).substr(0, 5); },
     "ends inside the magic"},
    {"cut_after_the_version", [] { return ObservationsBytes(TwoCells()).substr(0, 12); },
     "ends before its checksum"},
    {"cut_by_a_byte",
     [] {
         const std::string bytes = ObservationsBytes(TwoCells());
         return bytes.substr(0, bytes.size() - 1);
     },
     "checksum does not match"},
    {"flipped_bit",
     [] {
         std::string bytes = ObservationsBytes(TwoCells());
         bytes[FirstCount] = static_cast<char>(bytes[FirstCount] ^ 0x10);
         return bytes;
     },
     "checksum does not match"},
    {"text_file", [] { return std::string("0,0,0,0\r\n1,0,0,0\r\n"); },
     "not a file of observations"},
    {"next_version", [] { return Patched(8, "\x02"); }, "version 2, this program reads version 1"},
    {"unknown_period_flag", [] { return Patched(PeriodFlags, "\x07"); }, "period flags 7"},
    {"last_report_at_the_end_of_time",
     [] { return Patched(LastTime, std::string("\0\0\0\0\0\0\0\x80", 8), 8); },
     "last report time -9223372036854775808 is out of range"},
    {"latitude_not_a_number",
     [] { return Patched(LatitudeSum, std::string("\0\0\0\0\0\0\xf8\x7f", 8), 8); },
     "position sums"},
    {"satellite_1000", [] { return Patched(FirstSatellite, "\xe8\x03", 2); }, "out of range"},
    {"absurd_cell_count", [] { return Patched(CellCount, "\xff\xff\x01", 1); }, "beyond 32760"},
    {"more_cells_than_bytes", [] { return Patched(CellCount, "\x7f"); }, "more cells (127)"},
    {"azimuth_360", [] { return Patched(FirstAzimuth, "\x68\x01", 2); }, "no cell at azimuth 360"},
    {"cells_out_of_order", [] { return Patched(SecondElevation, "\x14"); }, "out of order"},
    {"overlong_varint", [] { return Patched(FirstReported, std::string("\x80\x00", 2)); },
     "shortest form"},
    {"endless_varint", [] { return Patched(FirstReported, std::string(12, '\xff')); }, "too large"},
    {"more_snrs_than_bytes", [] { return Patched(FirstSnrCount, "\x7f"); }, "more SNRs (127)"},
    {"snr_counted_0_times", [] { return Patched(FirstCount, std::string(1, '\0')); },
     "counted 0 times"},
    {"cell_without_reports", [] { return Patched(SecondUnheard, std::string(1, '\0')); },
     "without reports"},
    {"bytes_after_the_last_cell",
     [] {
         const std::string bytes = ObservationsBytes(TwoCells());
         return Resealed(bytes.substr(0, bytes.size() - 4) + "xx" + bytes.substr(bytes.size() - 4));
     },
     "2 bytes after the last cell"},
};

INSTANTIATE_TEST_SUITE_P(Files, DamagedObservationsTest, testing::ValuesIn(DamageCases),
                         CaseName());

TEST(ObservationsFileTest, PatchedOffsetsAreThoseOfTheFormat) {
    const std::string bytes = ObservationsBytes(TwoCells());
    EXPECT_EQ(bytes.size(), 81u);
    EXPECT_EQ(bytes.substr(CellCount, 5), std::string("\x02\x0a\x00\x14\x00", 5));
    EXPECT_EQ(bytes[FirstCount - 1], 45);
    EXPECT_EQ(bytes[SecondUnheard], 2);
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926U);
}

TEST(ObservationsFileTest, NamedAfterTheMap) {
    const std::pair<const char*, const char*> names[] = {
        {"/data/Skyfence.dat", "/data/Skyfence.obs"},
        {"Skyfence-GPS.dat", "Skyfence-GPS.obs"},
        {"run.1/map", "run.1/map.obs"},
        {"map.txt", "map.txt.obs"},
    };
    for (const auto& [map, observations] : names) {
        EXPECT_EQ(ObservationsFileName(map), observations);
    }
}

} // namespace
