#pragma once

#include "InViewSatellite.h"

#include <cstddef>
#include <string>
#include <vector>

// The satellite group of a satellites-in-view sentence that starts at field `first`: PRN,
// elevation, azimuth and SNR, as both receiver settings read it. Fields from `end` on are not the
// group's, as when the final comma dropped its empty SNR; the three before the SNR must be there.
// Elevation and azimuth are clamped, and a group with either field empty has no position (both
// then 0). The system is the caller's to tell.
InViewSatellite ReadSatelliteGroup(const std::vector<std::string>& fields, std::size_t first,
                                   std::size_t end);
