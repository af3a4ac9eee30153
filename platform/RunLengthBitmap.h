#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Where and how a run-length encoded bitmap file keeps its pixels.
struct RunLengthLayout {
    int bitsPerPixel = 8; // 8: a run repeats one index; 4: a run alternates two
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: the file's first row is the top one
    std::size_t pixelStart = 0;
};

// The file rewritten with its pixels stored uncompressed, headers and colour table kept, so that
// a reader of plain bitmaps takes it. Every pixel gets a value: those the encoding skips (a delta
// move, a row or the picture ended early, data cut short) take colour index 0, and a run that
// goes past the end of its row is cut there.
std::string ExpandRunLengthBitmap(std::string_view file, const RunLengthLayout& layout);
