#include "HorizonProfile.h"

#include "GridCellValues.h"

#include <algorithm>

HorizonProfile::HorizonProfile(const TStringList& grid, int threshold)
    : threshold_(std::max(threshold, 1)) {
    const GridCellValues cells(grid);
    for (int q = 0; q < GridAzimuths; ++q) {
        for (int e = 0; e < GridElevations; ++e) {
            if (cells.Value(q, e) >= threshold_) {
                elevations_[static_cast<std::size_t>(q)] = e;
                break;
            }
        }
    }
}

std::optional<int> HorizonProfile::Elevation(int azimuth) const {
    if (azimuth < 0 || azimuth >= GridAzimuths) {
        return std::nullopt;
    }
    return elevations_[static_cast<std::size_t>(azimuth)];
}
