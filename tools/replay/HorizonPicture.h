#pragma once

#include "horizon/PlotSettings.h"
#include "platform/TStringList.h"

#include <string>

// The size of the window's plots.
inline constexpr int HorizonPictureWidth = 540;
inline constexpr int HorizonPictureHeight = 273;

// The bytes of a PNG file showing `grid` as the window plots it into a bitmap of the given size:
// grey levels on white unless the settings ask for colours or the profile line. A grid the plot
// does not draw gives a white picture. Raises Exception when encoding fails.
std::string HorizonPicturePng(const TStringList& grid, const PlotSettings& settings,
                              int width = HorizonPictureWidth, int height = HorizonPictureHeight);
