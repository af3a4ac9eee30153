#include "MouseReadout.h"

#include "platform/Formatting.h"
#include "platform/Mbcs.h"

#include <cmath>
#include <numbers>

namespace {

struct Direction {
    double azimuth;
    double elevation;
};

Direction PolarDirection(int height, int x, int y) {
    const int half = height / 2;
    const double dx = x - half;
    const double dy = half - y;
    const double r = std::hypot(dx, dy);
    double azimuth = 0;
    if (std::abs(dx) > 0.01) {
        azimuth = 90.0 - std::atan2(dy, dx) * 180.0 / std::numbers::pi;
        while (azimuth < 0) {
            azimuth += 360.0;
        }
    } else {
        // Straight above or below the centre; the centre itself reads as south.
        azimuth = dy > 0 ? 0.0 : 180.0;
    }
    return {azimuth, (1.0 - r / half) * 90.0};
}

Direction RectangularDirection(int width, int height, int x, int y) {
    return {static_cast<double>(x) * 360.0 / width, (1.0 - static_cast<double>(y) / height) * 90.0};
}

} // namespace

std::optional<std::string> MouseReadoutCaption(bool polar, int width, int height, int x, int y) {
    if (width < 1 || height < (polar ? 2 : 1)) {
        return std::nullopt;
    }
    const Direction direction =
        polar ? PolarDirection(height, x, y) : RectangularDirection(width, height, x, y);
    if (!(direction.elevation >= 0)) {
        return std::nullopt;
    }
    return "Az: " + FormatFixed(direction.azimuth, 0) + DegreeSign +
           ",  El: " + FormatFixed(direction.elevation, 0) + DegreeSign;
}
