#include "BitmapPainting.h"

#include <QImage>
#include <QPainter>

#include <cstring>

void PaintOnBitmap(TExtBitmap& target, const std::function<void(QPainter&)>& paint) {
    if (target.Width() < 1 || target.Height() < 1) {
        return;
    }
    target.SetPixelFormat(TPixelFormat::pf24bit);
    QImage canvas = target.Image().convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&canvas);
        paint(painter);
    }
    // The bitmap's 24-bit rows are blue, green, red, as this format is.
    const QImage painted = canvas.convertToFormat(QImage::Format_BGR888);
    const auto rowBytes = static_cast<std::size_t>(target.Width()) * 3;
    for (int y = 0; y < target.Height(); ++y) {
        std::memcpy(target.ScanLine(y), painted.constScanLine(y), rowBytes);
    }
}
