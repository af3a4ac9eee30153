#pragma once

#include "Place.h"
#include "SatelliteDirection.h"

#include <chrono>
#include <vector>

// A GPS-like constellation over one place: 31 satellites on circular orbits in six planes of
// 55 degrees inclination, each going round twice a sidereal day, over a spherical Earth turning
// beneath them.
class SatelliteSky {
public:
    explicit SatelliteSky(Place place) : place_(place) {}

    // Every satellite, those below the horizon too.
    std::vector<SatelliteDirection> At(std::chrono::sys_seconds time) const;

private:
    Place place_;
};
