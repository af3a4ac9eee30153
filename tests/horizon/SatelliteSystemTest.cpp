#include "horizon/SatelliteSystem.h"
#include "horizon/ReceiverMode.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

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
        {"GP", 5, GPS},           {"GP", 40, GPS},
        {"GP", 193, GPS}, // SBAS, QZSS under GP
        {"GL", 70, GLONASS},      {"GA", 36, Galileo},
        {"GB", 201, BeiDou},      {"BD", 13, BeiDou},
        {"GQ", 193, QZSS},        {"QZ", 2, QZSS},
        {"GI", 4, NavIC},         {"GN", 1, GPS},
        {"GN", 64, GPS},          {"GN", 65, GLONASS},
        {"GN", 96, GLONASS},      {"GN", 0, std::nullopt},
        {"GN", 97, std::nullopt}, {"GN", 301, std::nullopt},
        {"GN", -1, std::nullopt}, {"XX", 5, std::nullopt},
        {"", 5, std::nullopt},
    };
    for (const TalkerCase& c : cases) {
        EXPECT_EQ(SystemOfSatellite(c.talker, c.prn), c.system) << c.talker << " " << c.prn;
    }
}

TEST(ReceiverModeTest, TextsReadBackAndAnythingElseIsGpsOnly) {
    EXPECT_EQ(DefaultReceiverMode, ReceiverMode::GpsOnly);
    for (const ReceiverMode mode : {ReceiverMode::GpsOnly, ReceiverMode::AllSystems}) {
        EXPECT_EQ(TextToReceiverMode(ReceiverModeToText(mode)), mode);
    }
    EXPECT_EQ(ReceiverModeToText(ReceiverMode::GpsOnly), "GPS only");
    EXPECT_EQ(ReceiverModeToText(ReceiverMode::AllSystems), "All satellite systems");
    for (const char* other : {"", "all satellite systems", "All", "1", "All satellite systems "}) {
        EXPECT_EQ(TextToReceiverMode(other), ReceiverMode::GpsOnly) << '"' << other << '"';
    }
}

} // namespace
