#pragma once

#include "SatelliteSystem.h"

#include <cstdint>
#include <optional>

// One satellite of a satellites-in-view sentence of any talker, elevation and azimuth clamped.
struct InViewSatellite {
    std::optional<SatelliteSystem> System;
    std::int32_t PRN = 0;
    std::int32_t Elevation = 0;
    std::int32_t Azimuth = 0;
    std::int32_t SNR = 0;
    // False when the SNR field was empty or missing: the satellite is in view but not tracked.
    bool HasSnr = false;
    // False when the elevation or the azimuth field was empty: the receiver hears the satellite
    // (or reports a second signal of it) but gives no direction, and Elevation and Azimuth mean
    // nothing.
    bool HasPosition = true;

    // Whether it raises the maps: a real satellite number, a direction and a signal above 0 dB.
    bool Folded() const { return PRN != 0 && HasPosition && HasSnr && SNR > 0; }

    friend bool operator==(const InViewSatellite&, const InViewSatellite&) = default;
};
