#pragma once

#include "Ipl.h"
#include "TwexHistogram.h"
#include "platform/TBitmap.h"

#include <iosfwd>
#include <string>

// A bitmap that resamples itself through the image library, trades its pixels with images of
// that library, and reads two known kinds of damaged bitmap file. Images are made for 8-bit
// pixels (one grey channel) and 24-bit pixels (blue, green, red); other formats raise
// EInvalidGraphicOperation.
class TExtBitmap : public TBitmap {
public:
    TwexHistogram Histogram{256};

    // Resamples the picture to the new size: bicubic when enlarging and by super-sampling when
    // reducing unless `method` (an Ipl interpolation code) says otherwise. A picture smaller than
    // 3 x 3, or already of that size, stays as it is. Enlarging one side while reducing the
    // other, a format other than 8 or 24-bit, or a size of nothing or beyond a bitmap raise
    // EInvalidGraphicOperation and leave the picture untouched.
    void Interpolate(int newWidth, int newHeight, int method = -1);

    // An image of this bitmap's layout with pixels not set; null for a size of nothing.
    IplImagePtr MakeBlankIPL(int width, int height) const;
    // An image of the given size holding the bitmap moved by the offsets: bitmap row i becomes
    // image row yOffset + i, and each row is moved xOffset pixels right (left when negative).
    // Pixels no bitmap pixel reaches are zero. Null for a size of nothing.
    IplImagePtr BitmapRegionToIpl(int width, int height, int xOffset, int yOffset) const;
    IplImagePtr BitmapToIpl() const;
    // Takes the image's size and pixels: one channel makes 8-bit pixels (with the palette kept),
    // three make 24-bit. 16-bit samples keep bits 7 to 14. Null does nothing.
    void IplToBitmap(const IplImage* image);

    // Gives an 8-bit bitmap the 256-level grey palette, indices kept; marks nothing when it has
    // that palette already.
    void MakeGreyPalette();

    // The standard reader, after repairing the damage it cannot cope with; see the .cpp.
    void LoadFromStream(std::istream& stream) override;
    void SaveToFile(const std::string& fileName) override;

private:
    bool LoadRepaired(std::istream& stream);
};

// Makes TExtBitmap the reader of ".bmp" pictures; called once as the program starts.
void RegisterExtBitmap();
