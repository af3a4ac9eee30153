#include "HorizonPicture.h"

#include "horizon/HorizonPlot.h"
#include "horizon/PngFile.h"
#include "imaging/TExtBitmap.h"

std::string HorizonPicturePng(const TStringList& grid, const PlotSettings& settings, int width,
                              int height) {
    // Made as the window makes its plot bitmaps, so the picture is the one the window shows.
    TExtBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf8bit);
    bitmap.SetSize(width, height);
    bitmap.MakeGreyPalette();
    bitmap.FillRect({0, 0, bitmap.Width(), bitmap.Height()}, 0xFFFFFF);
    PlotHorizon(bitmap, grid, settings);
    return PngBytes(bitmap.Image());
}
