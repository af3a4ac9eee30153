#pragma once

#include "OpenProfile.h"
#include "SkyClasses.h"
#include "imaging/TExtBitmap.h"

#include <QRgb>

// The colour of each class, told apart also by those who do not see red from green: open a
// clear green, weak amber, blocked dark red-brown, unseen light grey.
QRgb SkyClassColour(SkyClass skyClass);

// Draws the classes into `target` cell by cell as PlotHorizon lays out a map (rectangular, or
// polar in a square of the target's height at the left), with a key of the four classes in the
// plot's top right corner and, when given, the open profile as a line. The target becomes a
// 24-bit bitmap; an empty one is left as it is.
void PlotSkyClasses(TExtBitmap& target, const SkyClasses& classes, bool polar,
                    const OpenProfile* profileLine);
