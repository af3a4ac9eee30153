#pragma once

#include <QPixmap>

class QImage;
class TBitmap;

// A button's glyph as such bitmaps have always been drawn: the colour of the lower left pixel is
// the background, left transparent so that the button's own face shows through.
QPixmap ButtonGlyph(const QImage& bitmap);

// Reads a glyph from the program's resources; a missing or damaged one leaves the button without
// one (`glyph` stays empty).
void LoadGlyph(TBitmap& glyph, const char* resource);
