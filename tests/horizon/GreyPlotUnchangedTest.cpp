// The window's grey picture stays exactly what it was before the plot learnt palettes and the
// profile line: a fingerprint of every pixel, taken from the plot as it was. So does the live
// plot of the window's results while the sky classes are not chosen, observations or none.
#include "horizon/HorizonGrid.h"
#include "horizon/HorizonPlot.h"
#include "horizon/MapResults.h"
#include "platform/CommaText.h"

#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Every grey band, cells that are no number, and lines cut short.
TStringList BusyGrid() {
    TStringList grid = NewGrid();
    for (int q = 0; q < GridAzimuths; ++q) {
        std::vector<std::string> fields{std::to_string(q)};
        for (int r = 0; r < GridElevations; ++r) {
            const int value = (q * 7 + r * 3) % 45;
            fields.push_back((q + r) % 97 == 0 ? "x" : std::to_string(value < 20 ? 0 : value));
        }
        if (q % 50 == 0) {
            fields.resize(40);
        }
        grid.Put(static_cast<std::size_t>(q), JoinCommaText(fields));
    }
    return grid;
}

std::uint64_t PixelFingerprint(const TExtBitmap& bitmap) {
    std::uint64_t hash = 14695981039346656037ULL;
    const auto add = [&hash](std::uint8_t byte) { hash = (hash ^ byte) * 1099511628211ULL; };
    for (const TPaletteEntry& entry : bitmap.Palette()) {
        add(entry.peRed);
        add(entry.peGreen);
        add(entry.peBlue);
    }
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            add(bitmap.ScanLine(y)[x]);
        }
    }
    return hash;
}

struct UnchangedCase {
    const char* name;
    PlotSettings settings;
    int width, height;
    std::uint64_t fingerprint;
};

class GreyPlotUnchanged : public testing::TestWithParam<UnchangedCase> {};

TExtBitmap Target(int width, int height) {
    TExtBitmap target;
    target.SetPixelFormat(TPixelFormat::pf8bit);
    target.SetSize(width, height);
    target.MakeGreyPalette();
    target.FillRect({0, 0, target.Width(), target.Height()}, 0xFFFFFF);
    return target;
}

TEST_P(GreyPlotUnchanged, PixelsAreTheOnesAlwaysDrawn) {
    TExtBitmap target = Target(GetParam().width, GetParam().height);
    PlotHorizon(target, BusyGrid(), GetParam().settings);
    EXPECT_EQ(target.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(PixelFingerprint(target), GetParam().fingerprint)
        << std::hex << PixelFingerprint(target);
}

TEST_P(GreyPlotUnchanged, LivePlotOfTheResultsIsThePlotAsAlways) {
    const TemporaryFolder folder;
    HorizonGrids grids;
    grids.SetUp(folder.Path());
    grids.HorizonGrid = BusyGrid();
    const MapObservations::Time time{std::chrono::seconds(1'700'000'000)};
    for (int azimuth = 0; azimuth < GridAzimuths; azimuth += 3) {
        grids.Observations.Add(5, azimuth, azimuth % 90, azimuth % 50, time);
    }
    MapResults results(grids, PaletteSetting("HKEY_CURRENT_USER\\Software\\Skyfence",
                                             folder.File("registry.reg")));
    results.Settings() = GetParam().settings;
    TExtBitmap target = Target(GetParam().width, GetParam().height);
    results.DrawLive(target);
    EXPECT_EQ(PixelFingerprint(target), GetParam().fingerprint)
        << std::hex << PixelFingerprint(target);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, GreyPlotUnchanged,
    testing::Values(
        UnchangedCase{"rectangular", {1, false, false}, 540, 273, 0x1c5bab4df2aac7c5ULL},
        UnchangedCase{"polar", {1, false, true}, 540, 273, 0xe9d07b81a0eedeeeULL},
        UnchangedCase{"filled_average", {5, true, false}, 540, 273, 0xcba1460cf27e51b4ULL},
        UnchangedCase{"polar_filled_small", {10, true, true}, 200, 120, 0xf0df1242f3dc4391ULL}),
    CaseName());

} // namespace
