#pragma once

#include "GridCellValues.h"
#include "platform/TStringList.h"

#include <cstdint>

// What changed between two maps of the same place, cell by cell: the second map's SNR minus the
// first's, -99..99 dB (beyond that a damaged cell is cut back). Negative where signal was lost
// (a new obstruction), positive where it was gained. Cells missing or no number count as 0.
class DifferenceMap {
public:
    static constexpr int Limit = 99;

    DifferenceMap(const TStringList& before, const TStringList& after);

    int At(int azimuth, int elevation) const { return cells_.Value(azimuth, elevation); }
    // The largest change either way, in dB; 0 when the maps agree.
    int Largest() const { return largest_; }
    // Every cell, valid, for drawing like a map.
    const GridCellValues& Cells() const { return cells_; }

private:
    GridCellValues cells_;
    int largest_ = 0;
};
