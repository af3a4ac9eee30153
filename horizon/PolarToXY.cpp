#include "PolarToXY.h"

#include <cmath>
#include <numbers>

long double PolarRadius(float elevation) {
    return (90.0L - elevation) * 90.0L / 90.0L;
}

long double AzimuthRadians(float azimuth) {
    return azimuth * (std::numbers::pi_v<long double> / 180.0L);
}

void PolarPointToXY(int& x, int& y, long double sine, long double cosine, long double radius) {
    // nearbyintl rounds halves to even in the default rounding mode.
    x = static_cast<int>(std::nearbyintl(90.0L + radius * sine));
    y = static_cast<int>(std::nearbyintl(90.0L - radius * cosine));
}

void PolarToXY(int& x, int& y, float azimuth, float elevation) {
    const long double angle = AzimuthRadians(azimuth);
    PolarPointToXY(x, y, std::sin(angle), std::cos(angle), PolarRadius(elevation));
}
