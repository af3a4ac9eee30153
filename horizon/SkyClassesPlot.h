#pragma once

#include "OpenProfile.h"
#include "SkyClasses.h"
#include "imaging/TExtBitmap.h"

#include <QRgb>

#include <array>

// The colour of each class, told apart also by those who do not see red from green (they differ
// in lightness as well as hue): open a bluish green, weak orange, blocked dark red-brown, unseen
// light grey.
QRgb SkyClassColour(SkyClass skyClass);

// The classes in the order their keys list them.
inline constexpr std::array KeyedSkyClasses{SkyClass::Open, SkyClass::Weak, SkyClass::Blocked,
                                            SkyClass::Unseen};

// Black: the open profile runs over every class colour, and a red line would vanish on the
// green for many who do not see red from green.
inline constexpr QRgb OpenProfileLineColour = 0xFF000000;

// Draws the classes into `target` cell by cell as PlotHorizon lays out a map (rectangular, or
// polar in a square of the target's height at the left), with a key of the four classes in the
// plot's top right corner and, when given, the open profile as a line. The target becomes a
// 24-bit bitmap; an empty one is left as it is.
void PlotSkyClasses(TExtBitmap& target, const SkyClasses& classes, bool polar,
                    const OpenProfile* profileLine);

// The same without the key, for pictures that put it beside the plot.
void PlotSkyClassCells(TExtBitmap& target, const SkyClasses& classes, bool polar,
                       const OpenProfile* profileLine);
