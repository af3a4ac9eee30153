#pragma once

#include "HorizonGrid.h"
#include "HorizonProfile.h"
#include "PlotGeometry.h"
#include "imaging/TExtBitmap.h"

#include <QPointF>
#include <QRgb>

#include <array>
#include <optional>

class QPainter;

inline constexpr QRgb ProfileLineColour = 0xFFFF0000;

// The elevation a profile line passes at each azimuth 0..359; empty where it is broken.
using ProfileElevations = std::array<std::optional<int>, GridAzimuths>;

// Draws the profile over a map that PlotHorizon drew into `target` in the layout `polar`: a red
// line through the lowest clear cell of each azimuth, broken where the horizon is not known.
// Rectangular, each azimuth is a step across its cell's width; polar, the line runs round the
// zenith and closes over north. The target becomes a 24-bit bitmap.
void DrawHorizonProfile(TExtBitmap& target, const HorizonProfile& profile, bool polar);
// The same line through `elevations` in `colour`, for profiles other than the map's.
void DrawProfileLine(TExtBitmap& target, const ProfileElevations& elevations, bool polar,
                     QRgb colour);

// The map's line with `painter`, over a plot image of `geometry` whose top-left corner is at
// `origin`: for pictures composed around a plot.
void PaintHorizonProfile(QPainter& painter, const PlotGeometry& geometry, QPointF origin,
                         const HorizonProfile& profile);
