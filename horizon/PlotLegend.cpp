#include "PlotLegend.h"

#include "BitmapPainting.h"
#include "PaletteColours.h"
#include "imaging/TExtBitmap.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr int Margin = 4;
constexpr int FontPixels = 9;

// A white box of `size` in the top right corner of the plot, its text small and black;
// `paint` fills it in. A plot too narrow for the box gets none.
void PaintLegendBox(TExtBitmap& target, QSize size,
                    const std::function<void(QPainter&, const QRect& box)>& paint) {
    const int width = target.Width();
    if (width < size.width()) {
        return;
    }
    PaintOnBitmap(target, [&](QPainter& painter) {
        const QRect box(QPoint(width - size.width(), 0), size);
        painter.fillRect(box, Qt::white);
        QFont font = painter.font();
        font.setPixelSize(FontPixels);
        painter.setFont(font);
        painter.setPen(Qt::black);
        paint(painter, box);
    });
}

} // namespace

void DrawPlotLegend(TExtBitmap& target, int low, int high,
                    const std::function<QRgb(int value)>& colour) {
    constexpr int BarWidth = 101;
    constexpr int BarHeight = 8;
    if (high <= low) {
        return;
    }
    PaintLegendBox(
        target, QSize(BarWidth + 2 * Margin, BarHeight + 18),
        [&](QPainter& painter, const QRect& box) {
            const int left = box.left() + Margin;
            for (int x = 0; x < BarWidth; ++x) {
                const int value = ScaleValue(low, high, x, BarWidth - 1);
                painter.fillRect(left + x, Margin, 1, BarHeight, QColor::fromRgb(colour(value)));
            }
            const int baseline = Margin + BarHeight + 11;
            painter.drawText(left, baseline, QString::number(low));
            const QString top = QString::number(high) + " dB";
            painter.drawText(left + BarWidth - painter.fontMetrics().horizontalAdvance(top),
                             baseline, top);
        });
}

void DrawCategoryLegend(TExtBitmap& target, const std::vector<LegendEntry>& entries) {
    constexpr int Swatch = 8;
    constexpr int Row = 12;
    constexpr int Column = 54;
    const int rows = static_cast<int>(entries.size() + 1) / 2;
    PaintLegendBox(target, QSize(2 * Column + 2 * Margin - 4, rows * Row + 2 * Margin - 3),
                   [&](QPainter& painter, const QRect& box) {
                       for (std::size_t i = 0; i < entries.size(); ++i) {
                           const int left = box.left() + Margin + static_cast<int>(i % 2) * Column;
                           const int top = Margin + static_cast<int>(i / 2) * Row;
                           painter.fillRect(left, top, Swatch, Swatch,
                                            QColor::fromRgb(entries[i].Colour));
                           painter.drawText(left + Swatch + 3, top + Swatch, entries[i].Name);
                       }
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
