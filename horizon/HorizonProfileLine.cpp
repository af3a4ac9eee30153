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

void PaintProfileLine(QPainter& painter, const PlotGeometry& geometry, QPointF origin,
                      const ProfileElevations& elevations, QRgb colour) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor::fromRgb(colour), LineWidth(geometry), Qt::SolidLine, Qt::SquareCap,
                        Qt::MiterJoin));
    for (int q = 0; q < GridAzimuths; ++q) {
        const auto elevation = elevations[static_cast<std::size_t>(q)];
        if (!elevation) {
            continue;
        }
        const int nextAzimuth = (q + 1) % GridAzimuths;
        const auto next = elevations[static_cast<std::size_t>(nextAzimuth)];
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

} // namespace

void PaintHorizonProfile(QPainter& painter, const PlotGeometry& geometry, QPointF origin,
                         const HorizonProfile& profile) {
    PaintProfileLine(painter, geometry, origin, profile.Elevations(), ProfileLineColour);
}

void DrawProfileLine(TExtBitmap& target, const ProfileElevations& elevations, bool polar,
                     QRgb colour) {
    const PlotGeometry geometry(polar, target.Width(), target.Height());
    PaintOnBitmap(target, [&](QPainter& painter) {
        PaintProfileLine(painter, geometry, QPointF(0, 0), elevations, colour);
    });
}

void DrawHorizonProfile(TExtBitmap& target, const HorizonProfile& profile, bool polar) {
    DrawProfileLine(target, profile.Elevations(), polar, ProfileLineColour);
}
