#include "HorizonPicture.h"

#include "horizon/HorizonPlot.h"
#include "horizon/PngFile.h"
#include "imaging/TExtBitmap.h"

namespace {

// A white bitmap as the window makes its plot bitmaps, of the given pixel format.
TExtBitmap WhiteBitmap(int width, int height, TPixelFormat format) {
    TExtBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
    bitmap.MakeGreyPalette();
    bitmap.FillRect({0, 0, bitmap.Width(), bitmap.Height()}, 0xFFFFFF);
    return bitmap;
}

} // namespace

std::string HorizonPicturePng(const TStringList& grid, const PlotSettings& settings, int width,
                              int height) {
    // Made as the window makes its plot bitmaps, so the picture is the one the window shows.
    // The polar sky is a square of the height at the left; in a picture taller than wide that
    // would cut the disc, so there it is a square of the width at the top.
    const bool tallSky = settings.Polar && height > width;
    TExtBitmap plot = WhiteBitmap(width, tallSky ? width : height, TPixelFormat::pf8bit);
    PlotHorizon(plot, grid, settings);
    if (!tallSky) {
        return PngBytes(plot.Image());
    }
    TExtBitmap picture = WhiteBitmap(width, height, plot.PixelFormat());
    picture.Draw(0, 0, plot);
    return PngBytes(picture.Image());
}
