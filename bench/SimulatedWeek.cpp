#include "SimulatedWeek.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace {

using enum SatelliteSystem;

constexpr double EarthRadiusKm = 6371;
constexpr double EarthRotation = 7.2921159e-5; // radians a second
constexpr double SiteLatitude = 30;
constexpr double SiteLongitude = 105;
constexpr double Degree = std::numbers::pi / 180;
constexpr double SiderealDaySeconds = 86164;
// The satellites move less than a tenth of a degree in this time: one direction serves its
// seconds, the SNR changing each second.
constexpr int GeometryStepSeconds = 4;

struct Satellite {
    SatelliteSystem system;
    std::int32_t prn;
    double inclination;
    double node;
    double phase;
    double periodSeconds;
    double radiusKm;
    int snrOffset;
};

struct Constellation {
    SatelliteSystem system;
    std::int32_t firstPrn;
    int planes;
    int perPlane;
    double inclinationDegrees;
    double periodSeconds;
    double radiusKm;
    // Of the first plane, in degrees; geostationary and inclined orbits over one longitude.
    double nodeDegrees;
};

constexpr Constellation Constellations[] = {
    {GPS, 1, 6, 5, 55, 43082, 26560, 0},
    {GLONASS, 65, 3, 8, 64.8, 40544, 25510, 10},
    {Galileo, 1, 3, 8, 56, 50680, 29600, 20},
    {BeiDou, 1, 3, 8, 55, 46440, 27900, 30},
    {QZSS, 193, 3, 1, 41, SiderealDaySeconds, 42164, 135},
    {NavIC, 1, 1, 3, 0, SiderealDaySeconds, 42164, 32.5},
    {NavIC, 4, 2, 2, 29, SiderealDaySeconds, 42164, 55},
};

std::vector<Satellite> Satellites() {
    std::vector<Satellite> satellites;
    int offset = 0;
    for (const Constellation& c : Constellations) {
        for (int plane = 0; plane < c.planes; ++plane) {
            for (int k = 0; k < c.perPlane; ++k) {
                const double node = (c.nodeDegrees + 360.0 * plane / c.planes) * Degree;
                // Geostationary satellites spread over longitudes, the others along their plane.
                const bool geostationary = c.inclinationDegrees == 0;
                const double phase = geostationary ? 50.0 * k * Degree
                                                   : (360.0 * k / c.perPlane + 15 * plane) * Degree;
                satellites.push_back({c.system, c.firstPrn + plane * c.perPlane + k,
                                      c.inclinationDegrees * Degree, node, phase, c.periodSeconds,
                                      c.radiusKm, offset % 7 - 3});
                ++offset;
            }
        }
    }
    return satellites;
}

struct Direction {
    double azimuth;
    double elevation;
};

Direction Look(const Satellite& s, double seconds) {
    const double u = s.phase + 2 * std::numbers::pi * seconds / s.periodSeconds;
    const double x = s.radiusKm * (std::cos(u) * std::cos(s.node) -
                                   std::sin(u) * std::cos(s.inclination) * std::sin(s.node));
    const double y = s.radiusKm * (std::cos(u) * std::sin(s.node) +
                                   std::sin(u) * std::cos(s.inclination) * std::cos(s.node));
    const double z = s.radiusKm * std::sin(u) * std::sin(s.inclination);
    const double theta = EarthRotation * seconds;
    const double ex = x * std::cos(theta) + y * std::sin(theta);
    const double ey = -x * std::sin(theta) + y * std::cos(theta);
    const double phi = SiteLatitude * Degree;
    const double lambda = SiteLongitude * Degree;
    const double dx = ex - EarthRadiusKm * std::cos(phi) * std::cos(lambda);
    const double dy = ey - EarthRadiusKm * std::cos(phi) * std::sin(lambda);
    const double dz = z - EarthRadiusKm * std::sin(phi);
    const double east = -std::sin(lambda) * dx + std::cos(lambda) * dy;
    const double north = -std::sin(phi) * std::cos(lambda) * dx -
                         std::sin(phi) * std::sin(lambda) * dy + std::cos(phi) * dz;
    const double up = std::cos(phi) * std::cos(lambda) * dx +
                      std::cos(phi) * std::sin(lambda) * dy + std::sin(phi) * dz;
    const double azimuth = std::atan2(east, north) / Degree;
    return {azimuth < 0 ? azimuth + 360 : azimuth,
            std::atan2(up, std::hypot(east, north)) / Degree};
}

// Cheap and repeatable: the noise of a week of reports.
class Noise {
public:
    int Next(int spread) {
        state_ ^= state_ << 13U;
        state_ ^= state_ >> 7U;
        state_ ^= state_ << 17U;
        return static_cast<int>(state_ % static_cast<std::uint64_t>(2 * spread + 1)) - spread;
    }

private:
    std::uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

} // namespace

SimulatedWeek::SimulatedWeek() {
    const std::vector<Satellite> satellites = Satellites();
    const MapObservations::Time start{std::chrono::sys_days{std::chrono::year{2026} / 12 / 1}};
    Noise noise;
    constexpr int seconds = Days * 24 * 3600;
    for (int t = 0; t < seconds; t += GeometryStepSeconds) {
        for (const Satellite& satellite : satellites) {
            const Direction look = Look(satellite, t);
            if (look.elevation < 0) {
                continue;
            }
            const int azimuth = static_cast<int>(std::lround(look.azimuth)) % 360;
            const int elevation = static_cast<int>(std::lround(look.elevation));
            const bool walled = azimuth >= 200 && azimuth < 260 && elevation < 20;
            const int snr =
                static_cast<int>(std::lround(28 + 20 * std::sin(look.elevation * Degree))) +
                satellite.snrOffset;
            MapObservations& system = systems_[static_cast<std::size_t>(satellite.system)];
            for (int second = t; second < t + GeometryStepSeconds; ++second) {
                const int heard = walled ? 0 : snr + noise.Next(2);
                const MapObservations::Time time = start + std::chrono::seconds(second);
                combined_.Add(satellite.prn, azimuth, elevation, heard, time);
                system.Add(satellite.prn, azimuth, elevation, heard, time);
                ++reports_;
            }
        }
        if (t % 60 == 0) {
            combined_.AddPosition(SiteLatitude + noise.Next(5) * 1e-6, SiteLongitude);
        }
    }
}
