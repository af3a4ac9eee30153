#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The satellite systems a receiver may report, each with a map of its own. Everything the program
// knows of a system is in its row of SatelliteSystemRows below.
enum class SatelliteSystem { GPS, GLONASS, Galileo, BeiDou, QZSS, NavIC };

// The numbers a system's satellites have in mixed sentences, first to last; empty when last <
// first.
struct SatelliteNumbers {
    std::int32_t first = 0;
    std::int32_t last = -1;

    constexpr bool Contains(std::int32_t prn) const { return prn >= first && prn <= last; }
};

struct SatelliteSystemRow {
    SatelliteSystem system;
    // As menus, messages and the --system option of the replay tool name it.
    const char* name;
    // The talkers of its own sentences ("" where there are fewer than two).
    std::array<std::string_view, 2> talkers;
    // Its numbers in mixed ("GN") sentences, also those with which some receivers, and services
    // that translate a binary protocol, report every system under "GP".
    SatelliteNumbers mixedNumbers;
    // What its map file's name has in place of the combined map's ".dat": kept apart from the
    // name, since a name may be reworded but the files already written must still be found.
    const char* fileSuffix;
};

inline constexpr std::array SatelliteSystemRows{
    SatelliteSystemRow{SatelliteSystem::GPS, "GPS", {"GP", ""}, {1, 64}, "-GPS.dat"},
    SatelliteSystemRow{SatelliteSystem::GLONASS, "GLONASS", {"GL", ""}, {65, 96}, "-GLONASS.dat"},
    SatelliteSystemRow{SatelliteSystem::Galileo, "Galileo", {"GA", ""}, {301, 336}, "-Galileo.dat"},
    SatelliteSystemRow{SatelliteSystem::BeiDou, "BeiDou", {"GB", "BD"}, {401, 463}, "-BeiDou.dat"},
    SatelliteSystemRow{SatelliteSystem::QZSS, "QZSS", {"GQ", "QZ"}, {193, 202}, "-QZSS.dat"},
    SatelliteSystemRow{SatelliteSystem::NavIC, "NavIC", {"GI", ""}, {}, "-NavIC.dat"},
};

// Sentences of every system at once.
inline constexpr std::string_view MixedTalker = "GN";

// The rows stand in the order of the enumeration, so that a system's value is its row's index.
inline constexpr const SatelliteSystemRow& RowOf(SatelliteSystem system) {
    return SatelliteSystemRows[static_cast<std::size_t>(system)];
}

inline constexpr std::array AllSatelliteSystems = [] {
    std::array<SatelliteSystem, SatelliteSystemRows.size()> systems{};
    for (std::size_t i = 0; i < systems.size(); ++i) {
        systems[i] = SatelliteSystemRows[i].system;
    }
    return systems;
}();

namespace satellite_system_detail {

constexpr std::size_t OwnTalkerCount() {
    std::size_t count = 0;
    for (const SatelliteSystemRow& row : SatelliteSystemRows) {
        for (const std::string_view talker : row.talkers) {
            count += talker.empty() ? 0 : 1;
        }
    }
    return count;
}

constexpr bool RowsInEnumerationOrder() {
    for (std::size_t i = 0; i < SatelliteSystemRows.size(); ++i) {
        if (static_cast<std::size_t>(SatelliteSystemRows[i].system) != i) {
            return false;
        }
    }
    return true;
}

} // namespace satellite_system_detail

static_assert(satellite_system_detail::RowsInEnumerationOrder());

// The talkers whose satellites-in-view and position sentences the all-systems receiver setting
// takes: each system's own, in the order of the rows, then the mixed one. The sentences of one
// block are handled talker by talker in this order.
inline constexpr std::array AllSystemsTalkers = [] {
    std::array<std::string_view, satellite_system_detail::OwnTalkerCount() + 1> talkers{};
    std::size_t next = 0;
    for (const SatelliteSystemRow& row : SatelliteSystemRows) {
        for (const std::string_view talker : row.talkers) {
            if (!talker.empty()) {
                talkers[next++] = talker;
            }
        }
    }
    talkers[next] = MixedTalker;
    return talkers;
}();

// The name of its row: "GPS", "GLONASS", "Galileo", "BeiDou", "QZSS", "NavIC".
const char* SystemName(SatelliteSystem system);

// The system of one of those names, in any letter case.
std::optional<SatelliteSystem> SystemFromName(std::string_view name);

// The system a satellite of `talker` numbered `prn` belongs to. A talker of one system keeps every
// number in it, but for "GP": it and the mixed talker may carry every system in its mixed numbers.
// Any other number is GPS under "GP", and of no system under the mixed talker. No system either
// for talkers not in AllSystemsTalkers.
std::optional<SatelliteSystem> SystemOfSatellite(std::string_view talker, std::int32_t prn);
