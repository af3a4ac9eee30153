#pragma once

#include "HorizonGrid.h"
#include "platform/TStringList.h"

#include <cstdint>
#include <vector>

// The cells of a horizon grid as numbers, by azimuth 0..359 and elevation 0..90. A cell that is
// missing (a short line, a grid of fewer lines) or not an integer is invalid and reads as 0, as
// a cell that never received anything: every reader of a damaged file gets a map, not an error.
class GridCellValues {
public:
    // Every cell valid and 0.
    GridCellValues();
    explicit GridCellValues(const TStringList& grid);

    bool Valid(int azimuth, int elevation) const { return valid_[Index(azimuth, elevation)] != 0; }
    std::int32_t Value(int azimuth, int elevation) const {
        return value_[Index(azimuth, elevation)];
    }
    // Makes the cell valid.
    void Set(int azimuth, int elevation, std::int32_t value) {
        value_[Index(azimuth, elevation)] = value;
        valid_[Index(azimuth, elevation)] = 1;
    }

private:
    static std::size_t Index(int azimuth, int elevation) {
        return static_cast<std::size_t>(azimuth) * GridElevations +
               static_cast<std::size_t>(elevation);
    }

    std::vector<std::int32_t> value_ =
        std::vector<std::int32_t>(static_cast<std::size_t>(GridAzimuths) * GridElevations);
    // Bytes, not std::vector<bool>: the plot reads every flag of the grid on each redraw.
    std::vector<std::uint8_t> valid_ =
        std::vector<std::uint8_t>(static_cast<std::size_t>(GridAzimuths) * GridElevations);
};
