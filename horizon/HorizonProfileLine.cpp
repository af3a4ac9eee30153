#include "HorizonProfileLine.h"

#include "BitmapPainting.h"
#include "HorizonGrid.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace {

// Thick enough to stand out on the window's plot and to stay visible on large pictures.
double LineWidth(const PlotGeometry& geometry) {
    return std::max(2.0, std::round(geometry.Height() / 136.0));
}

QPointF At(const PlotPoint& point, QPointF origin) {
    return origin + QPointF(point.X, point.Y);
}

} // namespace

void PaintHorizonProfile(QPainter& painter, const PlotGeometry& geometry, QPointF origin,
                         const HorizonProfile& profile) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor::fromRgb(ProfileLineColour), LineWidth(geometry), Qt::SolidLine,
                        Qt::SquareCap, Qt::MiterJoin));
    for (int q = 0; q < GridAzimuths; ++q) {
        const auto elevation = profile.Elevation(q);
        if (!elevation) {
            continue;
        }
        const int nextAzimuth = (q + 1) % GridAzimuths;
        const auto next = profile.Elevation(nextAzimuth);
        if (geometry.Polar()) {
            const QPointF here = At(geometry.CellCentre(q, *elevation), origin);
            painter.drawLine(here,
                             next ? At(geometry.CellCentre(nextAzimuth, *next), origin) : here);
            continue;
        }
        const QPointF right = At(geometry.Point(q + 1, *elevation), origin);
        painter.drawLine(At(geometry.Point(q, *elevation), origin), right);
        if (next && nextAzimuth != 0) {
            painter.drawLine(right, At(geometry.Point(q + 1, *next), origin));
        }
    }
    painter.restore();
}

void DrawHorizonProfile(TExtBitmap& target, const HorizonProfile& profile, bool polar) {
    const PlotGeometry geometry(polar, target.Width(), target.Height());
    PaintOnBitmap(target, [&](QPainter& painter) {
        PaintHorizonProfile(painter, geometry, QPointF(0, 0), profile);
    });
}
