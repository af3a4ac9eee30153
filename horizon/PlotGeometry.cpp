#include "PlotGeometry.h"

#include "HorizonGrid.h"
#include "PolarToXY.h"

#include <cmath>

namespace {

// The polar raster: the zenith at pixel 90, one pixel per degree.
constexpr double PolarRaster = 181.0;
constexpr double ZenithPixel = 90.0;

} // namespace

PlotGeometry::PlotGeometry(bool polar, int width, int height)
    : polar_(polar), width_(width), height_(height) {}

PlotPoint PlotGeometry::Point(double azimuth, double elevation) const {
    if (!polar_) {
        return {azimuth * width_ / GridAzimuths, (90.5 - elevation) * height_ / GridElevations};
    }
    const long double angle = AzimuthRadians(static_cast<float>(azimuth));
    const long double radius = PolarRadius(static_cast<float>(elevation));
    const double scale = height_ / PolarRaster;
    // Raster pixel i covers [i, i + 1) before it is stretched.
    return {static_cast<double>(ZenithPixel + radius * std::sin(angle) + 0.5) * scale,
            static_cast<double>(ZenithPixel - radius * std::cos(angle) + 0.5) * scale};
}

PlotPoint PlotGeometry::CellCentre(int azimuth, int elevation) const {
    return Point(polar_ ? azimuth : azimuth + 0.5, elevation);
}

PlotPoint PlotGeometry::Zenith() const {
    return Point(0, 90);
}

double PlotGeometry::PixelsPerDegree() const {
    return polar_ ? height_ / PolarRaster : static_cast<double>(height_) / GridElevations;
}
