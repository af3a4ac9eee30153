#pragma once

// The plot settings the window keeps for both plots; not saved between runs.
struct PlotSettings {
    int AverageWidth = 1; // azimuth degrees merged: 1, 2, 5 or 10
    bool Filled = false;
    bool Polar = false;
};
