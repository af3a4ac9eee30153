#include "TExtBitmap.h"

#include "platform/Exception.h"
#include "platform/TPicture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr std::streamoff HeadersSize = 14 + 40;
constexpr std::streamoff FullColourTableEnd = HeadersSize + 256 * 4;
constexpr std::size_t PixelOffsetField = 10;
constexpr std::size_t ImageSizeField = 34;

std::uint32_t LittleEndian(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

void PutLittleEndian32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

std::string ReadAt(std::istream& stream, std::streamoff offset, std::streamoff count) {
    std::string bytes(static_cast<std::size_t>(count), '\0');
    stream.seekg(offset);
    stream.read(bytes.data(), count);
    if (stream.gcount() != count) {
        throw EInvalidGraphic("Error: the picture could not be read.");
    }
    return bytes;
}

} // namespace

void TExtBitmap::Interpolate(int newWidth, int newHeight, int method) {
    const int width = Width();
    const int height = Height();
    if ((newWidth == width && newHeight == height) || height < 3 || width < 3) {
        return;
    }
    const bool enlarging = newWidth >= width && newHeight >= height;
    const bool reducing = newWidth <= width && newHeight <= height;
    if (!enlarging && !reducing) {
        throw EInvalidGraphicOperation(
            "Error: Interpolate called with increase width and reduce height or vice-versa.");
    }
    if (PixelFormat() != TPixelFormat::pf8bit && PixelFormat() != TPixelFormat::pf24bit) {
        throw EInvalidGraphicOperation("Error: Interpolate called without 8-bit or 24-bit pixels.");
    }
    // Mend: a size of nothing, or beyond any bitmap, used to fail only once the picture was gone.
    if (newWidth <= 0 || newHeight <= 0 || std::int64_t{newWidth} * newHeight > MaxPixels) {
        throw EInvalidGraphicOperation("Error: Interpolate called with a size of " +
                                       std::to_string(newWidth) + " x " +
                                       std::to_string(newHeight) + ".");
    }

    const IplImagePtr source = BitmapToIpl();
    SetHeight(0);
    SetWidth(0);
    try {
        const IplImagePtr target = MakeBlankIPL(newWidth, newHeight);
        if (enlarging) {
            iplZoom(source.get(), target.get(), newWidth, width, newHeight, height,
                    method == -1 ? IplInterCubic : method);
        } else {
            iplDecimate(source.get(), target.get(), newWidth, width, newHeight, height,
                        method == -1 ? IplInterSuperSample : method);
        }
        IplToBitmap(target.get());
    } catch (const Exception&) {
        // An unknown method or a lack of memory gives the picture back rather than none.
        IplToBitmap(source.get());
        throw;
    }
    SetModified(true);
}

IplImagePtr TExtBitmap::MakeBlankIPL(int width, int height) const {
    if (width == 0 || height == 0) {
        return nullptr;
    }
    int channels = 0;
    const char* colourModel = nullptr;
    const char* channelSequence = nullptr;
    switch (PixelFormat()) {
    case TPixelFormat::pf8bit:
        channels = 1;
        colourModel = "GRAY";
        channelSequence = "GRAY";
        break;
    case TPixelFormat::pf24bit:
        channels = 3;
        colourModel = "RGB";
        channelSequence = "BGR";
        break;
    default:
        throw EInvalidGraphicOperation("Error: MakeBlankIPL called without 8 or 24-bit pixels.");
    }
    IplImagePtr image(iplCreateImageHeader(channels, 0, IplDepth8, colourModel, channelSequence,
                                           IplPixelOrder, IplOriginTopLeft, IplAlignQword, width,
                                           height, nullptr, nullptr, nullptr, nullptr));
    iplAllocateImage(image.get(), 0, 0);
    if (std::int64_t{width} * height > 0 && image->imageData == nullptr) {
        throw Exception("No memory can be allocated for ipl image in MakeBlankIpl");
    }
    return image;
}

IplImagePtr TExtBitmap::BitmapRegionToIpl(int width, int height, int xOffset, int yOffset) const {
    if (width == 0 || height == 0) {
        return nullptr;
    }
    IplImagePtr image = MakeBlankIPL(width, height);
    if (!image) {
        return nullptr;
    }
    // Zeroed so that pixels no bitmap row reaches read the same every time.
    std::memset(image->imageData, 0, static_cast<std::size_t>(image->imageSize));

    const std::int64_t pixelBytes = PixelFormat() == TPixelFormat::pf8bit ? 1 : 3;
    std::int64_t from = 0;
    std::int64_t to = 0;
    std::int64_t length = std::int64_t{Width()} * pixelBytes;
    if (xOffset < 0) {
        from = -std::int64_t{xOffset} * pixelBytes;
        length -= from;
    } else if (xOffset > 0) {
        to = std::int64_t{xOffset} * pixelBytes;
        length -= to;
    }
    // Mend: the run is cut to the image row too; it used to be as long as a bitmap row even in a
    // narrower image, writing past the row and the buffer.
    length = std::min(length, std::int64_t{width} * pixelBytes - to);
    if (length <= 0) {
        return image;
    }
    const int firstRow = static_cast<int>(std::max<std::int64_t>(0, -std::int64_t{yOffset}));
    const int endRow =
        static_cast<int>(std::min<std::int64_t>(Height(), std::int64_t{height} - yOffset));
    for (int row = firstRow; row < endRow; ++row) {
        std::uint8_t* const target =
            image->imageData + (std::int64_t{yOffset} + row) * image->widthStep + to;
        std::memcpy(target, ScanLine(row) + from, static_cast<std::size_t>(length));
    }
    return image;
}

IplImagePtr TExtBitmap::BitmapToIpl() const {
    return BitmapRegionToIpl(Width(), Height(), 0, 0);
}

void TExtBitmap::IplToBitmap(const IplImage* image) {
    if (image == nullptr) {
        return;
    }
    if (const std::string fault = iplLayoutFault(*image); !fault.empty()) {
        throw EInvalidGraphicOperation("Error: IplToBitmap called with " + fault + ".");
    }
    if (std::int64_t{image->width} * image->height > MaxPixels) {
        throw EInvalidGraphicOperation("Error: IplToBitmap called with an image of " +
                                       std::to_string(image->width) + " x " +
                                       std::to_string(image->height) + " pixels.");
    }
    SetHeight(0);
    if (image->nChannels == 1) {
        SetPixelFormat(TPixelFormat::pf8bit);
    } else if (image->nChannels == 3) {
        SetPixelFormat(TPixelFormat::pf24bit);
    }
    SetWidth(image->width);
    SetHeight(image->height);
    if (Empty()) {
        return;
    }
    // Mend: with a channel count that sets no format the image row can be longer than the
    // bitmap row, so a row copies no more than the bitmap holds.
    const std::int64_t rowBytes = (std::int64_t{Width()} * Image().depth() + 7) / 8;
    for (int y = 0; y < Height(); ++y) {
        std::uint8_t* const target = ScanLine(y);
        const std::uint8_t* const source = image->imageData + std::int64_t{y} * image->widthStep;
        if (image->depth == IplDepth8) {
            const std::int64_t length =
                std::min(std::int64_t{image->width} * image->nChannels, rowBytes);
            std::memcpy(target, source, static_cast<std::size_t>(length));
        } else {
            const std::int64_t samples = std::min(std::int64_t{image->width}, rowBytes);
            for (std::int64_t i = 0; i < samples; ++i) {
                std::uint16_t sample = 0;
                std::memcpy(&sample, source + 2 * i, sizeof sample);
                target[i] = static_cast<std::uint8_t>(sample >> 7 & 0xFF);
            }
        }
    }
    Changed();
}

void TExtBitmap::MakeGreyPalette() {
    if (PixelFormat() != TPixelFormat::pf8bit) {
        return;
    }
    const std::vector<TPaletteEntry> palette = Palette();
    if (palette.empty()) {
        return;
    }
    std::vector<TPaletteEntry> grey(256);
    for (std::size_t i = 0; i < grey.size(); ++i) {
        const auto level = static_cast<std::uint8_t>(i);
        grey[i] = {level, level, level, 0};
    }
    if (palette != grey) {
        SetPalette(grey);
    }
}

// Two kinds of damaged file are repaired before the standard reader sees them, and a file it
// refuses is tried once more without its last two bytes.
void TExtBitmap::LoadFromStream(std::istream& stream) {
    if (LoadRepaired(stream)) {
        return;
    }
    try {
        TBitmap::LoadFromStream(stream);
    } catch (const Exception&) {
        stream.clear();
        stream.seekg(0);
        if (!stream) {
            throw;
        }
        std::string bytes = ReadStream(stream, MaxFileBytes + 2);
        bytes.resize(bytes.size() - std::min<std::size_t>(bytes.size(), 2));
        LoadFromBytes(bytes);
    }
}

// Reads a file of one of the two damaged kinds and tells whether it was one; any other file is
// left for the standard reader at the start of the stream.
bool TExtBitmap::LoadRepaired(std::istream& stream) {
    if (stream.tellg() != 0) {
        return false;
    }
    stream.seekg(0, std::ios::end);
    const std::streamoff size = stream.tellg();
    stream.seekg(0);
    if (!stream) {
        stream.clear();
        return false;
    }
    if (size <= HeadersSize) {
        return false;
    }
    if (size > static_cast<std::streamoff>(MaxFileBytes)) {
        throw EInvalidGraphic("Error: the picture is larger than this program reads.");
    }
    std::string headers = ReadAt(stream, 0, HeadersSize);
    stream.seekg(0);
    if (LittleEndian(headers, 0, 2) != 0x4D42) {
        return false;
    }

    // A full table of 256 colours of which the headers declare only 200 or 224, with the pixels
    // placed as if the table held only those: the unused entries are cut out.
    const std::uint32_t coloursUsed = LittleEndian(headers, 46, 4);
    const std::uint32_t coloursImportant = LittleEndian(headers, 50, 4);
    if (coloursUsed == coloursImportant && (coloursUsed == 200 || coloursUsed == 224)) {
        // Mend: a file too short for the full table used to be read past its end.
        if (size < FullColourTableEnd) {
            throw EInvalidGraphic("Error: the bitmap declares " + std::to_string(coloursUsed) +
                                  " colours but is too short (" + std::to_string(size) +
                                  " bytes) for the 256-entry colour table it is read with.");
        }
        // The pixels follow the full table whatever the offset field says; in the copy they
        // follow the declared entries.
        std::string repaired = headers;
        PutLittleEndian32(repaired, PixelOffsetField,
                          static_cast<std::uint32_t>(HeadersSize + coloursUsed * 4));
        repaired += ReadAt(stream, HeadersSize, std::streamoff{coloursUsed} * 4);
        repaired += ReadAt(stream, FullColourTableEnd, size - FullColourTableEnd);
        LoadFromBytes(repaired);
        return true;
    }

    // 8-bit pictures 2080 pixels wide whose image size field is wrong: the field is set right.
    const std::uint32_t planes = LittleEndian(headers, 26, 2);
    const std::uint32_t bitsPerPixel = LittleEndian(headers, 28, 2);
    const auto width = static_cast<std::int32_t>(LittleEndian(headers, 18, 4));
    const auto height = static_cast<std::int32_t>(LittleEndian(headers, 22, 4));
    // A negative height only says the rows are stored top first.
    const std::int64_t pixels = std::int64_t{width} * std::abs(std::int64_t{height});
    if (planes == 1 && bitsPerPixel == 8 && width == 2080 &&
        LittleEndian(headers, ImageSizeField, 4) != pixels) {
        // Mend: an absurd height used to overflow the field.
        if (pixels > MaxPixels) {
            throw EInvalidGraphic("Error: a bitmap of 2080 x " + std::to_string(height) +
                                  " pixels cannot be read.");
        }
        PutLittleEndian32(headers, ImageSizeField, static_cast<std::uint32_t>(pixels));
        LoadFromBytes(headers + ReadAt(stream, HeadersSize, size - HeadersSize));
        return true;
    }
    return false;
}

// A 24-bit bitmap is written without a colour table; it never holds a palette here to drop.
void TExtBitmap::SaveToFile(const std::string& fileName) {
    TBitmap::SaveToFile(fileName);
}

void RegisterExtBitmap() {
    TPicture::UnregisterFileFormat("BMP");
    TPicture::RegisterFileFormat("BMP", "Windows bitmap",
                                 [] { return std::make_unique<TExtBitmap>(); });
}
