#pragma once

#include "SatelliteReport.h"

#include <cstdint>

class SkyView;

// The satellite table as the sentence handlers see it: a count and numbered rows (from 1), one
// satellite each. A row the table does not have is skipped.
class SatelliteTable {
public:
    virtual ~SatelliteTable() = default;
    virtual void ShowSatellitesInView(std::int32_t count) = 0;
    virtual void ShowRow(std::int64_t row, const SatelliteReport& satellite) = 0;
    virtual void ClearRow(std::int64_t row) = 0;
    // Every satellite in view, all systems, under the all-systems receiver setting (which shows
    // no rows). A table of rows only leaves it.
    virtual void ShowSky(const SkyView& /*sky*/) {}
};
