#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The parts of a bitmap file with the 40-byte header, 8-bit unless told otherwise, any header
// field of which a test may set wrong.
struct BitmapFileParts {
    std::int32_t width = 4;
    std::int32_t height = 3;
    std::uint16_t planes = 1;
    std::uint16_t bitsPerPixel = 8;
    std::uint32_t compression = 0;          // 1: run-length encoded 8-bit pixels, 2: 4-bit
    std::vector<std::uint32_t> colourTable; // 0xRRGGBB, stored blue, green, red, 0
    std::string pixels;                     // stored as given, right after the table
    // Left unset, each takes the value a correct file has.
    std::optional<std::uint32_t> headerSize;
    std::optional<std::uint32_t> pixelOffset;
    std::optional<std::uint32_t> imageSize;
    std::optional<std::uint32_t> coloursUsed;
    std::optional<std::uint32_t> coloursImportant;
};

std::string BitmapFile(const BitmapFileParts& parts);

// Rows of 8-bit pixels as a file stores them: bottom row first, each padded to 4 bytes.
std::string EightBitRows(int width, int height, const std::function<std::uint8_t(int, int)>& at);

void Put32(std::string& bytes, std::size_t at, std::uint32_t value);
