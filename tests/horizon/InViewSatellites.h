#pragma once

#include "horizon/InViewSatellite.h"

#include <optional>

// A satellite as a sentence with both direction fields reports it; no SNR when `snr` is empty.
inline InViewSatellite Sat(std::optional<SatelliteSystem> system, int prn, int elevation,
                           int azimuth, std::optional<int> snr) {
    return {system, prn, elevation, azimuth, snr.value_or(0), snr.has_value()};
}

// One whose elevation or azimuth field was empty.
inline InViewSatellite Unplaced(std::optional<SatelliteSystem> system, int prn,
                                std::optional<int> snr) {
    return {system, prn, 0, 0, snr.value_or(0), snr.has_value(), false};
}
