#pragma once

#include <optional>

// One satellite as the receiver reports it: whole degrees, and an SNR in dB only when it hears
// the satellite (a tracked satellite behind a wall is reported without one).
struct ReportedSatellite {
    int prn = 0;
    int elevation = 0;
    int azimuth = 0;
    std::optional<int> snr;

    friend bool operator==(const ReportedSatellite&, const ReportedSatellite&) = default;
};
