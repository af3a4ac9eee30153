#include "PlotLegend.h"

#include "BitmapPainting.h"
#include "PaletteColours.h"
#include "imaging/TExtBitmap.h"

#include <QPainter>

#include <algorithm>

void DrawPlotLegend(TExtBitmap& target, int low, int high,
                    const std::function<QRgb(int value)>& colour) {
    constexpr int BarWidth = 101;
    constexpr int BarHeight = 8;
    constexpr int Margin = 4;
    const int width = target.Width();
    if (width < BarWidth + 2 * Margin || high <= low) {
        return;
    }
    PaintOnBitmap(target, [&](QPainter& painter) {
        const QRect box(width - BarWidth - 2 * Margin, 0, BarWidth + 2 * Margin, BarHeight + 18);
        painter.fillRect(box, Qt::white);
        const int left = box.left() + Margin;
        for (int x = 0; x < BarWidth; ++x) {
            const int value = ScaleValue(low, high, x, BarWidth - 1);
            painter.fillRect(left + x, Margin, 1, BarHeight, QColor::fromRgb(colour(value)));
        }
        QFont font = painter.font();
        font.setPixelSize(9);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const int baseline = Margin + BarHeight + 11;
        painter.drawText(left, baseline, QString::number(low));
        const QString top = QString::number(high) + " dB";
        painter.drawText(left + BarWidth - painter.fontMetrics().horizontalAdvance(top), baseline,
                         top);
    });
}

void DrawPaletteLegend(TExtBitmap& target, Palette palette) {
    if (palette == Palette::Grey) {
        return;
    }
    const PaletteScale scale = ScaleOf(palette);
    DrawPlotLegend(target, scale.Low, scale.High,
                   [palette](int value) { return PaletteColour(palette, value); });
}

void DrawDifferenceLegend(TExtBitmap& target, const DifferenceMap& map) {
    const int largest = std::max(map.Largest(), 1);
    DrawPlotLegend(target, -largest, largest,
                   [largest](int value) { return DifferenceColour(value, largest); });
}
