#pragma once

#include "ObservedSky.h"
#include "horizon/HorizonGrid.h"
#include "horizon/MapObservations.h"
#include "platform/TStringList.h"

#include <chrono>

// The walled site (ObservedSky.h) as a receiver would have recorded it: its map, 16 hours
// observed from 2027-01-15 08:00 UTC with every cell first reported at the start (so the seen sky
// no longer grows), two satellites heard and a mean position.
struct ConstructedSite {
    ConstructedSite() {
        for (int q = 0; q < GridAzimuths; ++q) {
            for (int e = 0; e < GridElevations; ++e) {
                const CellObservations* cell = Observations.Cell(q, e);
                if (cell != nullptr && cell->Max()) {
                    FoldReport(Grid, q, e, *cell->Max());
                }
            }
        }
        const auto start = MapObservations::Time(std::chrono::seconds(1'800'000'000));
        Observations.SetReception({start, start + std::chrono::hours(16), std::chrono::hours(16)});
        Observations.AddSatelliteHeard(5);
        Observations.AddSatelliteHeard(12);
        Observations.AddPosition(52.5, -1.25);
    }

    MapObservations Observations = WalledSite();
    TStringList Grid = NewGrid();
};
