#include "CompassLetters.h"

std::array<CompassLetterPosition, 5> CompassLetterPositions(const ImageBounds& image,
                                                            const std::array<int, 5>& labelWidths) {
    // C++ division truncates toward zero, as the layout rule asks.
    const int top = image.Top + image.Height;
    const std::array<int, 5> centres = {
        image.Left + 2,
        image.Left + 1 + image.Width / 4,
        image.Left + image.Width / 2,
        image.Left - 1 + (3 * image.Width) / 4,
        image.Left - 2 + image.Width,
    };
    std::array<CompassLetterPosition, 5> positions{};
    for (std::size_t i = 0; i < positions.size(); ++i) {
        positions[i] = {centres[i] - labelWidths[i] / 2, top};
    }
    return positions;
}
