#pragma once

#include "imaging/TExtBitmap.h"

#include <functional>

class QPainter;

// Lets `paint` draw on `target` with a painter; the target becomes a 24-bit bitmap holding the
// result. An empty target is left as it is.
void PaintOnBitmap(TExtBitmap& target, const std::function<void(QPainter&)>& paint);
