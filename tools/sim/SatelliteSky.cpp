#include "SatelliteSky.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double EarthRadiusKm = 6371;

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
    std::vector<SatelliteDirection> sky;
    for (const Constellation::Orbit& orbit : constellation_.orbits) {
        const double inclination = Radians(orbit.inclinationDegrees);
        const double turns = std::fmod(seconds / orbit.periodSeconds, 1.0);
        const double node = Radians(orbit.nodeDegrees);
        const double u = Radians(orbit.phaseDegrees + 360 * turns);
        const Vector inertial{
            orbit.radiusKm * (std::cos(node) * std::cos(u) -
                              std::sin(node) * std::sin(u) * std::cos(inclination)),
            orbit.radiusKm * (std::sin(node) * std::cos(u) +
                              std::cos(node) * std::sin(u) * std::cos(inclination)),
            orbit.radiusKm * std::sin(u) * std::sin(inclination)};
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
                          std::cos(latitude) * std::sin(longitude) * d.y + std::sin(latitude) * d.z;
        double azimuth = Degrees(std::atan2(east, north));
        // A hair below 0 would come out as 360 after adding.
        if (azimuth < 0) {
            azimuth = std::min(azimuth + 360, std::nextafter(360.0, 0.0));
        }
        sky.push_back({orbit.number, azimuth, Degrees(std::atan2(up, std::hypot(east, north)))});
    }
    return sky;
}
