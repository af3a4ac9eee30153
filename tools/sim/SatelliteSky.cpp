#include "SatelliteSky.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr double OrbitRadiusKm = 26560;
constexpr double EarthRadiusKm = 6371;
constexpr double InclinationDegrees = 55;
// Half a sidereal day, so that the tracks over the ground repeat daily as the real ones do.
constexpr double OrbitalPeriodSeconds = 43082.05;
constexpr int Planes = 6;

// Slots of a plane spaced evenly, planes shifted against each other so that the satellites do not
// cross the equator together; PRNs shuffled over the planes as a real constellation has them.
constexpr std::array<int, Planes> SlotsPerPlane = {6, 5, 5, 5, 5, 5};
constexpr std::array<int, 31> Prns = {5,  13, 24, 2,  30, 19, 1, 22, 9,  31, 17, 8,  26, 14, 3, 28,
                                      11, 6,  21, 32, 15, 25, 7, 18, 29, 10, 4,  23, 12, 27, 16};

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}

double Degrees(double radians) {
    return radians * 180 / std::numbers::pi;
}

struct Vector {
    double x;
    double y;
    double z;
};

// The Earth's rotation angle (Greenwich mean sidereal time) in degrees.
double SiderealAngle(double secondsSinceJ2000) {
    return std::fmod(280.46061837 + 360.98564736629 * secondsSinceJ2000 / 86400, 360);
}

} // namespace

std::vector<SatelliteDirection> SatelliteSky::At(std::chrono::sys_seconds time) const {
    using namespace std::chrono;
    constexpr sys_seconds J2000 = sys_days{2000y / January / 1} + 12h;
    const double seconds = static_cast<double>((time - J2000).count());
    const double earthAngle = Radians(SiderealAngle(seconds));

    const double latitude = Radians(place_.latitude);
    const double longitude = Radians(place_.longitude);
    const Vector observer{EarthRadiusKm * std::cos(latitude) * std::cos(longitude),
                          EarthRadiusKm * std::cos(latitude) * std::sin(longitude),
                          EarthRadiusKm * std::sin(latitude)};
    const double inclination = Radians(InclinationDegrees);
    const double turns = std::fmod(seconds / OrbitalPeriodSeconds, 1.0);

    std::vector<SatelliteDirection> sky;
    std::size_t next = 0;
    for (int plane = 0; plane < Planes; ++plane) {
        const double node = Radians(60.0 * plane);
        const int slots = SlotsPerPlane[static_cast<std::size_t>(plane)];
        for (int slot = 0; slot < slots; ++slot) {
            const double phase = 360.0 * slot / slots + 17.0 * plane;
            const double u = Radians(phase + 360 * turns);
            const Vector inertial{
                OrbitRadiusKm * (std::cos(node) * std::cos(u) -
                                 std::sin(node) * std::sin(u) * std::cos(inclination)),
                OrbitRadiusKm * (std::sin(node) * std::cos(u) +
                                 std::cos(node) * std::sin(u) * std::cos(inclination)),
                OrbitRadiusKm * std::sin(u) * std::sin(inclination)};
            const Vector earthFixed{
                std::cos(earthAngle) * inertial.x + std::sin(earthAngle) * inertial.y,
                -std::sin(earthAngle) * inertial.x + std::cos(earthAngle) * inertial.y, inertial.z};
            const Vector d{earthFixed.x - observer.x, earthFixed.y - observer.y,
                           earthFixed.z - observer.z};
            const double east = -std::sin(longitude) * d.x + std::cos(longitude) * d.y;
            const double north = -std::sin(latitude) * std::cos(longitude) * d.x -
                                 std::sin(latitude) * std::sin(longitude) * d.y +
                                 std::cos(latitude) * d.z;
            const double up = std::cos(latitude) * std::cos(longitude) * d.x +
                              std::cos(latitude) * std::sin(longitude) * d.y +
                              std::sin(latitude) * d.z;
            double azimuth = Degrees(std::atan2(east, north));
            // A hair below 0 would come out as 360 after adding.
            if (azimuth < 0) {
                azimuth = std::min(azimuth + 360, std::nextafter(360.0, 0.0));
            }
            sky.push_back(
                {Prns[next++], azimuth, Degrees(std::atan2(up, std::hypot(east, north)))});
        }
    }
    return sky;
}
