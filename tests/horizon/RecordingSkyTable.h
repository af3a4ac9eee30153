#pragma once

#include "horizon/SatelliteTable.h"
#include "horizon/SkyView.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A satellite table that remembers what it was asked to show.
class RecordingSkyTable : public SatelliteTable {
public:
    void ShowSatellitesInView(std::int32_t count) override { counts.push_back(count); }
    void ShowRow(std::int64_t, const SatelliteReport&) override { ++rowsShown; }
    void ClearRow(std::int64_t) override { ++rowsCleared; }
    void ShowSky(const SkyView& sky) override {
        ++skies;
        lastSky = sky.Satellites();
    }

    std::vector<std::int32_t> counts;
    std::size_t rowsShown = 0;
    std::size_t rowsCleared = 0;
    std::size_t skies = 0;
    std::vector<InViewSatellite> lastSky;
};
