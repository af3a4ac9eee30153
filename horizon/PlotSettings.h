#pragma once

#include "HorizonProfile.h"
#include "Palette.h"

// The plot settings the window keeps for both plots; not saved between runs (the palette is
// kept by PaletteSetting).
struct PlotSettings {
    int AverageWidth = 1; // azimuth degrees merged: 1, 2, 5 or 10
    bool Filled = false;
    bool Polar = false;
    Palette Colours = DefaultPalette;
    // The horizon profile of the grid as it is (before averaging or filling), drawn as a line
    // over the map.
    bool ProfileLine = false;
    int ProfileThreshold = HorizonProfile::DefaultThreshold;
};
