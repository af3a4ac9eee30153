#pragma once

#include "HorizonGrid.h"
#include "SkyClasses.h"

#include <array>
#include <optional>

// The honest counterpart of the map's horizon profile: per azimuth degree the lowest elevation
// whose cell is open (SkyClasses). Where no cell of an azimuth is open the elevation is unknown,
// and the azimuth is Blocked when any of its cells is blocked or weak (satellites were there and
// were not heard clearly) or Unseen when all are unseen.
class OpenProfile {
public:
    enum class Azimuth { Open, Blocked, Unseen };

    explicit OpenProfile(const SkyClasses& classes);

    // Empty outside 0..359 as for an azimuth without an open cell.
    std::optional<int> Elevation(int azimuth) const;
    // Unseen outside 0..359.
    Azimuth State(int azimuth) const;
    // The highest elevation of `azimuth` whose cell is not unseen (open, weak or blocked); empty
    // when there is none.
    std::optional<int> HighestReported(int azimuth) const;
    // Whether any azimuth has an open cell.
    bool AnyKnown() const;

private:
    std::array<std::optional<int>, GridAzimuths> elevations_{};
    std::array<std::optional<int>, GridAzimuths> highestReported_{};
    std::array<Azimuth, GridAzimuths> states_{};
};
