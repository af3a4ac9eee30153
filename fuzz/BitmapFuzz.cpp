#include "FuzzCheck.h"
#include "FuzzEntries.h"
#include "imaging/TExtBitmap.h"
#include "platform/Exception.h"

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>

namespace {

// Pictures up to this many pixels are walked, resampled and written; a file may claim far more
// than it holds, and going over those is slow without telling more.
constexpr std::int64_t MaxWorkedPixels = 1 << 20;

constexpr int MaxDoubledSide = 1024;

std::int64_t Pixels(const TBitmap& bitmap) {
    return std::int64_t{bitmap.Width()} * bitmap.Height();
}

void ReadEveryPixel(const TBitmap& bitmap) {
    std::uint32_t any = 0;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            any |= bitmap.Pixel(x, y);
        }
    }
    FuzzCheck(any <= 0xFFFFFF, "a pixel is a colour 0xRRGGBB");
}

// Down to about half, back, and up to twice the size where that stays small.
void Resample(TExtBitmap& bitmap) {
    const bool resamples = bitmap.PixelFormat() == TPixelFormat::pf8bit ||
                           bitmap.PixelFormat() == TPixelFormat::pf24bit;
    if (!resamples) {
        return;
    }
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    bitmap.Interpolate(std::max(1, width / 2), std::max(1, height / 2));
    bitmap.Interpolate(width, height);
    if (width <= MaxDoubledSide && height <= MaxDoubledSide) {
        bitmap.Interpolate(width * 2, height * 2);
    }
    const auto image = bitmap.BitmapToIpl();
    bitmap.IplToBitmap(image.get());
}

// What the bitmap writes, the standard reader reads, at the same size.
void CheckWrittenPicture(const TBitmap& bitmap) {
    std::ostringstream written;
    bitmap.SaveToStream(written);
    std::istringstream stream(written.str());
    TBitmap again;
    again.LoadFromStream(stream);
    FuzzCheck(again.Width() == bitmap.Width() && again.Height() == bitmap.Height(),
              "a written bitmap reads back at its size");
}

} // namespace

void FuzzBitmap(std::span<const std::uint8_t> data) {
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data.data()), data.size()));
    TExtBitmap bitmap;
    try {
        bitmap.LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
        return; // not a bitmap file, damaged beyond repair, or too large
    } catch (const EInvalidGraphicOperation&) {
        return; // sizes a bitmap cannot take
    }
    if (bitmap.Empty() || Pixels(bitmap) > MaxWorkedPixels) {
        return;
    }
    ReadEveryPixel(bitmap);
    Resample(bitmap);
    bitmap.MakeGreyPalette();
    ReadEveryPixel(bitmap);
    CheckWrittenPicture(bitmap);
}
