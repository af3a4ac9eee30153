#pragma once

#include "horizon/MapObservations.h"
#include "horizon/SatelliteSystem.h"

#include <array>
#include <cstdint>

// A week of reception at 1 Hz from a site at 30 degrees north, 105 east: the satellites of six
// systems on circular orbits of their constellations' shape (some 45 in view at a time), each
// report's SNR rising with elevation, a few dB apart from satellite to satellite and from second
// to second, and a wall to the south-west below 20 degrees where satellites stand unheard. The
// observations are made directly, as the receive path would count the reports.
class SimulatedWeek {
public:
    static constexpr int Days = 7;

    SimulatedWeek();

    const MapObservations& Combined() const { return combined_; }
    const MapObservations& System(SatelliteSystem system) const {
        return systems_[static_cast<std::size_t>(system)];
    }
    std::uint64_t Reports() const { return reports_; }

private:
    MapObservations combined_;
    std::array<MapObservations, AllSatelliteSystems.size()> systems_;
    std::uint64_t reports_ = 0;
};
