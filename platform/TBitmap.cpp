#include "TBitmap.h"

#include "AtomicFileWriter.h"
#include "Exception.h"
#include "RunLengthBitmap.h"
#include "SystemError.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <istream>
#include <limits>
#include <optional>
#include <ostream>
#include <sstream>

namespace {

bool IsIndexed(TPixelFormat format) {
    return format == TPixelFormat::pf1bit || format == TPixelFormat::pf4bit ||
           format == TPixelFormat::pf8bit;
}

std::size_t MaxPaletteEntries(TPixelFormat format) {
    switch (format) {
    case TPixelFormat::pf1bit:
        return 2;
    case TPixelFormat::pf4bit:
        return 16;
    case TPixelFormat::pf8bit:
        return 256;
    default:
        return 0;
    }
}

QImage::Format QtFormat(TPixelFormat format) {
    switch (format) {
    case TPixelFormat::pf1bit:
        return QImage::Format_Mono;
    // Qt has no 4-bit format: 4-bit pixels take a byte each, with at most 16 colours.
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit:
        return QImage::Format_Indexed8;
    case TPixelFormat::pf15bit:
        return QImage::Format_RGB555;
    case TPixelFormat::pf16bit:
        return QImage::Format_RGB16;
    case TPixelFormat::pf24bit:
        return QImage::Format_BGR888;
    case TPixelFormat::pfDevice:
    case TPixelFormat::pf32bit:
        break;
    }
    return QImage::Format_RGB32;
}

bool IsIndexedQt(QImage::Format format) {
    return format == QImage::Format_Mono || format == QImage::Format_MonoLSB ||
           format == QImage::Format_Indexed8;
}

TPixelFormat NaturalFormat(QImage::Format format) {
    switch (format) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return TPixelFormat::pf1bit;
    case QImage::Format_Indexed8:
        return TPixelFormat::pf8bit;
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
        return TPixelFormat::pf24bit;
    case QImage::Format_RGB555:
        return TPixelFormat::pf15bit;
    case QImage::Format_RGB16:
        return TPixelFormat::pf16bit;
    default:
        return TPixelFormat::pf32bit;
    }
}

// A palette nobody chose shows indices as grey levels, the way the system reads 8-bit pictures.
std::vector<TPaletteEntry> GreyRamp(std::size_t count) {
    std::vector<TPaletteEntry> ramp(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto level = static_cast<std::uint8_t>(i * 255 / (count - 1));
        ramp[i] = {level, level, level, 0};
    }
    return ramp;
}

QList<QRgb> ColourTable(const std::vector<TPaletteEntry>& palette) {
    QList<QRgb> table;
    table.reserve(static_cast<qsizetype>(palette.size()));
    for (const TPaletteEntry& entry : palette) {
        table.push_back(qRgb(entry.peRed, entry.peGreen, entry.peBlue));
    }
    return table;
}

std::vector<TPaletteEntry> PaletteOf(const QList<QRgb>& table, std::size_t maxEntries) {
    std::vector<TPaletteEntry> palette;
    for (const QRgb rgb : table) {
        if (palette.size() == maxEntries) {
            break;
        }
        palette.push_back({static_cast<std::uint8_t>(qRed(rgb)),
                           static_cast<std::uint8_t>(qGreen(rgb)),
                           static_cast<std::uint8_t>(qBlue(rgb)), 0});
    }
    return palette;
}

std::uint32_t ColourOf(const TPaletteEntry& entry) {
    return std::uint32_t{entry.peRed} << 16 | std::uint32_t{entry.peGreen} << 8 | entry.peBlue;
}

std::string SizeText(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

void CheckSize(std::int64_t width, std::int64_t height, std::int64_t maxPixels) {
    if (width < 0 || height < 0 || width > maxPixels || height > maxPixels ||
        width * height > maxPixels) {
        throw EInvalidGraphicOperation("Error: a bitmap of " + SizeText(width, height) +
                                       " pixels is out of range.");
    }
}

QImage NewImage(int width, int height, QImage::Format format) {
    QImage image(width, height, format);
    if (image.isNull()) {
        throw EInvalidGraphicOperation("Error: not enough memory for a bitmap of " +
                                       SizeText(width, height) + " pixels.");
    }
    return image;
}

std::uint32_t LittleEndian(std::string_view bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

// Values of the compression field.
constexpr std::uint32_t Uncompressed = 0;
constexpr std::uint32_t RunLength8 = 1;
constexpr std::uint32_t RunLength4 = 2;
constexpr std::uint32_t BitFields = 3;
constexpr std::uint32_t AlphaBitFields = 6;

// Qt takes the pixels from the offset the file header gives, but never from inside the headers,
// bit masks and colour table it has read before them.
std::int64_t PixelStart(std::string_view bytes, std::uint32_t headerSize,
                        std::uint32_t bitsPerPixel, std::uint32_t compression) {
    constexpr std::uint32_t coreHeaderSize = 12;
    constexpr std::uint32_t infoHeaderSize = 40;
    std::int64_t masks = 0;
    if (headerSize == infoHeaderSize && compression == BitFields) {
        masks = 3 * 4;
    } else if (headerSize == infoHeaderSize && compression == AlphaBitFields) {
        masks = 4 * 4;
    }
    // Qt refuses a table longer than the pixels can index; that file is left to it.
    std::int64_t table = 0;
    if (bitsPerPixel <= 8) {
        const std::int64_t most = std::int64_t{1} << bitsPerPixel;
        const std::int64_t used = headerSize >= infoHeaderSize ? LittleEndian(bytes, 46, 4) : 0;
        const std::int64_t entries = used == 0 ? most : used <= most ? used : 0;
        table = entries * (headerSize == coreHeaderSize ? 3 : 4);
    }
    return std::max<std::int64_t>(LittleEndian(bytes, 10, 4),
                                  std::int64_t{14} + headerSize + masks + table);
}

void RefuseCutShort(std::string_view bytes, std::int64_t needed) {
    if (needed > static_cast<std::int64_t>(bytes.size())) {
        throw EInvalidGraphic("Error: the bitmap's pixels are cut short: the file holds " +
                              std::to_string(bytes.size()) + " bytes where " +
                              std::to_string(needed) + " are needed.");
    }
}

// What the headers of a bitmap file tell before Qt decodes it: the pixel format it was stored
// in (Qt reads most of them as 32-bit), whether its claimed sizes are believable, and where the
// pixels of a run-length encoded file are.
struct StoredBitmap {
    std::optional<TPixelFormat> format;
    std::optional<RunLengthLayout> runLength;
};

StoredBitmap InspectBitmapFile(std::string_view bytes, std::int64_t maxPixels) {
    if (bytes.size() < 18 || bytes[0] != 'B' || bytes[1] != 'M') {
        return {}; // Qt refuses it with its own reason
    }
    const std::uint32_t headerSize = LittleEndian(bytes, 14, 4);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t compression = 0;
    if (headerSize == 12 && bytes.size() >= 26) {
        width = LittleEndian(bytes, 18, 2);
        height = LittleEndian(bytes, 20, 2);
        bitsPerPixel = LittleEndian(bytes, 24, 2);
    } else if (headerSize >= 40 && bytes.size() >= 54) {
        width = static_cast<std::int32_t>(LittleEndian(bytes, 18, 4));
        height = static_cast<std::int32_t>(LittleEndian(bytes, 22, 4));
        bitsPerPixel = LittleEndian(bytes, 28, 2);
        compression = LittleEndian(bytes, 30, 4);
    } else {
        return {};
    }
    const std::int64_t rows = std::abs(height); // negative: stored top row first
    if (std::abs(width) > maxPixels || rows > maxPixels || std::abs(width) * rows > maxPixels) {
        throw EInvalidGraphic("Error: a bitmap of " + SizeText(width, height) +
                              " pixels is larger than this program reads.");
    }

    const bool uncompressed =
        compression == Uncompressed || compression == BitFields || compression == AlphaBitFields;
    constexpr std::array<std::uint32_t, 6> plainDepths{1, 4, 8, 16, 24, 32};
    const bool plainDepth =
        std::find(plainDepths.begin(), plainDepths.end(), bitsPerPixel) != plainDepths.end();
    const std::int64_t pixelStart = PixelStart(bytes, headerSize, bitsPerPixel, compression);
    // Qt takes a file cut short, one whose pixels start past its end, or one whose headers run
    // into the pixels the offset points to, and leaves the pixels it does not find undefined;
    // such a file is damaged and refused here.
    StoredBitmap stored;
    if (uncompressed && plainDepth && width > 0) {
        const std::int64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
        RefuseCutShort(bytes, pixelStart + rowBytes * rows);
    }
    // Qt leaves the pixels a run-length encoding skips undefined too; they are expanded here.
    const bool runLengthEncoded = (compression == RunLength8 && bitsPerPixel == 8) ||
                                  (compression == RunLength4 && bitsPerPixel == 4);
    if (runLengthEncoded && headerSize >= 40 && width > 0 && height != 0) {
        RefuseCutShort(bytes, pixelStart);
        stored.runLength = RunLengthLayout{static_cast<int>(bitsPerPixel), width, height,
                                           static_cast<std::size_t>(pixelStart)};
    }

    switch (bitsPerPixel) {
    case 1:
        stored.format = TPixelFormat::pf1bit;
        break;
    case 4:
        stored.format = TPixelFormat::pf4bit;
        break;
    case 8:
        stored.format = TPixelFormat::pf8bit;
        break;
    case 16: {
        // Five bits a channel unless the masks say green has six.
        constexpr std::uint32_t sixBitGreen = 0x07E0;
        const bool sixBits = compression == BitFields && headerSize >= 40 && bytes.size() >= 62 &&
                             LittleEndian(bytes, 58, 4) == sixBitGreen;
        stored.format = sixBits ? TPixelFormat::pf16bit : TPixelFormat::pf15bit;
        break;
    }
    case 24:
        stored.format = TPixelFormat::pf24bit;
        break;
    case 32:
        stored.format = TPixelFormat::pf32bit;
        break;
    default:
        break;
    }
    return stored;
}

} // namespace

std::string TBitmap::ReadStream(std::istream& stream, std::size_t maxBytes) {
    std::string bytes;
    std::array<char, 64 * 1024> chunk{};
    while (stream) {
        stream.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<std::size_t>(stream.gcount());
        if (bytes.size() + got > maxBytes) {
            throw EInvalidGraphic("Error: the picture is larger than " +
                                  std::to_string(maxBytes / (1024 * 1024)) +
                                  " MiB, more than this program reads.");
        }
        bytes.append(chunk.data(), got);
    }
    if (stream.bad()) {
        throw EInvalidGraphic("Error: the picture could not be read.");
    }
    return bytes;
}

void TBitmap::ExactColours::Build(const std::vector<TPaletteEntry>& palette) {
    keys.fill(0);
    const std::size_t count = std::min<std::size_t>(palette.size(), 256);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t key = ColourOf(palette[i]) | Used;
        std::size_t slot = (ColourOf(palette[i]) * 2654435761u) >> 23;
        // A colour listed twice keeps its first index, as the nearest search would find it.
        while (keys[slot] != 0 && keys[slot] != key) {
            slot = (slot + 1) % Slots;
        }
        if (keys[slot] == 0) {
            keys[slot] = key;
            indices[slot] = static_cast<std::uint8_t>(i);
        }
    }
}

int TBitmap::ExactColours::Find(std::uint32_t colour) const {
    colour &= 0xFFFFFF;
    const std::uint32_t key = colour | Used;
    for (std::size_t slot = (colour * 2654435761u) >> 23; keys[slot] != 0;
         slot = (slot + 1) % Slots) {
        if (keys[slot] == key) {
            return indices[slot];
        }
    }
    return -1;
}

int TBitmap::NearestIndex(const std::vector<TPaletteEntry>& palette, const ExactColours& exact,
                          std::uint32_t colour) {
    if (const int index = exact.Find(colour); index >= 0) {
        return index;
    }
    const int red = static_cast<int>(colour >> 16 & 0xFF);
    const int green = static_cast<int>(colour >> 8 & 0xFF);
    const int blue = static_cast<int>(colour & 0xFF);
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int dr = red - palette[i].peRed;
        const int dg = green - palette[i].peGreen;
        const int db = blue - palette[i].peBlue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

TBitmap::TBitmap() = default;

// A copy takes the picture, not the handler: OnChange belongs to whoever watches the original.
TBitmap::TBitmap(const TBitmap& other)
    : image_(other.image_), format_(other.format_), width_(other.width_), height_(other.height_),
      palette_(other.palette_), exact_(other.exact_) {}

TBitmap& TBitmap::operator=(const TBitmap& other) {
    if (this != &other) {
        image_ = other.image_;
        format_ = other.format_;
        width_ = other.width_;
        height_ = other.height_;
        palette_ = other.palette_;
        exact_ = other.exact_;
        Changed();
    }
    return *this;
}

TBitmap::~TBitmap() = default;

int TBitmap::Width() const {
    return width_;
}

int TBitmap::Height() const {
    return height_;
}

void TBitmap::SetWidth(int width) {
    SetSize(width, height_);
}

void TBitmap::SetHeight(int height) {
    SetSize(width_, height);
}

void TBitmap::SetSize(int width, int height) {
    CheckSize(width, height, MaxPixels);
    if (width == width_ && height == height_) {
        return;
    }
    QImage resized;
    if (width > 0 && height > 0) {
        resized = NewImage(width, height, QtFormat(format_));
        resized.fill(0);
        if (IsIndexed(format_)) {
            resized.setColorTable(ColourTable(palette_));
        }
        if (!image_.isNull()) {
            const int rows = std::min(height, height_);
            const auto rowBytes =
                (static_cast<std::size_t>(std::min(width, width_)) * image_.depth() + 7) / 8;
            for (int y = 0; y < rows; ++y) {
                std::memcpy(resized.scanLine(y), image_.constScanLine(y), rowBytes);
            }
        }
    }
    image_ = std::move(resized);
    width_ = width;
    height_ = height;
    Changed();
}

bool TBitmap::Empty() const {
    return image_.isNull();
}

TPixelFormat TBitmap::PixelFormat() const {
    return format_;
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == format_) {
        return;
    }
    std::vector<TPaletteEntry> palette;
    if (IsIndexed(format)) {
        const std::size_t maxEntries = MaxPaletteEntries(format);
        palette =
            !palette_.empty() && palette_.size() <= maxEntries ? palette_ : GreyRamp(maxEntries);
    }
    QImage converted;
    if (!image_.isNull() && IsIndexed(format)) {
        converted = NewImage(width_, height_, QtFormat(format));
        converted.setColorTable(ColourTable(palette));
        ExactColours exact;
        exact.Build(palette);
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                const int index = NearestIndex(palette, exact, Pixel(x, y));
                if (format == TPixelFormat::pf1bit) {
                    converted.setPixel(x, y, static_cast<uint>(index));
                } else {
                    converted.scanLine(y)[x] = static_cast<uchar>(index);
                }
            }
        }
    } else if (!image_.isNull()) {
        converted = image_.convertToFormat(QtFormat(format));
        if (converted.isNull()) {
            throw EInvalidGraphicOperation("Error: not enough memory to convert a bitmap of " +
                                           SizeText(width_, height_) + " pixels.");
        }
    }
    image_ = std::move(converted);
    format_ = format;
    palette_ = std::move(palette);
    exact_.Build(palette_);
    Changed();
}

std::vector<TPaletteEntry> TBitmap::Palette() const {
    return IsIndexed(format_) ? palette_ : std::vector<TPaletteEntry>{};
}

void TBitmap::SetPalette(const std::vector<TPaletteEntry>& entries) {
    if (!IsIndexed(format_)) {
        if (entries.empty()) {
            return; // there is no palette to drop
        }
        throw EInvalidGraphicOperation("Error: only a bitmap of 1, 4 or 8-bit pixels has a "
                                       "palette.");
    }
    if (entries.empty() || entries.size() > MaxPaletteEntries(format_)) {
        throw EInvalidGraphicOperation("Error: a palette of " + std::to_string(entries.size()) +
                                       " entries does not suit this bitmap, which takes 1 to " +
                                       std::to_string(MaxPaletteEntries(format_)) + ".");
    }
    UsePalette(entries);
    Changed();
}

void TBitmap::UsePalette(std::vector<TPaletteEntry> palette) {
    palette_ = std::move(palette);
    exact_.Build(palette_);
    if (!image_.isNull() && IsIndexed(format_)) {
        image_.setColorTable(ColourTable(palette_));
    }
}

std::uint8_t* TBitmap::ScanLine(int row) {
    if (row < 0 || row >= height_ || image_.isNull()) {
        throw EInvalidGraphicOperation("Error: scan line " + std::to_string(row) +
                                       " is outside the bitmap.");
    }
    return image_.scanLine(row);
}

const std::uint8_t* TBitmap::ScanLine(int row) const {
    if (row < 0 || row >= height_ || image_.isNull()) {
        throw EInvalidGraphicOperation("Error: scan line " + std::to_string(row) +
                                       " is outside the bitmap.");
    }
    return image_.constScanLine(row);
}

void TBitmap::SetPixel(int x, int y, std::uint32_t colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || image_.isNull()) {
        return;
    }
    StorePixel(x, y, colour);
    Changed();
}

// The hot path of a plot: no allocation, and on an 8-bit bitmap no palette scan when the colour
// is in the palette.
void TBitmap::StorePixel(int x, int y, std::uint32_t colour) {
    colour &= 0xFFFFFF;
    switch (format_) {
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit:
        image_.scanLine(y)[x] = static_cast<uchar>(NearestIndex(palette_, exact_, colour));
        break;
    case TPixelFormat::pf1bit:
        image_.setPixel(x, y, static_cast<uint>(NearestIndex(palette_, exact_, colour)));
        break;
    case TPixelFormat::pf24bit: {
        uchar* const pixel = image_.scanLine(y) + 3 * static_cast<std::ptrdiff_t>(x);
        pixel[0] = static_cast<uchar>(colour);
        pixel[1] = static_cast<uchar>(colour >> 8);
        pixel[2] = static_cast<uchar>(colour >> 16);
        break;
    }
    case TPixelFormat::pfDevice:
    case TPixelFormat::pf32bit: {
        const QRgb value = 0xFF000000u | colour;
        std::memcpy(image_.scanLine(y) + 4 * static_cast<std::ptrdiff_t>(x), &value, sizeof value);
        break;
    }
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit:
        image_.setPixel(x, y, 0xFF000000u | colour);
        break;
    }
}

// Outside the bitmap, and for an index past the end of the palette, the colour is black.
std::uint32_t TBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || image_.isNull()) {
        return 0;
    }
    const uchar* const line = image_.constScanLine(y);
    std::size_t index = 0;
    switch (format_) {
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit:
        index = line[x];
        break;
    case TPixelFormat::pf1bit:
        index = line[x >> 3] >> (7 - (x & 7)) & 1;
        break;
    case TPixelFormat::pf24bit: {
        const uchar* const pixel = line + 3 * static_cast<std::ptrdiff_t>(x);
        return std::uint32_t{pixel[2]} << 16 | std::uint32_t{pixel[1]} << 8 | pixel[0];
    }
    case TPixelFormat::pfDevice:
    case TPixelFormat::pf32bit: {
        QRgb value = 0;
        std::memcpy(&value, line + 4 * static_cast<std::ptrdiff_t>(x), sizeof value);
        return value & 0xFFFFFF;
    }
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit:
        return image_.pixel(x, y) & 0xFFFFFF;
    }
    return index < palette_.size() ? ColourOf(palette_[index]) : 0;
}

void TBitmap::FillRect(const TRect& rect, std::uint32_t colour) {
    const int left = std::max(rect.Left, 0);
    const int top = std::max(rect.Top, 0);
    const int right = std::min(rect.Right, width_);
    const int bottom = std::min(rect.Bottom, height_);
    if (image_.isNull() || left >= right || top >= bottom) {
        return;
    }
    if (format_ == TPixelFormat::pf8bit || format_ == TPixelFormat::pf4bit) {
        const int index = NearestIndex(palette_, exact_, colour & 0xFFFFFF);
        for (int y = top; y < bottom; ++y) {
            std::memset(image_.scanLine(y) + left, index, static_cast<std::size_t>(right - left));
        }
    } else {
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                StorePixel(x, y, colour);
            }
        }
    }
    Changed();
}

void TBitmap::Draw(int x, int y, const TBitmap& source) {
    if (&source == this) {
        const TBitmap copy(source);
        Draw(x, y, copy);
        return;
    }
    if (image_.isNull() || source.image_.isNull()) {
        return;
    }
    // 64-bit: an offset near the int limits must clip, not wrap.
    const auto left = static_cast<int>(std::max<std::int64_t>(x, 0));
    const auto top = static_cast<int>(std::max<std::int64_t>(y, 0));
    const auto right =
        static_cast<int>(std::min<std::int64_t>(std::int64_t{x} + source.width_, width_));
    const auto bottom =
        static_cast<int>(std::min<std::int64_t>(std::int64_t{y} + source.height_, height_));
    if (left >= right || top >= bottom) {
        return;
    }
    if (format_ == TPixelFormat::pf8bit && source.format_ == TPixelFormat::pf8bit &&
        palette_ == source.palette_) {
        for (int row = top; row < bottom; ++row) {
            std::memcpy(image_.scanLine(row) + left,
                        source.image_.constScanLine(row - y) + (left - x),
                        static_cast<std::size_t>(right - left));
        }
    } else {
        for (int row = top; row < bottom; ++row) {
            for (int column = left; column < right; ++column) {
                StorePixel(column, row, source.Pixel(column - x, row - y));
            }
        }
    }
    Changed();
}

void TBitmap::LoadFromStream(std::istream& stream) {
    LoadFromBytes(ReadStream(stream, MaxFileBytes));
}

void TBitmap::LoadFromBytes(std::string_view bytes) {
    if (bytes.size() > MaxFileBytes) {
        throw EInvalidGraphic("Error: the picture is larger than this program reads.");
    }
    const StoredBitmap stored = InspectBitmapFile(bytes, MaxPixels);
    std::string expanded;
    if (stored.runLength) {
        expanded = ExpandRunLengthBitmap(bytes, *stored.runLength);
        bytes = expanded;
    }
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                            static_cast<int>(bytes.size()), "BMP")) {
        throw EInvalidGraphic("Error: not a bitmap file, or a kind of bitmap that cannot be "
                              "read.");
    }
    const TPixelFormat natural = NaturalFormat(image.format());
    Adopt(std::move(image), stored.format && IsIndexed(*stored.format) == IsIndexed(natural)
                                ? *stored.format
                                : natural);
}

void TBitmap::LoadFromFile(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file) {
        throw EFileError(FileErrorText("read file", fileName, errno != 0 ? errno : ENOENT));
    }
    LoadFromStream(file);
}

void TBitmap::SaveToFile(const std::string& fileName) {
    std::ostringstream bytes;
    SaveToStream(bytes);
    AtomicFileWriter::WriteFile(fileName, bytes.view());
}

// Qt writes indexed pixels with the fewest bits their palette needs (a 16-colour bitmap as
// 4-bit) and every other format as 24-bit.
void TBitmap::SaveToStream(std::ostream& stream) const {
    if (image_.isNull()) {
        throw EInvalidGraphicOperation("Error: an empty bitmap cannot be saved.");
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image_.save(&buffer, "BMP")) {
        throw EInvalidGraphicOperation("Error: the bitmap could not be written.");
    }
    stream.write(bytes.constData(), bytes.size());
    if (!stream) {
        throw Exception("Error: the bitmap could not be written to its stream.");
    }
}

void TBitmap::SetModified(bool modified) {
    if (modified) {
        Changed();
    } else {
        modified_ = false;
    }
}

void TBitmap::Changed() {
    modified_ = true;
    if (OnChange) {
        OnChange(*this);
    }
}

void TBitmap::Assign(QImage image) {
    const TPixelFormat format = image.isNull() ? format_ : NaturalFormat(image.format());
    Adopt(std::move(image), format);
}

void TBitmap::Adopt(QImage image, TPixelFormat format) {
    std::vector<TPaletteEntry> palette;
    QImage stored;
    if (!image.isNull()) {
        CheckSize(image.width(), image.height(), MaxPixels);
        if (IsIndexed(format) != IsIndexedQt(image.format())) {
            format = NaturalFormat(image.format());
        }
        if (IsIndexed(format)) {
            palette = PaletteOf(image.colorTable(), 256);
            if (format == TPixelFormat::pf4bit && palette.size() > 16) {
                format = TPixelFormat::pf8bit;
            }
        }
        stored = image.convertToFormat(QtFormat(format));
        if (stored.isNull()) {
            throw EInvalidGraphicOperation("Error: not enough memory for a bitmap of " +
                                           SizeText(image.width(), image.height()) + " pixels.");
        }
    } else if (IsIndexed(format)) {
        palette = palette_;
    }
    if (IsIndexed(format) && (palette.empty() || palette.size() > MaxPaletteEntries(format))) {
        palette = GreyRamp(MaxPaletteEntries(format));
    }
    image_ = std::move(stored);
    width_ = image_.width();
    height_ = image_.height();
    format_ = format;
    UsePalette(std::move(palette));
    Changed();
}
