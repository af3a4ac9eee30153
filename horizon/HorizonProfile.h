#pragma once

#include "HorizonGrid.h"
#include "platform/TStringList.h"

#include <array>
#include <optional>

// The horizon as the map shows it: for each azimuth degree 0..359 the lowest elevation (0..90)
// whose cell holds an SNR of at least the threshold. Below it the sky was never seen clearly
// from there; an azimuth without any such cell has no known horizon (empty, not 0: 0 would claim
// an open view down to the ground). Cells that are missing or no number count as 0.
class HorizonProfile {
public:
    // Weaker signals come through walls and foliage too; 30 dB is where a clear view begins.
    static constexpr int DefaultThreshold = 30;

    // A threshold below 1 is taken as 1: a cell of 0 received nothing.
    explicit HorizonProfile(const TStringList& grid, int threshold = DefaultThreshold);

    int Threshold() const { return threshold_; }
    // Empty for an azimuth outside 0..359 as for one without a horizon.
    std::optional<int> Elevation(int azimuth) const;
    const std::array<std::optional<int>, GridAzimuths>& Elevations() const { return elevations_; }

    friend bool operator==(const HorizonProfile&, const HorizonProfile&) = default;

private:
    int threshold_;
    std::array<std::optional<int>, GridAzimuths> elevations_{};
};
