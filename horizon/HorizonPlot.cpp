#include "HorizonPlot.h"

#include "GridCellValues.h"
#include "HorizonGrid.h"
#include "HorizonProfileLine.h"
#include "PaletteColours.h"
#include "PolarToXY.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int PolarSize = 181;
constexpr int CirclePoints = 720;
constexpr int CircleGrey = 120;
constexpr std::uint32_t White = 0xFFFFFF;
constexpr std::uint32_t Black = 0x000000;
constexpr std::uint32_t CircleColour = 0x787878;
constexpr std::uint32_t RgbMask = 0xFFFFFF;

// The grid's cells as numbers, as the plot shows them: averaged and filled when asked.
class Cells : public GridCellValues {
public:
    using GridCellValues::GridCellValues;

    // Every row of a block of `width` azimuths takes the block's maximum per elevation (at
    // least 0), which makes every cell of the block valid.
    void MergeAzimuths(int width) {
        for (int block = 0; block < GridAzimuths / width; ++block) {
            const int first = block * width;
            for (int e = 0; e < GridElevations; ++e) {
                std::int32_t highest = 0;
                for (int q = first; q < first + width; ++q) {
                    if (Valid(q, e)) {
                        highest = std::max(highest, Value(q, e));
                    }
                }
                for (int q = first; q < first + width; ++q) {
                    Set(q, e, highest);
                }
            }
        }
    }

    // Each valid cell shows the strongest value at or below its elevation (at least 0).
    void Fill() {
        for (int q = 0; q < GridAzimuths; ++q) {
            std::int32_t highest = 0;
            for (int e = 0; e < GridElevations; ++e) {
                if (Valid(q, e)) {
                    highest = std::max(highest, Value(q, e));
                    Set(q, e, highest);
                }
            }
        }
    }
};

// The nine polar points of every cell, (q + 0.4 i, r + 0.4 j) for i, j = -1, 0, 1, each
// argument rounded to single precision. Computing them costs far more than drawing, and they
// never change, so they are computed once.
class PolarPoints {
public:
    PolarPoints() {
        std::array<long double, Elevations> radius{};
        for (int er = 0; er < Elevations; ++er) {
            radius[static_cast<std::size_t>(er)] = PolarRadius(Offset(er / 3, er % 3));
        }
        for (int aq = 0; aq < Azimuths; ++aq) {
            const long double angle = AzimuthRadians(Offset(aq / 3, aq % 3));
            const long double sine = std::sin(angle);
            const long double cosine = std::cos(angle);
            for (int er = 0; er < Elevations; ++er) {
                int x = 0;
                int y = 0;
                PolarPointToXY(x, y, sine, cosine, radius[static_cast<std::size_t>(er)]);
                points_[Index(aq, er)] = {static_cast<std::uint8_t>(x),
                                          static_cast<std::uint8_t>(y)};
            }
        }
    }

    struct Point {
        std::uint8_t x;
        std::uint8_t y;
    };

    // Point i (0..2 for -1..1) of azimuth q, j of elevation r.
    Point At(int q, int i, int r, int j) const { return points_[Index(q * 3 + i, r * 3 + j)]; }

private:
    static constexpr int Azimuths = GridAzimuths * 3;
    static constexpr int Elevations = GridElevations * 3;

    static float Offset(int whole, int step) {
        return static_cast<float>(static_cast<long double>(whole) + 0.4L * (step - 1));
    }
    static std::size_t Index(int aq, int er) {
        return static_cast<std::size_t>(aq) * Elevations + static_cast<std::size_t>(er);
    }

    std::vector<Point> points_ =
        std::vector<Point>(static_cast<std::size_t>(Azimuths) * Elevations);
};

const PolarPoints& ThePolarPoints() {
    static const PolarPoints points;
    return points;
}

// The raster carries the grey ramp, so a pixel's index is its grey level.
void SetGrey(TExtBitmap& raster, int x, int y, int grey) {
    if (x >= 0 && y >= 0 && x < raster.Width() && y < raster.Height()) {
        raster.ScanLine(y)[x] = static_cast<std::uint8_t>(grey);
    }
}

// `paint(x, y, value)` sets a raster pixel to the picture of a cell value.
template <class Paint>
void DrawRectangular(const GridCellValues& cells, const Paint& paint) {
    for (int q = 0; q < GridAzimuths; ++q) {
        for (int r = 0; r < GridElevations; ++r) {
            if (cells.Valid(q, r)) {
                paint(q, 90 - r, cells.Value(q, r));
            }
        }
    }
}

// `paintRing(x, y)` sets a pixel of the horizon circle.
template <class Paint, class PaintRing>
void DrawPolar(const GridCellValues& cells, const Paint& paint, const PaintRing& paintRing) {
    const PolarPoints& points = ThePolarPoints();
    for (int q = 0; q < GridAzimuths; ++q) {
        for (int r = 0; r < GridElevations; ++r) {
            if (!cells.Valid(q, r)) {
                continue;
            }
            const std::int32_t value = cells.Value(q, r);
            for (int i = 0; i < 3; ++i) {
                for (int j = 0; j < 3; ++j) {
                    const PolarPoints::Point point = points.At(q, i, r, j);
                    paint(point.x, point.y, value);
                }
            }
        }
    }
    for (int k = 0; k < CirclePoints; ++k) {
        int x = 0;
        int y = 0;
        PolarToXY(x, y, static_cast<float>(k / 2.0L), 0.0F);
        paintRing(x, y);
    }
}

bool Drawable(const TExtBitmap& target, const TStringList& grid) {
    return grid.Count() == static_cast<std::size_t>(GridAzimuths) && target.Width() >= 1 &&
           target.Height() >= 1;
}

void SizeRaster(TExtBitmap& raster, bool polar) {
    if (polar) {
        raster.SetSize(PolarSize, PolarSize);
    } else {
        raster.SetSize(GridAzimuths, GridElevations);
    }
}

// Resampling enlarges or reduces a picture as a whole; a plot narrower than the raster but
// taller (or the other way round) is reduced first and then enlarged.
void Resample(TExtBitmap& raster, int width, int height) {
    const bool mixed = (width < raster.Width() && height > raster.Height()) ||
                       (width > raster.Width() && height < raster.Height());
    if (mixed) {
        raster.Interpolate(std::min(width, raster.Width()), std::min(height, raster.Height()));
    }
    raster.Interpolate(width, height);
}

void StretchRaster(TExtBitmap& raster, const TExtBitmap& target, bool polar) {
    if (polar) {
        raster.Interpolate(target.Height(), target.Height());
    } else {
        Resample(raster, target.Width(), target.Height());
    }
}

void PlotGrey(TExtBitmap& target, const Cells& cells, bool polar) {
    TExtBitmap raster;
    raster.SetPixelFormat(TPixelFormat::pf8bit);
    SizeRaster(raster, polar);
    raster.MakeGreyPalette();
    raster.FillRect({0, 0, raster.Width(), raster.Height()}, polar ? Black : White);
    const auto grey = [&raster](int x, int y, std::int32_t value) {
        SetGrey(raster, x, y, GreyLevel(value));
    };
    if (polar) {
        DrawPolar(cells, grey, [&raster](int x, int y) { SetGrey(raster, x, y, CircleGrey); });
    } else {
        DrawRectangular(cells, grey);
    }
    // A target the colour palette or the profile line turned into 24 bits is the window's grey
    // plot again.
    if (target.PixelFormat() != TPixelFormat::pf8bit) {
        target.SetPixelFormat(TPixelFormat::pf8bit);
    }
    StretchRaster(raster, target, polar);

    // The target shows exactly the grey levels drawn.
    target.MakeGreyPalette();
    target.FillRect({0, 0, target.Width(), target.Height()}, White);
    target.Draw(0, 0, raster);
}

} // namespace

int GreyLevel(int value) {
    if (value >= 1 && value <= 29) {
        return 32;
    }
    if (value >= 30 && value <= 31) {
        return 100;
    }
    if (value >= 32 && value <= 33) {
        return 150;
    }
    if (value >= 34 && value <= 35) {
        return 200;
    }
    if (value >= 36 && value <= 100) {
        return 255;
    }
    return 0;
}

void PlotCellColours(TExtBitmap& target, const GridCellValues& cells, bool polar,
                     const std::function<QRgb(std::int32_t value)>& colour, QRgb background) {
    if (target.Width() < 1 || target.Height() < 1) {
        return;
    }
    TExtBitmap raster;
    raster.SetPixelFormat(TPixelFormat::pf24bit);
    SizeRaster(raster, polar);
    raster.FillRect({0, 0, raster.Width(), raster.Height()}, background & RgbMask);
    const auto paint = [&](int x, int y, std::int32_t value) {
        raster.SetPixel(x, y, colour(value) & RgbMask);
    };
    if (polar) {
        DrawPolar(cells, paint, [&raster](int x, int y) { raster.SetPixel(x, y, CircleColour); });
    } else {
        DrawRectangular(cells, paint);
    }
    StretchRaster(raster, target, polar);

    target.SetPixelFormat(TPixelFormat::pf24bit);
    target.FillRect({0, 0, target.Width(), target.Height()}, White);
    target.Draw(0, 0, raster);
}

void PlotHorizon(TExtBitmap& target, const TStringList& grid, const PlotSettings& settings) {
    if (!Drawable(target, grid)) {
        return;
    }
    const auto cells = std::make_unique<Cells>(grid);
    if (settings.AverageWidth > 1) {
        cells->MergeAzimuths(settings.AverageWidth);
    }
    if (settings.Filled) {
        cells->Fill();
    }
    if (settings.Colours == Palette::Grey) {
        PlotGrey(target, *cells, settings.Polar);
    } else {
        PlotCellColours(
            target, *cells, settings.Polar,
            [palette = settings.Colours](std::int32_t value) {
                return PaletteColour(palette, value);
            },
            settings.Polar ? Black : White);
    }
    if (settings.ProfileLine) {
        DrawHorizonProfile(target, HorizonProfile(grid, settings.ProfileThreshold), settings.Polar);
    }
}

void PlotDifference(TExtBitmap& target, const DifferenceMap& map, bool polar) {
    const int largest = map.Largest();
    PlotCellColours(
        target, map.Cells(), polar,
        [largest](std::int32_t value) { return DifferenceColour(value, largest); }, White);
}
