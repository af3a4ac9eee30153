#include "SatelliteSystem.h"

#include "platform/Conversions.h"

#include <algorithm>

namespace {

const SatelliteSystemRow* RowOfTalker(std::string_view talker) {
    const auto row = std::find_if(
        SatelliteSystemRows.begin(), SatelliteSystemRows.end(), [talker](const auto& each) {
            return !talker.empty() && std::ranges::find(each.talkers, talker) != each.talkers.end();
        });
    return row == SatelliteSystemRows.end() ? nullptr : &*row;
}

std::optional<SatelliteSystem> SystemOfMixedNumber(std::int32_t prn) {
    for (const SatelliteSystemRow& row : SatelliteSystemRows) {
        if (row.mixedNumbers.Contains(prn)) {
            return row.system;
        }
    }
    return std::nullopt;
}

} // namespace

const char* SystemName(SatelliteSystem system) {
    return RowOf(system).name;
}

std::optional<SatelliteSystem> SystemFromName(std::string_view name) {
    const std::string wanted = UpperCaseAscii(name);
    for (const SatelliteSystemRow& row : SatelliteSystemRows) {
        if (UpperCaseAscii(row.name) == wanted) {
            return row.system;
        }
    }
    return std::nullopt;
}

std::optional<SatelliteSystem> SystemOfSatellite(std::string_view talker, std::int32_t prn) {
    if (talker == MixedTalker) {
        return SystemOfMixedNumber(prn);
    }
    const SatelliteSystemRow* own = RowOfTalker(talker);
    if (own == nullptr) {
        return std::nullopt;
    }
    if (own->system == SatelliteSystem::GPS) {
        // Any other number stays with GPS, as the SBAS satellites do.
        return SystemOfMixedNumber(prn).value_or(SatelliteSystem::GPS);
    }
    return own->system;
}
