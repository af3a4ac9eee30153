#pragma once

#include "horizon/SatelliteTable.h"

// A satellite table with no controls: a replay has no window to show the satellites in.
class SilentSatelliteTable : public SatelliteTable {
public:
    void ShowSatellitesInView(std::int32_t) override {}
    void ShowRow(std::int64_t, const SatelliteReport&) override {}
    void ClearRow(std::int64_t) override {}
};
