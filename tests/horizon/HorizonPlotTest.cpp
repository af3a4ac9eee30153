#include "horizon/HorizonPlot.h"
#include "horizon/HorizonGrid.h"
#include "horizon/PolarToXY.h"
#include "horizon/SatellitesInViewSentence.h"
#include "platform/CommaText.h"
#include "platform/TStringList.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

namespace {

TExtBitmap Target(int width, int height) {
    TExtBitmap target;
    target.SetPixelFormat(TPixelFormat::pf8bit);
    target.SetSize(width, height);
    target.MakeGreyPalette();
    target.FillRect({0, 0, width, height}, 0x404040);
    return target;
}

int Grey(const TExtBitmap& bitmap, int x, int y) {
    return bitmap.ScanLine(y)[x];
}

// A 360 by 91 target shows the rectangular raster without resampling: cell (q, r) is pixel
// (q, 90 - r). A 181 by 181 target does the same for the polar raster.
TExtBitmap Plot(const TStringList& grid, const PlotSettings& settings) {
    TExtBitmap target = settings.Polar ? Target(181, 181) : Target(360, 91);
    PlotHorizon(target, grid, settings);
    return target;
}

void SetCell(TStringList& grid, int azimuth, int elevation, const std::string& value) {
    std::vector<std::string> fields = SplitCommaText(grid.Get(static_cast<std::size_t>(azimuth)));
    fields[static_cast<std::size_t>(elevation) + 1] = value;
    grid.Put(static_cast<std::size_t>(azimuth), JoinCommaText(fields));
}

struct GreyCase {
    const char* name;
    std::string value;
    int grey;
};

class GreyTable : public testing::TestWithParam<GreyCase> {};

TEST_P(GreyTable, CellValueToGrey) {
    TStringList grid = NewGrid();
    SetCell(grid, 100, 30, GetParam().value);
    const TExtBitmap target = Plot(grid, {});
    EXPECT_EQ(Grey(target, 100, 60), GetParam().grey);
    EXPECT_EQ(Grey(target, 101, 60), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Bands, GreyTable,
    testing::Values(GreyCase{"Zero", "0", 0}, GreyCase{"Negative", "-5", 0},
                    GreyCase{"One", "1", 32}, GreyCase{"TwentyNine", "29", 32},
                    GreyCase{"Thirty", "30", 100}, GreyCase{"ThirtyOne", "31", 100},
                    GreyCase{"ThirtyTwo", "32", 150}, GreyCase{"ThirtyThree", "33", 150},
                    GreyCase{"ThirtyFour", "34", 200}, GreyCase{"ThirtyFive", "35", 200},
                    GreyCase{"ThirtySix", "36", 255}, GreyCase{"Hundred", "100", 255},
                    GreyCase{"HundredAndOne", "101", 0},
                    GreyCase{"NotANumberKeepsTheWhiteBackground", "x", 255},
                    GreyCase{"EmptyKeepsTheWhiteBackground", "", 255}),
    CaseName());

TEST(PlotHorizon, FreshGridIsAllBlackRectangular) {
    TExtBitmap target = Target(540, 273);
    PlotHorizon(target, NewGrid(), {});
    for (int y = 0; y < target.Height(); ++y) {
        for (int x = 0; x < target.Width(); ++x) {
            ASSERT_EQ(Grey(target, x, y), 0) << x << "," << y;
        }
    }
}

TEST(PlotHorizon, FreshGridPolarIsABlackDiscWithAGreyCircleAndWhiteBeside) {
    const TExtBitmap raster = Plot(NewGrid(), {1, false, true});
    EXPECT_EQ(Grey(raster, 90, 90), 0);
    EXPECT_EQ(Grey(raster, 90, 0), 120);   // north
    EXPECT_EQ(Grey(raster, 180, 90), 120); // east
    EXPECT_EQ(Grey(raster, 90, 180), 120); // south
    EXPECT_EQ(Grey(raster, 0, 90), 120);   // west
    EXPECT_EQ(Grey(raster, 0, 0), 0);      // outside the circle: background

    TExtBitmap target = Target(540, 273);
    PlotHorizon(target, NewGrid(), {1, false, true});
    EXPECT_EQ(Grey(target, 136, 136), 0);
    EXPECT_GT(Grey(target, 136, 1), 60);
    for (int x = 273; x < 540; x += 7) {
        EXPECT_EQ(Grey(target, x, 100), 255) << x;
    }
}

TEST(PlotHorizon, PolarCellSpreadsOverItsAzimuthUntilTheNextCellDrawsOverIt) {
    // East at radius 89: +-0.4 degrees of azimuth are +-0.62 pixels, so the cell covers three
    // rows of pixels; azimuth 91, drawn later, takes back the lowest of them.
    TStringList grid = NewGrid();
    SetCell(grid, 90, 1, "31");
    const TExtBitmap raster = Plot(grid, {1, false, true});
    EXPECT_EQ(Grey(raster, 179, 89), 100);
    EXPECT_EQ(Grey(raster, 179, 90), 100);
    EXPECT_EQ(Grey(raster, 179, 91), 0);
    EXPECT_EQ(Grey(raster, 179, 88), 0);
}

TEST(PlotHorizon, PolarCellDrawnLastWins) {
    // Every cell at the zenith lands on the centre pixel; azimuth 359 is drawn last.
    for (const auto& [first, last, grey] : {std::tuple{"36", "31", 100}, {"31", "36", 255}}) {
        TStringList grid = NewGrid();
        SetCell(grid, 0, 90, first);
        SetCell(grid, 359, 90, last);
        EXPECT_EQ(Grey(Plot(grid, {1, false, true}), 90, 90), grey);
    }
}

TEST(PlotHorizon, FilledShowsTheStrongestAtOrBelow) {
    TStringList grid = NewGrid();
    SetCell(grid, 200, 10, "40");
    SetCell(grid, 201, 20, "x");
    const TExtBitmap filled = Plot(grid, {1, true, false});
    for (int r = 0; r <= 90; ++r) {
        EXPECT_EQ(Grey(filled, 200, 90 - r), r < 10 ? 0 : 255) << r;
    }
    EXPECT_EQ(Grey(filled, 201, 90 - 20), 255); // unconvertible: background
    const TExtBitmap plain = Plot(grid, {});
    EXPECT_EQ(Grey(plain, 200, 90 - 11), 0);
}

TEST(PlotHorizon, AverageMergesBlocksByTheirMaximum) {
    TStringList grid = NewGrid();
    SetCell(grid, 6, 30, "31");
    SetCell(grid, 8, 30, "36");
    SetCell(grid, 7, 50, "33");
    SetCell(grid, 9, 60, "x");
    const TExtBitmap five = Plot(grid, {5, false, false});
    for (int q = 5; q < 10; ++q) {
        EXPECT_EQ(Grey(five, q, 60), 255) << q;
        EXPECT_EQ(Grey(five, q, 40), 150) << q;
        EXPECT_EQ(Grey(five, q, 30), 0) << q; // merged cells are numbers again
    }
    EXPECT_EQ(Grey(five, 4, 60), 0);
    EXPECT_EQ(Grey(five, 10, 60), 0);

    const TExtBitmap ten = Plot(grid, {10, false, false});
    for (int q = 0; q < 10; ++q) {
        EXPECT_EQ(Grey(ten, q, 60), 255) << q;
    }
    EXPECT_EQ(Grey(ten, 10, 60), 0);
}

TEST(PlotHorizon, GridOfWrongLengthLeavesTheTarget) {
    for (const std::size_t lines : {0u, 359u, 361u}) {
        TStringList grid = NewGrid();
        while (grid.Count() > lines) {
            grid =
                TStringList(std::vector<std::string>(grid.Lines().begin(), grid.Lines().end() - 1));
        }
        while (grid.Count() < lines) {
            grid.Add(NewGridLine(static_cast<int>(grid.Count())));
        }
        TExtBitmap target = Target(540, 273);
        target.SetModified(false);
        PlotHorizon(target, grid, {});
        EXPECT_EQ(Grey(target, 10, 10), 0x40) << lines;
        EXPECT_FALSE(target.Modified()) << lines;
    }
}

TEST(PlotHorizon, ShortRowsAreSkippedCellByCell) {
    TStringList grid = NewGrid();
    grid.Put(5, "5,40,40");
    const TExtBitmap raster = Plot(grid, {});
    EXPECT_EQ(Grey(raster, 5, 90), 255);
    EXPECT_EQ(Grey(raster, 5, 89), 255);
    EXPECT_EQ(Grey(raster, 5, 88), 255); // missing: white background
    EXPECT_EQ(Grey(raster, 5, 0), 255);
}

TStringList GridFromLog(const std::string& name) {
    std::ifstream log(std::string(SKYFENCE_NMEA_DIR) + "/" + name, std::ios::binary);
    std::stringstream content;
    content << log.rdbuf();
    const std::string text = content.str();
    class NoTable : public SatelliteTable {
        void ShowSatellitesInView(std::int32_t) override {}
        void ShowRow(std::int64_t, const SatelliteReport&) override {}
        void ClearRow(std::int64_t) override {}
    } table;
    TStringList grid = NewGrid();
    for (std::size_t at = text.find("$GPGSV,"); at != std::string::npos;
         at = text.find("$GPGSV,", at + 1)) {
        const std::size_t star = text.find('*', at);
        HandleSatellitesInView(text.substr(at + 7, star - at - 7), table, grid);
    }
    return grid;
}

// A real grid from a receiver log, drawn in both layouts and written out for a person to see.
TEST(PlotHorizon, RealGridPicture) {
    const TStringList grid = GridFromLog("mt3339.log");

    const TExtBitmap rectangular = Plot(grid, {});
    int lit = 0;
    for (int q = 0; q < 360; ++q) {
        const std::vector<std::string> cells =
            SplitCommaText(grid.Get(static_cast<std::size_t>(q)));
        for (int r = 0; r <= 90; ++r) {
            const int grey = GreyLevel(std::stoi(cells[static_cast<std::size_t>(r) + 1]));
            ASSERT_EQ(Grey(rectangular, q, 90 - r), grey) << q << "," << r;
            lit += grey > 0 ? 1 : 0;
        }
    }
    EXPECT_GT(lit, 10);

    // With wide, filled blocks a polar point inside a block shows what the rectangular plot
    // shows for the same cell; near the zenith the blocks are too narrow to tell apart.
    const TExtBitmap blocks = Plot(grid, {10, true, false});
    const TExtBitmap polarBlocks = Plot(grid, {10, true, true});
    int compared = 0;
    for (int q = 5; q < 360; q += 10) {
        for (int r = 1; r <= 60; ++r) {
            const int grey = Grey(blocks, q, 90 - r);
            if (Grey(blocks, q, 91 - r) != grey || Grey(blocks, q, 89 - r) != grey) {
                continue;
            }
            int x = 0;
            int y = 0;
            PolarToXY(x, y, static_cast<float>(q), static_cast<float>(r));
            EXPECT_EQ(Grey(polarBlocks, x, y), grey) << q << "," << r;
            compared += grey > 0 ? 1 : 0;
        }
    }
    EXPECT_GT(compared, 100);

    const std::filesystem::path output = std::filesystem::path(SKYFENCE_TEST_OUTPUT_DIR);
    std::filesystem::create_directories(output);
    for (const bool polar : {false, true}) {
        TExtBitmap target = Target(540, 273);
        PlotHorizon(target, grid, {1, false, polar});
        const std::string name = polar ? "mt3339-polar.png" : "mt3339-rectangular.png";
        EXPECT_TRUE(target.Image().save(QString::fromStdString((output / name).string())));
        EXPECT_EQ(Grey(target, 539, 0), polar ? 255 : 0) << name;
    }
}

} // namespace
