#pragma once

#include <array>

// Where the five compass letters N, E, S, W, N stand under a plot image: they mark azimuths 0,
// 90, 180, 270 and 360 of the rectangular layout, each centred on its own width.
struct CompassLetterPosition {
    int Left = 0;
    int Top = 0;
    friend bool operator==(const CompassLetterPosition&, const CompassLetterPosition&) = default;
};

struct ImageBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

std::array<CompassLetterPosition, 5> CompassLetterPositions(const ImageBounds& image,
                                                            const std::array<int, 5>& labelWidths);
