#include "BitmapFileParts.h"

namespace {

void Append(std::string& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<char>(value >> (8 * i)));
    }
}

} // namespace

std::string BitmapFile(const BitmapFileParts& parts) {
    const auto tableBytes = static_cast<std::uint32_t>(parts.colourTable.size() * 4);
    const std::uint32_t offset = parts.pixelOffset.value_or(54 + tableBytes);
    const auto colours = static_cast<std::uint32_t>(parts.colourTable.size());
    std::string bytes = "BM";
    Append(bytes, static_cast<std::uint32_t>(54 + tableBytes + parts.pixels.size()), 4);
    Append(bytes, 0, 4);
    Append(bytes, offset, 4);
    Append(bytes, parts.headerSize.value_or(40), 4);
    Append(bytes, static_cast<std::uint32_t>(parts.width), 4);
    Append(bytes, static_cast<std::uint32_t>(parts.height), 4);
    Append(bytes, parts.planes, 2);
    Append(bytes, parts.bitsPerPixel, 2);
    Append(bytes, parts.compression, 4);
    Append(bytes, parts.imageSize.value_or(static_cast<std::uint32_t>(parts.pixels.size())), 4);
    Append(bytes, 2835, 4); // 72 dots an inch
    Append(bytes, 2835, 4);
    Append(bytes, parts.coloursUsed.value_or(colours), 4);
    Append(bytes, parts.coloursImportant.value_or(colours), 4);
    for (const std::uint32_t colour : parts.colourTable) {
        Append(bytes, colour & 0xFFFFFF, 4);
    }
    return bytes + parts.pixels;
}

std::string EightBitRows(int width, int height, const std::function<std::uint8_t(int, int)>& at) {
    const int padded = (width + 3) / 4 * 4;
    std::string rows;
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < padded; ++x) {
            rows.push_back(x < width ? static_cast<char>(at(x, y)) : '\0');
        }
    }
    return rows;
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    const char little[4] = {static_cast<char>(value), static_cast<char>(value >> 8),
                            static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
    bytes.replace(at, 4, little, 4);
}
