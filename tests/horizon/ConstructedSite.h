#pragma once

#include "horizon/HorizonGrid.h"
#include "horizon/MapObservations.h"
#include "horizon/SkyClasses.h"
#include "platform/TStringList.h"

#include <chrono>

// A site as a receiver would record it: open sky (45 dB) but for a wall from azimuth 200 to 250
// below 30 degrees (satellites stood there, never heard), foliage from 30 to 60 below 20 degrees
// (heard at 20 dB), and a hole towards the pole no satellite crosses (azimuth 330 to 29,
// elevation 40 to 60). Every cell is first reported in one sweep of about 9 hours; then one open
// cell goes on being heard for 7 more, so that the seen sky stopped growing.
struct ConstructedSite {
    static constexpr int WallTop = 30;
    static constexpr int FoliageTop = 20;

    static bool InWall(int q, int e) { return q >= 200 && q <= 250 && e < WallTop; }
    static bool InFoliage(int q, int e) { return q >= 30 && q <= 60 && e < FoliageTop; }
    static bool InPoleHole(int q, int e) { return (q >= 330 || q < 30) && e >= 40 && e <= 60; }

    static SkyClass ClassAt(int q, int e) {
        if (InPoleHole(q, e)) {
            return SkyClass::Unseen;
        }
        if (InWall(q, e)) {
            return SkyClass::Blocked;
        }
        return InFoliage(q, e) ? SkyClass::Weak : SkyClass::Open;
    }

    ConstructedSite() {
        auto time = MapObservations::Time(std::chrono::seconds(1'800'000'000));
        const auto report = [&](int q, int e, int snr) {
            Observations.Add(1 + q % 32, q, e, snr, time);
            FoldReport(Grid, q, e, snr);
            time += std::chrono::seconds(1);
        };
        for (int q = 0; q < GridAzimuths; ++q) {
            for (int e = 0; e < GridElevations; ++e) {
                if (InPoleHole(q, e)) {
                    continue;
                }
                const int reports = InWall(q, e) || InFoliage(q, e) ? 3 : 1;
                for (int i = 0; i < reports; ++i) {
                    report(q, e, InWall(q, e) ? 0 : InFoliage(q, e) ? 20 : 45);
                }
            }
        }
        for (int i = 0; i < 7 * 360; ++i) {
            time += std::chrono::seconds(9);
            report(120, 45, 45);
        }
        Observations.AddPosition(52.5, -1.25);
    }

    TStringList Grid = NewGrid();
    MapObservations Observations;
};
