#pragma once

#include <optional>
#include <string>

// The caption of the azimuth-and-elevation read-out for the mouse at (x, y) over a plot image
// whose bitmap is `width` by `height`: "Az: 123°,  El: 45°". None when the point lies below the
// horizon (outside the polar circle) or the bitmap is empty: the caption then stays as it was.
std::optional<std::string> MouseReadoutCaption(bool polar, int width, int height, int x, int y);

// The caption while the mouse is over neither image.
inline constexpr const char* MouseReadoutIdleCaption = "Azimuth & elevation";
