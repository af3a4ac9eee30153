#pragma once

// Where the simulated antenna stands, in degrees: north and east positive.
struct Place {
    double latitude = 0;
    double longitude = 0;
};
