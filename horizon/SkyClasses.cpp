#include "SkyClasses.h"

#include <algorithm>

namespace {

std::size_t Index(int azimuth, int elevation) {
    return static_cast<std::size_t>(azimuth) * GridElevations + static_cast<std::size_t>(elevation);
}

// The lower median of all the reports, those without a signal as 0 dB; they stand below every
// SNR heard.
int MedianOfReports(const CellObservations& cell) {
    const std::uint64_t rank = (cell.Reports() + 1) / 2;
    std::uint64_t seen = cell.Unheard();
    if (seen >= rank) {
        return 0;
    }
    for (const CellObservations::SnrCount& entry : cell.Distribution()) {
        seen += entry.Count;
        if (seen >= rank) {
            return entry.Snr;
        }
    }
    return 0;
}

SkyClass ClassOf(const CellObservations* cell, int threshold) {
    if (cell == nullptr) {
        return SkyClass::Unseen;
    }
    if (cell->Heard() == 0) {
        return cell->Unheard() >= SkyClasses::BlockedReports ? SkyClass::Blocked : SkyClass::Unseen;
    }
    return MedianOfReports(*cell) >= threshold ? SkyClass::Open : SkyClass::Weak;
}

} // namespace

const char* SkyClassName(SkyClass skyClass) {
    switch (skyClass) {
    case SkyClass::Open:
        return "open";
    case SkyClass::Weak:
        return "weak";
    case SkyClass::Blocked:
        return "blocked";
    case SkyClass::Unseen:
        break;
    }
    return "unseen";
}

SkyClasses::SkyClasses(const MapObservations& observations, int threshold)
    : threshold_(std::max(threshold, 1)) {
    for (int q = 0; q < GridAzimuths; ++q) {
        for (int e = 0; e < GridElevations; ++e) {
            cells_[Index(q, e)] = ClassOf(observations.Cell(q, e), threshold_);
        }
    }
}

SkyClass SkyClasses::At(int azimuth, int elevation) const {
    if (azimuth < 0 || azimuth >= GridAzimuths || elevation < 0 || elevation >= GridElevations) {
        return SkyClass::Unseen;
    }
    return cells_[Index(azimuth, elevation)];
}
