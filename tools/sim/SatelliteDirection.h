#pragma once

// Where one satellite stands in the observer's sky, in degrees: azimuth 0 to 360 clockwise from
// north, elevation -90 to 90 (negative below the horizon).
struct SatelliteDirection {
    int prn = 0;
    double azimuth = 0;
    double elevation = 0;
};
