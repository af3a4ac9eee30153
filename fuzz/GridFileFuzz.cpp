#include "FuzzCheck.h"
#include "FuzzEntries.h"
#include "horizon/HorizonGrid.h"
#include "horizon/HorizonGrids.h"
#include "horizon/HorizonPlot.h"
#include "horizon/PlotSettings.h"
#include "imaging/TExtBitmap.h"
#include "platform/Exception.h"
#include "tests/TemporaryFolder.h"

#include <string>

namespace {

// The plot images of the window.
constexpr int ImageWidth = 540;
constexpr int ImageHeight = 273;

TExtBitmap PlotImage() {
    TExtBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf8bit);
    bitmap.SetSize(ImageWidth, ImageHeight);
    bitmap.MakeGreyPalette();
    return bitmap;
}

// Both layouts, with the other settings taken from the file's size so that every one is met.
void PlotBothLayouts(const TStringList& grid, std::size_t size) {
    TExtBitmap image = PlotImage();
    PlotSettings settings;
    settings.AverageWidth = AverageWidths[size % AverageWidths.size()];
    settings.Filled = size / AverageWidths.size() % 2 == 1;
    for (const bool polar : {false, true}) {
        settings.Polar = polar;
        PlotHorizon(image, grid, settings);
        FuzzCheck(image.Width() == ImageWidth && image.Height() == ImageHeight,
                  "the plot keeps its image's size");
    }
}

} // namespace

void FuzzGridFile(std::span<const std::uint8_t> data) {
    const TemporaryFolder folder;
    const std::string file = folder.File(HorizonGrids::DataFileLeafName);
    WriteFileBytes(file, std::string(reinterpret_cast<const char*>(data.data()), data.size()));

    HorizonGrids grids;
    grids.SetUp(folder.Path());
    try {
        grids.LoadGrid(file);
    } catch (const EFileError&) {
        // Shown in a message box; the loaded grid holds what was read.
    }
    FuzzCheck(grids.LoadedGrid == grids.HorizonGrid, "start-up and Load read the same grid");
    PlotBothLayouts(grids.LoadedGrid, data.size());

    // A report on the live grid, then the save at exit: the file reads back as the grid.
    try {
        FoldReport(grids.HorizonGrid, 83, 40, 46);
    } catch (const EListError&) {
        // No such cell in a short grid or line: the handler drops the report.
    } catch (const EConvertError&) {
        // No number in the cell: the same.
    }
    grids.SaveHorizonGrid();
    TStringList saved;
    saved.LoadFromFile(file);
    FuzzCheck(saved == grids.HorizonGrid, "a saved grid reads back unchanged");
}
