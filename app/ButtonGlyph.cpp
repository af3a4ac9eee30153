#include "ButtonGlyph.h"

#include <QImage>

QPixmap ButtonGlyph(const QImage& bitmap) {
    if (bitmap.isNull()) {
        return {};
    }
    QImage glyph = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb background = glyph.pixel(0, glyph.height() - 1);
    for (int y = 0; y < glyph.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(glyph.scanLine(y));
        for (int x = 0; x < glyph.width(); ++x) {
            if (line[x] == background) {
                line[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    return QPixmap::fromImage(glyph);
}
