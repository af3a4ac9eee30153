#pragma once

#include "Constellation.h"
#include "Place.h"
#include "SatelliteDirection.h"

#include <chrono>
#include <utility>
#include <vector>

// The satellites of one system over one place: circular orbits, over a spherical Earth turning
// beneath them. Without a constellation, GPS.
class SatelliteSky {
public:
    explicit SatelliteSky(Place place, Constellation constellation = Constellation::Gps())
        : place_(place), constellation_(std::move(constellation)) {}

    // Every satellite, those below the horizon too, in the constellation's order.
    std::vector<SatelliteDirection> At(std::chrono::sys_seconds time) const;

private:
    Place place_;
    Constellation constellation_;
};
