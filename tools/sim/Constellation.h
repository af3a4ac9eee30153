#pragma once

#include <vector>

// The circular orbits of one satellite system, numbered as its receivers report them. The
// orbits are plausible rather than real: they put about as many satellites over the sky as the
// real systems do and move them about as fast.
struct Constellation {
    struct Orbit {
        int number = 0;
        double radiusKm = 0;
        double periodSeconds = 0;
        double inclinationDegrees = 0;
        // The ascending node's angle from the vernal equinox.
        double nodeDegrees = 0;
        // Where the satellite stands on its orbit, from the ascending node, at J2000.
        double phaseDegrees = 0;
    };

    // 31 satellites in six planes of 55 degrees inclination, each going round twice a sidereal
    // day, PRNs 1 to 32.
    static Constellation Gps();
    // 24 satellites in three planes of 64.8 degrees, numbered 65 to 88 as NMEA numbers them.
    static Constellation Glonass();
    // 24 satellites in three planes of 56 degrees, PRNs between 1 and 36.
    static Constellation Galileo();
    // 24 satellites in three planes of 55 degrees, and five standing over the equator between
    // 58.75 and 160 degrees east, which only a receiver far enough east sees high up.
    static Constellation BeiDou();

    std::vector<Orbit> orbits;
};
