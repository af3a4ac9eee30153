#include "SatelliteSystem.h"

#include "platform/Conversions.h"

namespace {

// The numbers mixed sentences give the satellites of each system, also the numbers with which
// some receivers, and services that translate a binary protocol, report every system under "GP".
// GPS (with SBAS) takes 1 to 64 in mixed sentences.
constexpr std::int32_t LastGpsNumber = 64;

struct NumberRange {
    std::int32_t first, last;
    SatelliteSystem system;
};

constexpr std::array ExtendedNumbers{NumberRange{65, 96, SatelliteSystem::GLONASS},
                                     NumberRange{193, 202, SatelliteSystem::QZSS},
                                     NumberRange{301, 336, SatelliteSystem::Galileo},
                                     NumberRange{401, 463, SatelliteSystem::BeiDou}};

std::optional<SatelliteSystem> SystemOfExtendedNumber(std::int32_t prn) {
    for (const NumberRange& range : ExtendedNumbers) {
        if (prn >= range.first && prn <= range.last) {
            return range.system;
        }
    }
    return std::nullopt;
}

} // namespace

const char* SystemName(SatelliteSystem system) {
    switch (system) {
    case SatelliteSystem::GPS:
        return "GPS";
    case SatelliteSystem::GLONASS:
        return "GLONASS";
    case SatelliteSystem::Galileo:
        return "Galileo";
    case SatelliteSystem::BeiDou:
        return "BeiDou";
    case SatelliteSystem::QZSS:
        return "QZSS";
    case SatelliteSystem::NavIC:
        return "NavIC";
    }
    return "";
}

std::optional<SatelliteSystem> SystemFromName(std::string_view name) {
    const std::string wanted = UpperCaseAscii(name);
    for (const SatelliteSystem system : AllSatelliteSystems) {
        if (UpperCaseAscii(SystemName(system)) == wanted) {
            return system;
        }
    }
    return std::nullopt;
}

std::optional<SatelliteSystem> SystemOfSatellite(std::string_view talker, std::int32_t prn) {
    if (talker == "GP" || talker == "GN") {
        if (const auto system = SystemOfExtendedNumber(prn)) {
            return system;
        }
        // Under GP any other number stays with GPS, as the SBAS satellites do.
        if (talker == "GP" || (prn >= 1 && prn <= LastGpsNumber)) {
            return SatelliteSystem::GPS;
        }
        return std::nullopt;
    }
    if (talker == "GL") {
        return SatelliteSystem::GLONASS;
    }
    if (talker == "GA") {
        return SatelliteSystem::Galileo;
    }
    if (talker == "GB" || talker == "BD") {
        return SatelliteSystem::BeiDou;
    }
    if (talker == "GQ" || talker == "QZ") {
        return SatelliteSystem::QZSS;
    }
    if (talker == "GI") {
        return SatelliteSystem::NavIC;
    }
    return std::nullopt;
}
