#pragma once

#include "PlotSettings.h"
#include "imaging/TExtBitmap.h"
#include "platform/TStringList.h"

// Draws `grid` into `target` as a rectangular or polar grey-level picture, resampled to the
// target's size (polar: a square of the target's height at the left, white beside it). A grid
// without exactly 360 lines is not drawn: the target keeps its picture. The grid is not changed.
void PlotHorizon(TExtBitmap& target, const TStringList& grid, const PlotSettings& settings);

// The grey level of a cell value: 1..29 32, 30..31 100, 32..33 150, 34..35 200, 36..100 255,
// anything else black.
int GreyLevel(int value);
