#pragma once

#include "InViewSatellite.h"
#include "SatelliteReport.h"

#include <cstdint>
#include <string>

// "11 satellites in view": the count as the table shows it.
std::string SatellitesInViewText(std::int32_t count);

// "PRN:01   SNR:46 dB   AZ:83  EL:40": one satellite as its row shows it; one without a direction
// shows "position unknown" in place of azimuth and elevation.
std::string SatelliteRowText(const SatelliteReport& satellite);

// "GLONASS PRN:71   SNR:38 dB   AZ:120  EL:35": a satellite of any system as the sky table shows
// it; one whose system only the combined map knows is shown as "GNSS".
std::string SkySatelliteText(const InViewSatellite& satellite);
