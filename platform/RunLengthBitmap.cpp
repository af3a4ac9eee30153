#include "RunLengthBitmap.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

// The escapes that follow a zero count.
constexpr unsigned EndOfLine = 0;
constexpr unsigned EndOfBitmap = 1;
constexpr unsigned Delta = 2;

constexpr std::size_t FileSizeField = 2;
constexpr std::size_t PixelOffsetField = 10;
constexpr std::size_t CompressionField = 30;
constexpr std::size_t ImageSizeField = 34;
constexpr std::size_t HeadersEnd = 54;

void PutLittleEndian32(std::string& bytes, std::size_t at, std::size_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

// The headers and colour table followed by the uncompressed rows in file order, every pixel
// index 0 until written.
class ExpandedFile {
public:
    ExpandedFile(std::string_view headers, const RunLengthLayout& layout)
        : bitsPerPixel_(layout.bitsPerPixel), width_(layout.width),
          rowBytes_((layout.width * layout.bitsPerPixel + 31) / 32 * 4),
          pixelStart_(static_cast<std::int64_t>(headers.size())),
          bytes_(static_cast<std::size_t>(pixelStart_ + rowBytes_ * std::abs(layout.height)),
                 '\0') {
        bytes_.replace(0, headers.size(), headers);
    }

    // Pixels past the end of the row are dropped.
    void Put(std::int64_t x, std::int64_t row, unsigned index) {
        if (x >= width_) {
            return;
        }
        const std::int64_t rowStart = pixelStart_ + row * rowBytes_;
        if (bitsPerPixel_ == 8) {
            bytes_[static_cast<std::size_t>(rowStart + x)] = static_cast<char>(index);
            return;
        }
        char& pair = bytes_[static_cast<std::size_t>(rowStart + x / 2)];
        const unsigned shift = x % 2 == 0 ? 4 : 0;
        pair = static_cast<char>((static_cast<unsigned char>(pair) & ~(0xFu << shift)) |
                                 (index & 0xFu) << shift);
    }

    // The whole file, its headers saying what it now holds.
    std::string Take() {
        PutLittleEndian32(bytes_, FileSizeField, bytes_.size());
        PutLittleEndian32(bytes_, PixelOffsetField, static_cast<std::size_t>(pixelStart_));
        PutLittleEndian32(bytes_, CompressionField, 0);
        PutLittleEndian32(bytes_, ImageSizeField,
                          bytes_.size() - static_cast<std::size_t>(pixelStart_));
        return std::move(bytes_);
    }

private:
    int bitsPerPixel_;
    std::int64_t width_;
    std::int64_t rowBytes_;
    std::int64_t pixelStart_;
    std::string bytes_;
};

} // namespace

std::string ExpandRunLengthBitmap(std::string_view file, const RunLengthLayout& layout) {
    const bool nibbles = layout.bitsPerPixel == 4;
    const std::int64_t rows = std::abs(layout.height);
    std::string headers(file.substr(0, layout.pixelStart));
    headers.resize(std::max(layout.pixelStart, HeadersEnd), '\0');
    ExpandedFile expanded(headers, layout);
    const auto byteAt = [file](std::size_t at) { return static_cast<unsigned char>(file[at]); };
    std::size_t at = std::min(layout.pixelStart, file.size());
    const auto holds = [&](std::size_t count) { return file.size() - at >= count; };
    std::int64_t x = 0;
    std::int64_t row = 0;
    while (row < rows && holds(2)) {
        const unsigned count = byteAt(at);
        const unsigned value = byteAt(at + 1);
        at += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count && x + i < layout.width; ++i) {
                const unsigned index = !nibbles ? value : i % 2 == 0 ? value >> 4 : value & 0xF;
                expanded.Put(x + i, row, index);
            }
            x += count;
        } else if (value == EndOfLine) {
            ++row;
            x = 0;
        } else if (value == EndOfBitmap) {
            break;
        } else if (value == Delta) {
            if (!holds(2)) {
                break;
            }
            x += byteAt(at);
            row += byteAt(at + 1);
            at += 2;
        } else {
            // Stored pixels, padded to an even number of bytes.
            const std::size_t dataBytes = nibbles ? (value + 1) / 2 : value;
            const std::size_t stored = std::min(dataBytes, file.size() - at);
            for (unsigned i = 0; i < value && x + i < layout.width; ++i) {
                const std::size_t byte = nibbles ? i / 2 : i;
                if (byte >= stored) {
                    break;
                }
                const unsigned data = byteAt(at + byte);
                expanded.Put(x + i, row, !nibbles ? data : i % 2 == 0 ? data >> 4 : data & 0xF);
            }
            x += value;
            at += std::min(dataBytes + dataBytes % 2, file.size() - at);
        }
    }

    return expanded.Take();
}
