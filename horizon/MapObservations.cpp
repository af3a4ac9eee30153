#include "MapObservations.h"

#include "platform/Exception.h"

#include <algorithm>
#include <limits>
#include <string>

namespace {

bool InGrid(int azimuth, int elevation) {
    return azimuth >= 0 && azimuth < GridAzimuths && elevation >= 0 && elevation < GridElevations;
}

} // namespace

void MapObservations::Add(std::int32_t prn, int azimuth, int elevation, int snr, Time time) {
    if (!InGrid(azimuth, elevation)) {
        return;
    }
    Advance(time);
    CellObservations& cell = MutableCell(azimuth, elevation);
    if (cell.Distribution().empty() && cell.Unheard() == 0) {
        const auto observed = std::min<std::int64_t>(period_.Observed.count(),
                                                     std::numeric_limits<std::uint32_t>::max());
        cell.SetFirstReported(static_cast<std::uint32_t>(std::max<std::int64_t>(observed, 0)));
    }
    cell.Add(snr);
    if (snr > 0) {
        AddSatelliteHeard(prn);
    }
}

// Times may come from the receiver or the computer's clock, and either may step back: a report
// that is not later than the last one adds no observed time but is counted all the same.
void MapObservations::Advance(Time time) {
    if (!period_.First || time < *period_.First) {
        period_.First = time;
    }
    if (period_.Last) {
        const auto gap = time - *period_.Last;
        if (gap > std::chrono::seconds(0) && gap <= MaxGap) {
            period_.Observed += gap;
        }
    }
    if (!period_.Last || time > *period_.Last) {
        period_.Last = time;
    }
}

void MapObservations::AddPosition(double latitude, double longitude) {
    if (!(latitude >= -90 && latitude <= 90 && longitude >= -180 && longitude <= 180)) {
        return;
    }
    positions_.Latitude += latitude;
    positions_.Longitude += longitude;
    ++positions_.Fixes;
}

bool MapObservations::Empty() const {
    return cells_.empty() && positions_.Fixes == 0 && !period_.First;
}

const CellObservations* MapObservations::Cell(int azimuth, int elevation) const {
    if (cells_.empty() || !InGrid(azimuth, elevation)) {
        return nullptr;
    }
    const CellObservations& cell = cells_[Index(azimuth, elevation)];
    return cell.Reports() > 0 ? &cell : nullptr;
}

CellObservations& MapObservations::MutableCell(int azimuth, int elevation) {
    if (!InGrid(azimuth, elevation)) {
        throw Exception("There is no cell at azimuth " + std::to_string(azimuth) + ", elevation " +
                        std::to_string(elevation));
    }
    if (cells_.empty()) {
        cells_.resize(static_cast<std::size_t>(GridAzimuths) * GridElevations);
    }
    return cells_[Index(azimuth, elevation)];
}

std::size_t MapObservations::ReportedCells() const {
    return static_cast<std::size_t>(
        std::count_if(cells_.begin(), cells_.end(),
                      [](const CellObservations& cell) { return cell.Reports() > 0; }));
}

std::optional<std::pair<double, double>> MapObservations::MeanPosition() const {
    if (positions_.Fixes == 0) {
        return std::nullopt;
    }
    const auto fixes = static_cast<double>(positions_.Fixes);
    return std::pair{positions_.Latitude / fixes, positions_.Longitude / fixes};
}

void MapObservations::AddSatelliteHeard(std::int32_t prn) {
    if (prn >= 1 && prn <= MaxSatelliteNumber) {
        satellitesHeard_.insert(prn);
    }
}

std::size_t MapObservations::Index(int azimuth, int elevation) {
    return static_cast<std::size_t>(azimuth) * GridElevations + static_cast<std::size_t>(elevation);
}
