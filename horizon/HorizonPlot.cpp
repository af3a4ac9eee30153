#include "HorizonPlot.h"

#include "HorizonGrid.h"
#include "PolarToXY.h"
#include "platform/CommaText.h"
#include "platform/Conversions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int PolarSize = 181;
constexpr int CirclePoints = 720;
constexpr int CircleGrey = 120;
constexpr std::uint32_t White = 0xFFFFFF;
constexpr std::uint32_t Black = 0x000000;

// The grid's cells as numbers; a cell that is missing or not an integer is invalid and is
// skipped by every pass.
class Cells {
public:
    explicit Cells(const TStringList& grid) {
        std::vector<std::string> fields;
        for (int q = 0; q < GridAzimuths; ++q) {
            SplitCommaText(grid.Get(static_cast<std::size_t>(q)), fields);
            for (int e = 0; e < GridElevations; ++e) {
                const auto field = static_cast<std::size_t>(e) + 1;
                std::int32_t value = 0;
                valid_[Index(q, e)] = field < fields.size() && TryStrToInt(fields[field], value);
                value_[Index(q, e)] = value;
            }
        }
    }

    bool Valid(int q, int e) const { return valid_[Index(q, e)]; }
    std::int32_t Value(int q, int e) const { return value_[Index(q, e)]; }

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
                    value_[Index(q, e)] = highest;
                    valid_[Index(q, e)] = true;
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
                    value_[Index(q, e)] = highest;
                }
            }
        }
    }

private:
    static std::size_t Index(int q, int e) {
        return static_cast<std::size_t>(q) * GridElevations + static_cast<std::size_t>(e);
    }

    std::array<std::int32_t, GridAzimuths * GridElevations> value_{};
    std::array<bool, GridAzimuths * GridElevations> valid_{};
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

void DrawRectangular(TExtBitmap& raster, const Cells& cells) {
    for (int q = 0; q < GridAzimuths; ++q) {
        for (int r = 0; r < GridElevations; ++r) {
            if (cells.Valid(q, r)) {
                SetGrey(raster, q, 90 - r, GreyLevel(cells.Value(q, r)));
            }
        }
    }
}

void DrawPolar(TExtBitmap& raster, const Cells& cells) {
    const PolarPoints& points = ThePolarPoints();
    for (int q = 0; q < GridAzimuths; ++q) {
        for (int r = 0; r < GridElevations; ++r) {
            if (!cells.Valid(q, r)) {
                continue;
            }
            const int grey = GreyLevel(cells.Value(q, r));
            for (int i = 0; i < 3; ++i) {
                for (int j = 0; j < 3; ++j) {
                    const PolarPoints::Point point = points.At(q, i, r, j);
                    SetGrey(raster, point.x, point.y, grey);
                }
            }
        }
    }
    for (int k = 0; k < CirclePoints; ++k) {
        int x = 0;
        int y = 0;
        PolarToXY(x, y, static_cast<float>(k / 2.0L), 0.0F);
        SetGrey(raster, x, y, CircleGrey);
    }
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

void PlotHorizon(TExtBitmap& target, const TStringList& grid, const PlotSettings& settings) {
    if (grid.Count() != static_cast<std::size_t>(GridAzimuths) || target.Width() < 1 ||
        target.Height() < 1) {
        return;
    }
    const auto cells = std::make_unique<Cells>(grid);
    if (settings.AverageWidth > 1) {
        cells->MergeAzimuths(settings.AverageWidth);
    }
    if (settings.Filled) {
        cells->Fill();
    }

    TExtBitmap raster;
    raster.SetPixelFormat(TPixelFormat::pf8bit);
    if (settings.Polar) {
        raster.SetSize(PolarSize, PolarSize);
    } else {
        raster.SetSize(GridAzimuths, GridElevations);
    }
    raster.MakeGreyPalette();
    raster.FillRect({0, 0, raster.Width(), raster.Height()}, settings.Polar ? Black : White);
    if (settings.Polar) {
        DrawPolar(raster, *cells);
        raster.Interpolate(target.Height(), target.Height());
    } else {
        DrawRectangular(raster, *cells);
        raster.Interpolate(target.Width(), target.Height());
    }

    // The target shows exactly the grey levels drawn.
    target.MakeGreyPalette();
    target.FillRect({0, 0, target.Width(), target.Height()}, White);
    target.Draw(0, 0, raster);
}
