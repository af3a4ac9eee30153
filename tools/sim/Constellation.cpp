#include "Constellation.h"

#include <array>
#include <cstddef>
#include <span>

namespace {

// Satellites of one system spread evenly over planes as Walker constellations have them: planes
// equally spaced around the equator, slots equally spaced in a plane, planes shifted against
// each other so that their satellites do not cross the equator together.
struct Walker {
    double radiusKm;
    double periodSeconds;
    double inclinationDegrees;
    double firstNodeDegrees;
    double planeShiftDegrees;
};

Constellation Spread(const Walker& walker, std::span<const int> slotsPerPlane,
                     std::span<const int> numbers) {
    Constellation constellation;
    const double planes = static_cast<double>(slotsPerPlane.size());
    std::size_t next = 0;
    for (std::size_t plane = 0; plane < slotsPerPlane.size(); ++plane) {
        const int slots = slotsPerPlane[plane];
        for (int slot = 0; slot < slots && next < numbers.size(); ++slot) {
            constellation.orbits.push_back(
                {numbers[next++], walker.radiusKm, walker.periodSeconds, walker.inclinationDegrees,
                 walker.firstNodeDegrees + 360.0 * static_cast<double>(plane) / planes,
                 360.0 * slot / slots + walker.planeShiftDegrees * static_cast<double>(plane)});
        }
    }
    return constellation;
}

constexpr std::array<int, 3> EightInEachOfThree = {8, 8, 8};

// The Earth's turn against the stars; an orbit of this period over the equator stands still
// above one longitude.
constexpr double SiderealDaySeconds = 86400 * 360 / 360.98564736629;
// The Earth's rotation angle at J2000, which the phase of a standing satellite makes up for.
constexpr double SiderealAngleAtJ2000 = 280.46061837;

} // namespace

Constellation Constellation::Gps() {
    // Half a sidereal day, so that the tracks over the ground repeat daily as the real ones do.
    // PRNs shuffled over the planes as a real constellation has them.
    constexpr std::array<int, 6> slotsPerPlane = {6, 5, 5, 5, 5, 5};
    constexpr std::array<int, 31> prns = {5, 13, 24, 2,  30, 19, 1,  22, 9,  31, 17,
                                          8, 26, 14, 3,  28, 11, 6,  21, 32, 15, 25,
                                          7, 18, 29, 10, 4,  23, 12, 27, 16};
    Constellation constellation;
    std::size_t next = 0;
    for (int plane = 0; plane < 6; ++plane) {
        const int slots = slotsPerPlane[static_cast<std::size_t>(plane)];
        for (int slot = 0; slot < slots; ++slot) {
            constellation.orbits.push_back({prns[next++], 26560, 43082.05, 55, 60.0 * plane,
                                            360.0 * slot / slots + 17.0 * plane});
        }
    }
    return constellation;
}

Constellation Constellation::Glonass() {
    // Seventeen orbits in eight sidereal days: 11 h 15 min 44 s.
    constexpr std::array<int, 24> numbers = {65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76,
                                             77, 78, 79, 80, 81, 82, 83, 84, 85, 86, 87, 88};
    return Spread({25508, 40544, 64.8, 20, 15}, EightInEachOfThree, numbers);
}

Constellation Constellation::Galileo() {
    // Seventeen orbits in ten sidereal days: 14 h 4 min 45 s.
    constexpr std::array<int, 24> prns = {1,  2,  3,  4,  5,  7,  8,  9,  10, 11, 12, 13,
                                          15, 19, 21, 24, 25, 26, 27, 30, 31, 33, 34, 36};
    return Spread({29600, 50685, 56, 40, 15}, EightInEachOfThree, prns);
}

Constellation Constellation::BeiDou() {
    // Thirteen orbits in seven sidereal days: 12 h 53 min 16 s.
    constexpr std::array<int, 24> prns = {19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30,
                                          32, 33, 34, 35, 36, 37, 41, 42, 43, 44, 45, 46};
    Constellation constellation = Spread({27906, 46396, 55, 70, 15}, EightInEachOfThree, prns);
    struct Standing {
        int prn;
        double longitudeDegrees;
    };
    constexpr std::array<Standing, 5> standing = {
        {{1, 140}, {2, 80}, {3, 110.5}, {4, 160}, {5, 58.75}}};
    for (const Standing& satellite : standing) {
        constellation.orbits.push_back({satellite.prn, 42164, SiderealDaySeconds, 0, 0,
                                        satellite.longitudeDegrees + SiderealAngleAtJ2000});
    }
    return constellation;
}
