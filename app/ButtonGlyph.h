#pragma once

#include <QPixmap>

class QImage;

// A button's glyph as such bitmaps have always been drawn: the colour of the lower left pixel is
// the background, left transparent so that the button's own face shows through.
QPixmap ButtonGlyph(const QImage& bitmap);
