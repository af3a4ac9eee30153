#include "horizon/SatelliteSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using enum SatelliteSystem;

TEST(SatelliteSystemTest, NamesReadBackInAnyLetterCase) {
    const std::pair<SatelliteSystem, std::string> names[] = {
        {GPS, "GPS"},       {GLONASS, "GLONASS"}, {Galileo, "Galileo"},
        {BeiDou, "BeiDou"}, {QZSS, "QZSS"},       {NavIC, "NavIC"}};
    ASSERT_EQ(std::size(names), AllSatelliteSystems.size());
    for (const auto& [system, name] : names) {
        EXPECT_EQ(SystemName(system), name);
        EXPECT_EQ(SystemFromName(name), system) << name;
    }
    EXPECT_EQ(SystemFromName("glonass"), GLONASS);
    EXPECT_EQ(SystemFromName("BEIDOU"), BeiDou);
    for (const char* other : {"", "GPS ", "Beidou2", "GN", "All"}) {
        EXPECT_EQ(SystemFromName(other), std::nullopt) << '"' << other << '"';
    }
}

struct TalkerCase {
    const char* talker;
    int prn;
    std::optional<SatelliteSystem> system;
};

TEST(SatelliteSystemTest, TalkerAndNumberTellTheSystem) {
    const TalkerCase cases[] = {
        {"GP", 5, GPS},        {"GP", 40, GPS},           {"GL", 70, GLONASS},
        {"GA", 36, Galileo},   {"GB", 201, BeiDou},       {"BD", 13, BeiDou},
        {"GQ", 193, QZSS},     {"QZ", 2, QZSS},           {"GI", 4, NavIC},
        {"GN", 1, GPS},        {"GN", 65, GLONASS},       {"XX", 5, std::nullopt},
        {"", 5, std::nullopt}, {"XX", 301, std::nullopt},
    };
    for (const TalkerCase& c : cases) {
        EXPECT_EQ(SystemOfSatellite(c.talker, c.prn), c.system) << c.talker << " " << c.prn;
    }
}

struct NumberCase {
    int prn;
    std::optional<SatelliteSystem> underGp, underGn;
};

// Some receivers, and services that translate a binary protocol, report every system under GP or
// GN with extended numbers; a talker of one system keeps every number in it.
TEST(SatelliteSystemTest, ExtendedNumbersUnderGpAndGn) {
    const std::optional<SatelliteSystem> none;
    const NumberCase cases[] = {
        {-1, GPS, none},        {0, GPS, none},          {1, GPS, GPS},           {64, GPS, GPS},
        {65, GLONASS, GLONASS}, {96, GLONASS, GLONASS},  {97, GPS, none},         {120, GPS, none},
        {192, GPS, none},       {193, QZSS, QZSS},       {202, QZSS, QZSS},       {203, GPS, none},
        {300, GPS, none},       {301, Galileo, Galileo}, {336, Galileo, Galileo}, {337, GPS, none},
        {400, GPS, none},       {401, BeiDou, BeiDou},   {463, BeiDou, BeiDou},   {464, GPS, none},
    };
    const std::pair<const char*, SatelliteSystem> ownTalkers[] = {
        {"GL", GLONASS}, {"GA", Galileo}, {"GB", BeiDou}, {"BD", BeiDou},
        {"GQ", QZSS},    {"QZ", QZSS},    {"GI", NavIC}};
    for (const NumberCase& c : cases) {
        EXPECT_EQ(SystemOfSatellite("GP", c.prn), c.underGp) << c.prn;
        EXPECT_EQ(SystemOfSatellite("GN", c.prn), c.underGn) << c.prn;
        for (const auto& [talker, system] : ownTalkers) {
            EXPECT_EQ(SystemOfSatellite(talker, c.prn), system) << talker << " " << c.prn;
        }
    }
}

// Two rows that share a talker, a number, a name or a file would give one satellite two systems
// or one map two files.
TEST(SatelliteSystemTest, RowsShareNoTalkerNumberNameOrFile) {
    for (std::size_t a = 0; a < SatelliteSystemRows.size(); ++a) {
        const SatelliteSystemRow& one = SatelliteSystemRows[a];
        for (std::size_t b = a + 1; b < SatelliteSystemRows.size(); ++b) {
            const SatelliteSystemRow& other = SatelliteSystemRows[b];
            const std::string pair = std::string(one.name) + " and " + other.name;
            EXPECT_NE(SystemFromName(other.name), one.system) << pair;
            EXPECT_NE(std::string(one.fileSuffix), other.fileSuffix) << pair;
            EXPECT_GT(std::max(one.mixedNumbers.first, other.mixedNumbers.first),
                      std::min(one.mixedNumbers.last, other.mixedNumbers.last))
                << pair;
            for (const std::string_view talker : one.talkers) {
                EXPECT_TRUE(talker.empty() ||
                            std::ranges::find(other.talkers, talker) == other.talkers.end())
                    << pair;
            }
        }
    }
}

TEST(SatelliteSystemTest, AllSystemsTalkersAreTheSystemsOwnThenTheMixedOne) {
    const std::vector<std::string_view> expected{"GP", "GL", "GA", "GB", "BD",
                                                 "GQ", "QZ", "GI", "GN"};
    EXPECT_EQ(std::vector<std::string_view>(AllSystemsTalkers.begin(), AllSystemsTalkers.end()),
              expected);
}

} // namespace
