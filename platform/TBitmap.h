#pragma once

#include <QImage>

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

struct TPaletteEntry {
    std::uint8_t peRed = 0;
    std::uint8_t peGreen = 0;
    std::uint8_t peBlue = 0;
    std::uint8_t peFlags = 0;
    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;  // exclusive
    int Bottom = 0; // exclusive
};

// An in-memory bitmap over QImage: 8-bit pixels with a palette of up to 256 entries, 24-bit pixels
// in blue-green-red byte order, and the other formats of the platform. Pixel rows are addressed
// from the top. Every change marks the bitmap modified and fires OnChange.
class TBitmap {
public:
    TBitmap();
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    virtual ~TBitmap();

    int Width() const;
    int Height() const;
    // Changing the size keeps the pixels that still fit; new pixels are undefined.
    void SetWidth(int width);
    void SetHeight(int height);
    void SetSize(int width, int height);
    bool Empty() const;

    TPixelFormat PixelFormat() const;
    // Converting keeps the picture as far as the new format can show it.
    void SetPixelFormat(TPixelFormat format);

    // Entries of an 8-bit (or 1- or 4-bit) bitmap; empty for other formats.
    std::vector<TPaletteEntry> Palette() const;
    void SetPalette(const std::vector<TPaletteEntry>& entries);

    // Bytes of row `row` (0 is the top); raises EInvalidGraphicOperation outside the bitmap.
    std::uint8_t* ScanLine(int row);
    const std::uint8_t* ScanLine(int row) const;

    // Colours are 0xRRGGBB. On an 8-bit bitmap a pixel takes the nearest palette entry, found
    // in constant time when the colour is exactly in the palette. Outside the bitmap: nothing.
    void SetPixel(int x, int y, std::uint32_t colour);
    std::uint32_t Pixel(int x, int y) const;

    // Fills the rectangle (clipped to the bitmap) with the colour, as a brush does.
    void FillRect(const TRect& rect, std::uint32_t colour);
    // Draws `source` with its top-left corner at (x, y), clipped to this bitmap. Between 8-bit
    // bitmaps with equal palettes the indices are copied; otherwise colours are matched.
    void Draw(int x, int y, const TBitmap& source);

    virtual void LoadFromStream(std::istream& stream);
    void LoadFromFile(const std::string& fileName);
    virtual void SaveToFile(const std::string& fileName);
    void SaveToStream(std::ostream& stream) const;

    bool Modified() const { return modified_; }
    void SetModified(bool modified);
    std::function<void(TBitmap& sender)> OnChange;

    const QImage& Image() const { return image_; }

protected:
    // Larger bitmaps are refused: nothing the system shows comes near it, and a damaged file
    // claiming more would otherwise cost gigabytes before its pixels turn out to be missing.
    static constexpr std::int64_t MaxPixels = 100'000'000;
    // Picture files larger than this are refused before being read whole.
    static constexpr std::size_t MaxFileBytes = std::size_t{256} * 1024 * 1024;

    void Changed();
    // Replaces the whole image, as a reader does.
    void Assign(QImage image);
    // The standard reader over the bytes of a whole bitmap file.
    void LoadFromBytes(std::string_view bytes);
    // The rest of the stream; more than maxBytes raises EInvalidGraphic.
    static std::string ReadStream(std::istream& stream, std::size_t maxBytes);

private:
    // Palette index of each colour found exactly in the palette, by open addressing over twice
    // as many slots as a palette can have entries: a hash and a probe or two per lookup.
    struct ExactColours {
        static constexpr std::size_t Slots = 512;
        std::array<std::uint32_t, Slots> keys{}; // colour | Used, 0 for a free slot
        std::array<std::uint8_t, Slots> indices{};
        static constexpr std::uint32_t Used = 0x1000000;

        void Build(const std::vector<TPaletteEntry>& palette);
        // The index of the colour, or -1 when the palette lacks it.
        int Find(std::uint32_t colour) const;
    };

    static int NearestIndex(const std::vector<TPaletteEntry>& palette, const ExactColours& exact,
                            std::uint32_t colour);
    void Adopt(QImage image, TPixelFormat format);
    void StorePixel(int x, int y, std::uint32_t colour);
    void UsePalette(std::vector<TPaletteEntry> palette);

    QImage image_;
    TPixelFormat format_ = TPixelFormat::pfDevice;
    bool modified_ = false;
    // Kept apart from the image, which is null while either is 0.
    int width_ = 0;
    int height_ = 0;
    // Kept while the bitmap is empty, so that it comes back with the next size.
    std::vector<TPaletteEntry> palette_;
    ExactColours exact_;
};
