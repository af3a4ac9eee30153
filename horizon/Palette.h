#pragma once

#include <string>
#include <string_view>

// The colours a map is drawn in. Grey is the plot's own grey levels and the default; Viridis a
// perceptual colour map, even in lightness from weak (dark blue-violet) to strong (yellow).
enum class Palette { Grey, Viridis };

inline constexpr Palette DefaultPalette = Palette::Grey;

// "Grey levels" or "Colour (viridis)": the texts the settings keep and the menu offers.
std::string PaletteToText(Palette palette);

// The palette of one of those texts; any other text, as from a damaged setting, gives the
// default.
Palette TextToPalette(std::string_view text);
