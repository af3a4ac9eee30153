#pragma once

#include "HorizonGrid.h"
#include "MapObservations.h"

#include <array>
#include <cstdint>

// What the observations say of each direction of the sky, which the map alone cannot say:
//   Open     heard, the median SNR at or above the threshold (a clear view; one strong
//            reflection does not make a cell open, as it makes the map's maximum lie);
//   Weak     heard, the median below it (foliage, a thin wall, low gain).
//            The median is that of all the cell's reports, a report without a signal counting as
//            0 dB (for an even count the lower middle one): a reflection heard now and then from
//            behind a wall leaves the cell weak instead of making it open;
//   Blocked  reported at least BlockedReports times and never heard;
//   Unseen   never reported: no satellite crossed it. A cell reported fewer than BlockedReports
//            times and never heard is unseen too: too little to call it blocked.
enum class SkyClass : std::uint8_t { Unseen, Blocked, Weak, Open };

// "unseen", "blocked", "weak", "open": as keys, tables and reports name them.
const char* SkyClassName(SkyClass skyClass);

class SkyClasses {
public:
    static constexpr std::uint32_t BlockedReports = 3;

    // A threshold below 1 is taken as 1, as the horizon profile takes it.
    SkyClasses(const MapObservations& observations, int threshold);

    int Threshold() const { return threshold_; }
    // Unseen outside the grid.
    SkyClass At(int azimuth, int elevation) const;

private:
    int threshold_;
    std::array<SkyClass, static_cast<std::size_t>(GridAzimuths) * GridElevations> cells_{};
};
