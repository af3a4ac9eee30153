#pragma once

#include "DifferenceMap.h"
#include "Palette.h"

#include <QRgb>
#include <QString>

#include <functional>
#include <vector>

class TExtBitmap;

// The key to a plot's colours, drawn over the top right corner of the window's plot, where the
// polar layout leaves white and the rectangular one shows the zenith: a bar from `low` to `high`
// dB in `colour`, its ends labelled. For the colour palette and the difference of two maps; the
// grey plot keeps its picture as it always was, without one.
void DrawPlotLegend(TExtBitmap& target, int low, int high,
                    const std::function<QRgb(int value)>& colour);

// A key of colours that stand for kinds rather than values, in the same corner: a swatch and a
// name each, two to a row.
struct LegendEntry {
    QString Name;
    QRgb Colour = 0;
};
void DrawCategoryLegend(TExtBitmap& target, const std::vector<LegendEntry>& entries);

// The key of `palette` (none for the grey levels, which keep their picture as it always was).
void DrawPaletteLegend(TExtBitmap& target, Palette palette);
// The key of a difference map: its diverging colours from -N to +N dB, N its largest change.
void DrawDifferenceLegend(TExtBitmap& target, const DifferenceMap& map);
