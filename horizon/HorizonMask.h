#pragma once

#include "OpenProfile.h"

#include <array>
#include <string>
#include <vector>

// The open profile as a horizon mask for other software: satellites below the mask's elevation
// at an azimuth are to be ignored there. Azimuths whose open elevation is unknown are
// interpolated along the circle between the nearest known azimuths on either side (a single
// known azimuth gives its elevation everywhere) and listed as interpolated.
class HorizonMask {
public:
    // Raises Exception when no azimuth has a known open elevation: a mask of guesses only would
    // mislead.
    explicit HorizonMask(const OpenProfile& profile);
    // The mask of a map's observations: the open profile of their classes at `threshold`.
    HorizonMask(const MapObservations& observations, int threshold);

    // Degrees above the horizon, one decimal at most, for azimuth 0..359.
    const std::array<double, GridAzimuths>& Elevations() const { return elevations_; }
    // Ascending.
    const std::vector<int>& Interpolated() const { return interpolated_; }

    // "# horizon mask: azimuth from true north, clockwise, in degrees; elevation in degrees
    // above the horizon" (and a line listing the interpolated azimuths, where there are any),
    // then the header "azimuth_deg,elevation_deg" and 360 rows.
    std::string Csv() const;
    // The AzElMask text of satellite-planning tools: "stk.v.11.0", "BEGIN AzElMask",
    // "NumberOfPoints 360", "BEGIN AzElMaskData", one "az el" per line by azimuth, "END
    // AzElMaskData", "END AzElMask"; comments ("#") say the convention and the interpolated
    // azimuths.
    std::string AzElMask() const;

    // The form of the file's extension: ".aem" the AzElMask text, anything else CSV; written
    // atomically, EFileError naming the file when it cannot.
    void Save(const std::string& path) const;

private:
    std::array<double, GridAzimuths> elevations_{};
    std::vector<int> interpolated_;
};
