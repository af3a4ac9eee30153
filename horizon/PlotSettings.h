#pragma once

#include "HorizonProfile.h"
#include "Palette.h"

#include <array>

// The azimuth widths a plot may merge: each divides the grid's 360 degrees.
inline constexpr std::array<int, 4> AverageWidths = {1, 2, 5, 10};

// The plot settings the window keeps for both plots; not saved between runs (the palette is
// kept by PaletteSetting).
struct PlotSettings {
    int AverageWidth = 1; // azimuth degrees merged: one of AverageWidths
    bool Filled = false;
    bool Polar = false;
    Palette Colours = DefaultPalette;
    // The horizon profile of the grid as it is (before averaging or filling), drawn as a line
    // over the map.
    bool ProfileLine = false;
    int ProfileThreshold = HorizonProfile::DefaultThreshold;
    // The sky classes of the map's observations in place of the map itself (the profile line
    // then being the open profile); averaging and filling do not apply to them.
    bool Classes = false;
};
