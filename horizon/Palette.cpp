#include "Palette.h"

namespace {

constexpr std::string_view GreyText = "Grey levels";
constexpr std::string_view ViridisText = "Colour (viridis)";

} // namespace

std::string PaletteToText(Palette palette) {
    return std::string(palette == Palette::Viridis ? ViridisText : GreyText);
}

Palette TextToPalette(std::string_view text) {
    return text == ViridisText ? Palette::Viridis : DefaultPalette;
}
