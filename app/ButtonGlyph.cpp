#include "ButtonGlyph.h"

#include "platform/Exception.h"
#include "platform/TBitmap.h"

#include <QFile>
#include <QImage>

#include <sstream>
#include <string>

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

void LoadGlyph(TBitmap& glyph, const char* resource) {
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray bytes = file.readAll();
    std::istringstream stream(
        std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    try {
        glyph.LoadFromStream(stream);
    } catch (const Exception&) {
        // A missing glyph leaves the button without one.
    }
}
