#pragma once

#include "HorizonProfile.h"
#include "PlotGeometry.h"
#include "imaging/TExtBitmap.h"

#include <QPointF>
#include <QRgb>

class QPainter;

inline constexpr QRgb ProfileLineColour = 0xFFFF0000;

// Draws the profile over a map that PlotHorizon drew into `target` in the layout `polar`: a red
// line through the lowest clear cell of each azimuth, broken where the horizon is not known.
// Rectangular, each azimuth is a step across its cell's width; polar, the line runs round the
// zenith and closes over north. The target becomes a 24-bit bitmap.
void DrawHorizonProfile(TExtBitmap& target, const HorizonProfile& profile, bool polar);

// The same line with `painter`, over a plot image of `geometry` whose top-left corner is at
// `origin`: for pictures composed around a plot.
void PaintHorizonProfile(QPainter& painter, const PlotGeometry& geometry, QPointF origin,
                         const HorizonProfile& profile);
