#include "SatelliteSystem.h"

#include "platform/Conversions.h"

namespace {

// The numbers mixed sentences give GPS (with SBAS) and GLONASS satellites.
constexpr std::int32_t LastGpsNumber = 64;
constexpr std::int32_t LastGlonassNumber = 96;

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
    // SBAS and QZSS satellites that receivers report under GP are kept with GPS.
    if (talker == "GP") {
        return SatelliteSystem::GPS;
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
    if (talker == "GN") {
        if (prn >= 1 && prn <= LastGpsNumber) {
            return SatelliteSystem::GPS;
        }
        if (prn > LastGpsNumber && prn <= LastGlonassNumber) {
            return SatelliteSystem::GLONASS;
        }
    }
    return std::nullopt;
}
