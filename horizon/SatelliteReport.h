#pragma once

#include <cstdint>

// One satellite group of a satellites-in-view sentence, elevation and azimuth clamped.
struct SatelliteReport {
    std::int32_t PRN = 0;
    std::int32_t Elevation = 0;
    std::int32_t Azimuth = 0;
    std::int32_t SNR = 0;
    // False when the elevation or the azimuth field was empty: no direction to fold or show.
    bool HasPosition = true;
};
