#include "horizon/MapPicture.h"
#include "horizon/HorizonGrid.h"
#include "horizon/HorizonPlot.h"
#include "horizon/HorizonProfileLine.h"
#include "horizon/PaletteColours.h"
#include "horizon/PlotGeometry.h"
#include "horizon/PlotLegend.h"
#include "horizon/PngFile.h"
#include "platform/Exception.h"

#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <string>

using testing::HasSubstr;

namespace {

QRgb Rgb(const TExtBitmap& bitmap, int x, int y) {
    return bitmap.Image().pixel(x, y);
}

TExtBitmap Target(int width, int height) {
    TExtBitmap target;
    target.SetPixelFormat(TPixelFormat::pf8bit);
    target.SetSize(width, height);
    target.MakeGreyPalette();
    target.FillRect({0, 0, width, height}, 0xFFFFFF);
    return target;
}

// Open sky down to 5 degrees, a wall from azimuth 200 to 250 up to 30 degrees, and nothing ever
// received from 100 to 109.
TStringList WalledSky() {
    TStringList grid = NewGrid();
    for (int q = 0; q < GridAzimuths; ++q) {
        if (q < 100 || q > 109) {
            FoldReport(grid, q, q >= 200 && q <= 250 ? 30 : 5, 45);
        }
    }
    return grid;
}

struct ColourCase {
    const char* name;
    Palette palette;
    int snr;
    QRgb colour;
};

class PaletteColourTable : public testing::TestWithParam<ColourCase> {};

TEST_P(PaletteColourTable, ColourOfAnSnr) {
    EXPECT_EQ(PaletteColour(GetParam().palette, GetParam().snr), GetParam().colour)
        << std::hex << PaletteColour(GetParam().palette, GetParam().snr);
}

INSTANTIATE_TEST_SUITE_P(
    Values, PaletteColourTable,
    testing::Values(ColourCase{"grey_none", Palette::Grey, 0, 0xFF000000},
                    ColourCase{"grey_weak", Palette::Grey, 29, 0xFF202020},
                    ColourCase{"grey_strong", Palette::Grey, 36, 0xFFFFFFFF},
                    ColourCase{"viridis_none", Palette::Viridis, 0, 0xFF440154},
                    ColourCase{"viridis_middle", Palette::Viridis, 25, 0xFF21908C},
                    ColourCase{"viridis_full", Palette::Viridis, ViridisFullScale, 0xFFFDE725},
                    ColourCase{"viridis_beyond_full", Palette::Viridis, 99, 0xFFFDE725},
                    ColourCase{"viridis_damaged_low", Palette::Viridis, -1, 0xFF000000},
                    ColourCase{"viridis_damaged_high", Palette::Viridis, 101, 0xFF000000}),
    CaseName());

TEST(PaletteColour, ViridisGetsLighterAllTheWay) {
    double previous = -1;
    for (int snr = 0; snr <= ViridisFullScale; ++snr) {
        const QRgb colour = PaletteColour(Palette::Viridis, snr);
        const double lightness =
            0.2126 * qRed(colour) + 0.7152 * qGreen(colour) + 0.0722 * qBlue(colour);
        EXPECT_GT(lightness, previous) << snr;
        previous = lightness;
    }
}

TEST(DifferenceColour, WhiteForNoChangeBlueForLostRedForGained) {
    EXPECT_EQ(DifferenceColour(0, 20), 0xFFFFFFFFu);
    EXPECT_EQ(DifferenceColour(5, 0), 0xFFFFFFFFu);
    EXPECT_EQ(DifferenceColour(-20, 20), LostColour);
    EXPECT_EQ(DifferenceColour(-90, 20), LostColour);
    EXPECT_EQ(DifferenceColour(20, 20), GainedColour);
    const QRgb halfLost = DifferenceColour(-10, 20);
    EXPECT_GT(qBlue(halfLost), qRed(halfLost));
    EXPECT_LT(qBlue(halfLost), 255);
    const QRgb halfGained = DifferenceColour(10, 20);
    EXPECT_GT(qRed(halfGained), qBlue(halfGained));
}

TEST(PlotHorizon, ViridisDrawsColoursIntoA24BitTarget) {
    TStringList grid = NewGrid();
    FoldReport(grid, 100, 30, 50);
    grid.Put(101, "101,x");
    TExtBitmap target = Target(360, 91);
    PlotSettings settings;
    settings.Colours = Palette::Viridis;
    PlotHorizon(target, grid, settings);
    EXPECT_EQ(target.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(Rgb(target, 100, 60), 0xFFFDE725u);
    EXPECT_EQ(Rgb(target, 99, 60), 0xFF440154u);  // nothing received: the dark end
    EXPECT_EQ(Rgb(target, 101, 60), 0xFFFFFFFFu); // no number: the background
}

struct LineCase {
    const char* name;
    bool polar;
    int width, height;
};

class ProfileLine : public testing::TestWithParam<LineCase> {};

TEST_P(ProfileLine, RunsThroughTheLowestClearCells) {
    const LineCase& c = GetParam();
    const TStringList grid = WalledSky();
    TExtBitmap target = Target(c.width, c.height);
    PlotSettings settings;
    settings.Polar = c.polar;
    settings.ProfileLine = true;
    PlotHorizon(target, grid, settings);
    EXPECT_EQ(target.PixelFormat(), TPixelFormat::pf24bit);
    const PlotGeometry geometry(c.polar, c.width, c.height);
    const auto pixel = [&](int azimuth, int elevation) {
        const PlotPoint at = geometry.CellCentre(azimuth, elevation);
        return Rgb(target, static_cast<int>(at.X), static_cast<int>(at.Y));
    };
    EXPECT_EQ(pixel(225, 30), ProfileLineColour);
    EXPECT_EQ(pixel(30, 5), ProfileLineColour);
    // Unknown azimuths have no line; the map under it keeps its grey.
    EXPECT_NE(pixel(105, 5), ProfileLineColour);
    EXPECT_EQ(pixel(225, 60), 0xFF000000u);

    TExtBitmap plain = Target(c.width, c.height);
    settings.ProfileLine = false;
    PlotHorizon(plain, grid, settings);
    EXPECT_EQ(plain.PixelFormat(), TPixelFormat::pf8bit);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ProfileLine,
                         testing::Values(LineCase{"rectangular", false, 720, 182},
                                         LineCase{"rectangular_window", false, 540, 273},
                                         LineCase{"polar", true, 362, 362}),
                         CaseName());

struct PictureCase {
    const char* name;
    bool polar;
    Palette palette;
    int width, height;
};

class MapPictureLayout : public testing::TestWithParam<PictureCase> {};

TEST_P(MapPictureLayout, PlotAsTheWindowDrawsItAndTheScaleOfItsColours) {
    const PictureCase& c = GetParam();
    const TStringList grid = WalledSky();
    PlotSettings settings;
    settings.Colours = c.palette;
    settings.Polar = c.polar;
    const MapPicture layout(QSize(c.width, c.height), c.polar);
    const QImage picture = layout.Draw(grid, settings);
    ASSERT_EQ(picture.size(), QSize(c.width, c.height));

    const QRect plot = layout.PlotArea();
    EXPECT_TRUE(QRect(QPoint(0, 0), picture.size()).contains(plot));
    EXPECT_FALSE(plot.intersects(layout.ScaleBar()));
    TExtBitmap expected = Target(plot.width(), plot.height());
    PlotHorizon(expected, grid, settings);
    // Polar, the rings and their labels (north-east) are drawn over the plot.
    const PlotGeometry geometry(c.polar, plot.width(), plot.height());
    const auto underRings = [&](int x, int y) {
        const double dx = x + 0.5 - geometry.Zenith().X;
        const double dy = y + 0.5 - geometry.Zenith().Y;
        const double degrees = std::hypot(dx, dy) / geometry.PixelsPerDegree();
        return c.polar && (std::fmod(degrees + 2, 30) < 4 || (dx > 0 && dy < 0));
    };
    for (int y = 0; y < plot.height(); y += 3) {
        for (int x = 0; x < plot.width(); x += 3) {
            if (underRings(x, y)) {
                continue;
            }
            ASSERT_EQ(picture.pixel(plot.left() + x, plot.top() + y), Rgb(expected, x, y))
                << x << "," << y;
        }
    }

    const QRect bar = layout.ScaleBar();
    const PaletteScale scale = ScaleOf(c.palette);
    EXPECT_EQ(picture.pixel(bar.center().x(), bar.top()), PaletteColour(c.palette, scale.High));
    EXPECT_EQ(picture.pixel(bar.center().x(), bar.bottom()), PaletteColour(c.palette, scale.Low));
    EXPECT_NE(picture.pixel(bar.center().x(), bar.top() - 1), PaletteColour(c.palette, scale.High));
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, MapPictureLayout,
    testing::Values(PictureCase{"rectangular_grey", false, Palette::Grey, 540, 273},
                    PictureCase{"rectangular_colour_large", false, Palette::Viridis, 1200, 800},
                    PictureCase{"polar_grey", true, Palette::Grey, 540, 273},
                    PictureCase{"polar_colour_smallest", true, Palette::Viridis, 240, 160}),
    CaseName());

TEST(MapPicture, DifferenceShowsLostBlueGainedRedAndItsScale) {
    // Blocks of cells, whose middles the resampling leaves as they are.
    TStringList before = NewGrid();
    TStringList after = NewGrid();
    for (int q = -2; q <= 2; ++q) {
        for (int e = -2; e <= 2; ++e) {
            FoldReport(before, 225 + q, 10 + e, 40); // a new wall
            FoldReport(after, 30 + q, 60 + e, 24);   // a tree cut down
        }
    }
    const DifferenceMap map(before, after);
    const MapPicture layout(QSize(900, 400), false);
    const QImage picture = layout.Draw(map);
    const QRect plot = layout.PlotArea();
    const PlotGeometry geometry(false, plot.width(), plot.height());
    const auto cell = [&](int azimuth, int elevation) {
        const PlotPoint at = geometry.CellCentre(azimuth, elevation);
        return picture.pixel(plot.left() + static_cast<int>(at.X),
                             plot.top() + static_cast<int>(at.Y));
    };
    EXPECT_EQ(map.Largest(), 40);
    EXPECT_EQ(cell(225, 10), LostColour);
    EXPECT_EQ(cell(30, 60), DifferenceColour(24, 40));
    EXPECT_EQ(cell(120, 45), 0xFFFFFFFFu);
    const QRect bar = layout.ScaleBar();
    EXPECT_EQ(picture.pixel(bar.center().x(), bar.top()), GainedColour);
    EXPECT_EQ(picture.pixel(bar.center().x(), bar.bottom()), LostColour);
    EXPECT_EQ(picture.pixel(bar.center().x(), bar.top() + (bar.height() - 1) / 2), 0xFFFFFFFFu);
}

// The window's key and the exported scale give each value of a difference the same share of
// their bars, the largest gain as much as the largest loss.
TEST(MapPicture, DifferenceKeyOnScreenSharesItsBarAsTheExportedScale) {
    for (const int largest : {1, 3, 7}) {
        TStringList before = NewGrid();
        TStringList after = NewGrid();
        FoldReport(before, 10, 10, 40);
        FoldReport(after, 10, 10, 40 + largest);
        const DifferenceMap map(before, after);
        TExtBitmap screen = Target(540, 273);
        DrawDifferenceLegend(screen, map);
        const MapPicture layout(QSize(800, 600), false);
        const QImage picture = layout.Draw(map);
        const QRect bar = layout.ScaleBar();
        for (int value = -largest; value <= largest; ++value) {
            const QRgb colour = DifferenceColour(value, largest);
            // The key's bar: 101 pixels ending 5 before the plot's right edge, its middle row 8.
            int onScreen = 0;
            for (int x = 540 - 105; x < 540 - 4; ++x) {
                onScreen += Rgb(screen, x, 8) == colour ? 1 : 0;
            }
            int exported = 0;
            for (int y = bar.top(); y <= bar.bottom(); ++y) {
                exported += picture.pixel(bar.center().x(), y) == colour ? 1 : 0;
            }
            EXPECT_NEAR(onScreen / 101.0, exported / static_cast<double>(bar.height()), 0.02)
                << "largest " << largest << ", value " << value;
        }
    }
}

// However long or narrow the picture, the plot keeps most of its narrower side, clear of the
// scale and its labels, and both the map and a difference are drawn.
TEST(MapPicture, EverySizeInBothLayoutsLeavesThePlotRoom) {
    const TStringList grid = WalledSky();
    const DifferenceMap difference(NewGrid(), grid);
    const QSize sizes[] = {{240, 160},  {240, 8000}, {8000, 240},
                           {300, 1000}, {1000, 300}, {540, 273}};
    for (const QSize size : sizes) {
        for (const bool polar : {false, true}) {
            SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()) +
                         (polar ? " polar" : " rectangular"));
            const MapPicture layout(size, polar);
            const QRect plot = layout.PlotArea();
            const QRect bar = layout.ScaleBar();
            const int narrower = std::min(size.width(), size.height());
            EXPECT_GE(std::min(plot.width(), plot.height()), narrower * 55 / 100);
            EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(plot));
            EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(bar));
            EXPECT_GT(bar.left(), plot.right() + 4);
            EXPECT_GE(bar.height(), narrower / 2);
            PlotSettings settings;
            settings.Colours = Palette::Viridis;
            EXPECT_EQ(layout.Draw(grid, settings).size(), size);
            EXPECT_EQ(layout.Draw(difference).size(), size);
        }
    }
}

TEST(MapPicture, RefusesSizesWithoutRoomOrBeyondReason) {
    for (const QSize size : {QSize(239, 400), QSize(400, 159), QSize(8001, 400), QSize(0, 0)}) {
        EXPECT_THROW(MapPicture(size, false), Exception) << size.width() << "x" << size.height();
    }
}

TEST(PngFile, SavesThePictureOrNamesTheFile) {
    const TemporaryFolder folder;
    const QImage picture = MapPicture(QSize(300, 200), true).Draw(WalledSky(), {});
    SavePng(folder.File("map.png"), picture);
    QImage loaded;
    ASSERT_TRUE(loaded.load(QString::fromStdString(folder.File("map.png")), "PNG"));
    EXPECT_EQ(loaded.convertToFormat(QImage::Format_RGB32), picture);
    try {
        SavePng(folder.File("no/map.png"), picture);
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const EFileError& error) {
        EXPECT_THAT(error.what(), HasSubstr("\"" + folder.File("no/map.png") + "\""));
    }
}

} // namespace
