#pragma once

#include "DifferenceMap.h"
#include "GridCellValues.h"
#include "PlotSettings.h"
#include "imaging/TExtBitmap.h"
#include "platform/TStringList.h"

#include <QRgb>

#include <cstdint>
#include <functional>

// Draws `grid` into `target` as a rectangular or polar picture, resampled to the target's size
// (polar: a square of the target's height at the left, white beside it). A grid without exactly
// 360 lines is not drawn: the target keeps its picture. The grid is not changed.
//
// In the grey palette without the profile line the target becomes an 8-bit bitmap of grey
// levels, the window's plot as it has always been. Another palette draws in colours and the
// profile line is red: the target then becomes a 24-bit bitmap.
void PlotHorizon(TExtBitmap& target, const TStringList& grid, const PlotSettings& settings);

// Draws a difference map into `target` as PlotHorizon lays out a map, cell by cell (averaging
// and filling would hide changes), in DifferenceColour: white where nothing changed. The target
// becomes a 24-bit bitmap; an empty one is left as it is.
void PlotDifference(TExtBitmap& target, const DifferenceMap& map, bool polar);

// Draws every valid cell of `cells` into `target` as PlotHorizon lays out a map, cell by cell in
// `colour` of its value, on `background` where none is drawn (white beside the polar square). The
// target becomes a 24-bit bitmap; an empty one is left as it is.
void PlotCellColours(TExtBitmap& target, const GridCellValues& cells, bool polar,
                     const std::function<QRgb(std::int32_t value)>& colour, QRgb background);

// The grey level of a cell value: 1..29 32, 30..31 100, 32..33 150, 34..35 200, 36..100 255,
// anything else black.
int GreyLevel(int value);
