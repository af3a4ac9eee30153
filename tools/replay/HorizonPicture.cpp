#include "HorizonPicture.h"

#include "horizon/HorizonPlot.h"
#include "imaging/TExtBitmap.h"
#include "platform/Exception.h"

#include <QBuffer>
#include <QByteArray>

std::string HorizonPicturePng(const TStringList& grid, const PlotSettings& settings) {
    // Made as the window makes its plot bitmaps, so the picture is the one the window shows.
    TExtBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf8bit);
    bitmap.SetSize(HorizonPictureWidth, HorizonPictureHeight);
    bitmap.MakeGreyPalette();
    bitmap.FillRect({0, 0, bitmap.Width(), bitmap.Height()}, 0xFFFFFF);
    PlotHorizon(bitmap, grid, settings);

    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !bitmap.Image().save(&buffer, "PNG")) {
        throw Exception("Cannot encode the picture as PNG");
    }
    return bytes.toStdString();
}
