#include "KeptSatelliteRows.h"

#include "ReceiverMode.h"

void KeptSatelliteRows::ShowSatellitesInView(std::int32_t count) {
    shown_.ShowSatellitesInView(count);
}

void KeptSatelliteRows::ShowRow(std::int64_t row, const SatelliteReport& satellite) {
    if (row >= 1 && row <= static_cast<std::int64_t>(Rows)) {
        rows_[static_cast<std::size_t>(row - 1)] = satellite;
    }
    shown_.ShowRow(row, satellite);
}

void KeptSatelliteRows::ClearRow(std::int64_t row) {
    if (row >= 1 && row <= static_cast<std::int64_t>(Rows)) {
        rows_[static_cast<std::size_t>(row - 1)].reset();
    }
    shown_.ClearRow(row);
}

void KeptSatelliteRows::ShowSky(const SkyView& sky) {
    shown_.ShowSky(sky);
}

std::vector<InViewSatellite> KeptSatelliteRows::Satellites() const {
    std::vector<InViewSatellite> satellites;
    for (const std::optional<SatelliteReport>& row : rows_) {
        if (row) {
            satellites.push_back({SystemOfSatellite(GpsOnlyTalker, row->PRN), row->PRN,
                                  row->Elevation, row->Azimuth, row->SNR, row->SNR > 0,
                                  row->HasPosition});
        }
    }
    return satellites;
}
