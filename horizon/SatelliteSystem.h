#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// The satellite systems a receiver may report, each with a map of its own.
enum class SatelliteSystem { GPS, GLONASS, Galileo, BeiDou, QZSS, NavIC };

inline constexpr std::array AllSatelliteSystems{SatelliteSystem::GPS,     SatelliteSystem::GLONASS,
                                                SatelliteSystem::Galileo, SatelliteSystem::BeiDou,
                                                SatelliteSystem::QZSS,    SatelliteSystem::NavIC};

// The talkers whose satellites-in-view and position sentences the all-systems receiver setting
// takes, in the order their packets are made.
inline constexpr std::array<std::string_view, 9> AllSystemsTalkers{"GP", "GL", "GA", "GB", "BD",
                                                                   "GQ", "QZ", "GI", "GN"};

// "GPS", "GLONASS", "Galileo", "BeiDou", "QZSS", "NavIC": the names of the map files too.
const char* SystemName(SatelliteSystem system);

// The system of one of those names, in any letter case.
std::optional<SatelliteSystem> SystemFromName(std::string_view name);

// The system a satellite of `talker` numbered `prn` belongs to. A talker of one system keeps every
// number in it. "GP" and mixed ("GN") sentences may carry every system in extended numbers: 65-96
// GLONASS, 193-202 QZSS, 301-336 Galileo, 401-463 BeiDou; any other number is GPS under "GP",
// and under "GN" GPS for 1-64 and no system otherwise. No system either for talkers not in
// AllSystemsTalkers.
std::optional<SatelliteSystem> SystemOfSatellite(std::string_view talker, std::int32_t prn);
