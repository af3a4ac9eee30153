#pragma once

#include "horizon/HorizonGrid.h"
#include "horizon/MapObservations.h"

#include <cstdint>
#include <functional>
#include <vector>

// What one cell of a constructed map was told: the SNRs heard, and how often a satellite stood
// there unheard.
struct CellReports {
    std::vector<int> heard;
    std::uint32_t unheard = 0;
};

inline void Report(MapObservations& map, int azimuth, int elevation, const CellReports& reports,
                   std::uint32_t firstReported = 0) {
    CellObservations& cell = map.MutableCell(azimuth, elevation);
    for (const int snr : reports.heard) {
        cell.AddHeard(snr, 1);
    }
    cell.AddUnheard(reports.unheard);
    cell.SetFirstReported(firstReported);
}

inline const CellReports Clear{{42, 44, 40}, 0};
inline const CellReports Faint{{18, 20, 16}, 0};
inline const CellReports Walled{{}, 3};
inline const CellReports Never{{}, 0};

// A map whose every cell is told what `sky` gives for it (Never leaves it unreported).
inline MapObservations
ObservedSky(const std::function<CellReports(int azimuth, int elevation)>& sky) {
    MapObservations map;
    for (int q = 0; q < GridAzimuths; ++q) {
        for (int e = 0; e < GridElevations; ++e) {
            const CellReports reports = sky(q, e);
            if (!reports.heard.empty() || reports.unheard > 0) {
                Report(map, q, e, reports);
            }
        }
    }
    return map;
}

// A site: open from 5 degrees up, faint below; a tree across north (355..5) up to 15 degrees; a
// wall from 200 to 250 up to 30 degrees; no satellite ever at 100..109, nor near the pole (20..40
// at 50..70 degrees); at 300 satellites up to 40 degrees were never heard; at 301 they were
// reported too seldom to say.
inline MapObservations WalledSite() {
    return ObservedSky([](int q, int e) {
        if (q >= 100 && q <= 109) {
            return Never;
        }
        if (q >= 20 && q <= 40 && e >= 50 && e <= 70) {
            return Never;
        }
        if (q == 300 || q == 301) {
            return e > 40 ? Never : CellReports{{}, q == 300 ? 3u : 2u};
        }
        if (q >= 200 && q <= 250) {
            return e < 30 ? Walled : Clear;
        }
        const int open = q >= 355 || q <= 5 ? 15 : 5;
        return e < open ? Faint : Clear;
    });
}
