#include "MapPicture.h"

#include "HorizonPlot.h"
#include "PaletteColours.h"
#include "PlotGeometry.h"
#include "SkyClassesPlot.h"
#include "imaging/TExtBitmap.h"
#include "platform/Exception.h"

#include <QFont>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace {

constexpr QRgb Background = 0xFFFFFFFF;
constexpr QRgb Ink = 0xFF202020;
constexpr QRgb RingColour = 0xFF909090;

int Round(double value) {
    return static_cast<int>(std::lround(value));
}

QString Degrees(int value) {
    return QString::number(value) + QChar(0x00B0);
}

QString AzimuthLabel(int azimuth) {
    switch (azimuth % 360) {
    case 0:
        return "N";
    case 90:
        return "E";
    case 180:
        return "S";
    case 270:
        return "W";
    default:
        return Degrees(azimuth);
    }
}

// Text centred on `centre`.
void CentredText(QPainter& painter, QPointF centre, const QString& text, int font) {
    painter.drawText(QRectF(centre.x() - 4.0 * font, centre.y() - font, 8.0 * font, 2.0 * font),
                     Qt::AlignCenter, text);
}

// A bitmap as the window makes its plot bitmaps, drawn by `plot`.
QImage PlotImage(QSize size, const std::function<void(TExtBitmap&)>& plot) {
    TExtBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf8bit);
    bitmap.SetSize(size.width(), size.height());
    bitmap.MakeGreyPalette();
    bitmap.FillRect({0, 0, bitmap.Width(), bitmap.Height()}, 0xFFFFFF);
    plot(bitmap);
    return bitmap.Image().convertToFormat(QImage::Format_RGB32);
}

// A step between labelled values that gives at most six of them.
int LabelStep(int low, int high) {
    constexpr std::array steps{1, 2, 5, 10, 20, 25, 50};
    for (const int step : steps) {
        if ((high - low) / step <= 5) {
            return step;
        }
    }
    return 100;
}

void DrawRectangularAxes(QPainter& painter, const QRect& plot, int font) {
    const PlotGeometry geometry(false, plot.width(), plot.height());
    const double tick = 0.4 * font;
    // Round the plot, clear of its pixels.
    painter.drawRect(plot.adjusted(-1, -1, 0, 0));
    // Each label needs room for "330°": every 30 degrees where twelve fit, else every 45 or 90.
    int step = 90;
    for (const int fits : {45, 30}) {
        if (plot.width() * fits / 360 >= Round(2.6 * font)) {
            step = fits;
        }
    }
    for (int azimuth = 0; azimuth <= 360; azimuth += step) {
        const double x = plot.left() + geometry.Point(azimuth, 0).X;
        painter.drawLine(QPointF(x, plot.bottom() + 1), QPointF(x, plot.bottom() + 1 + tick));
        CentredText(painter, QPointF(x, plot.bottom() + 1 + tick + 0.7 * font),
                    AzimuthLabel(azimuth), font);
    }
    for (int elevation = 0; elevation <= 90; elevation += 30) {
        const double y = plot.top() + geometry.Point(0, elevation).Y;
        painter.drawLine(QPointF(plot.left() - 1 - tick, y), QPointF(plot.left() - 1, y));
        painter.drawText(QRectF(0, y - font, plot.left() - 1.5 * tick, 2.0 * font),
                         Qt::AlignRight | Qt::AlignVCenter, Degrees(elevation));
    }
}

void DrawPolarAxes(QPainter& painter, const QRect& plot, int font) {
    const PlotGeometry geometry(true, plot.height(), plot.height());
    const QPointF zenith = plot.topLeft() + QPointF(geometry.Zenith().X, geometry.Zenith().Y);
    const double horizon = 90.0 * geometry.PixelsPerDegree();
    painter.save();
    painter.setPen(QPen(QColor::fromRgb(RingColour), 1.0));
    for (int elevation = 0; elevation <= 60; elevation += 30) {
        const double radius = (90 - elevation) * geometry.PixelsPerDegree();
        painter.drawEllipse(zenith, radius, radius);
    }
    painter.restore();
    // Ring labels on white, readable over any cell, along the north-east diagonal.
    for (int elevation = 0; elevation <= 60; elevation += 30) {
        const PlotPoint at = geometry.Point(45, elevation);
        const QString text = Degrees(elevation);
        const QRectF box = painter.fontMetrics().boundingRect(text).toRectF().translated(
            plot.left() + at.X + 2, plot.top() + at.Y - 2);
        painter.fillRect(box.adjusted(-1, 0, 1, 0), QColor::fromRgb(Background));
        painter.drawText(box, Qt::AlignCenter, text);
    }
    const double outside = horizon + 0.8 * font;
    CentredText(painter, zenith + QPointF(0, -outside), "N", font);
    CentredText(painter, zenith + QPointF(outside, 0), "E", font);
    CentredText(painter, zenith + QPointF(0, outside), "S", font);
    CentredText(painter, zenith + QPointF(-outside, 0), "W", font);
}

void DrawScale(QPainter& painter, const QRect& bar, int low, int high,
               const std::function<QRgb(int value)>& colour, int font) {
    const int steps = bar.height() - 1;
    for (int row = 0; row < bar.height(); ++row) {
        painter.fillRect(QRect(bar.left(), bar.top() + row, bar.width(), 1),
                         QColor::fromRgb(colour(ScaleValue(low, high, steps - row, steps))));
    }
    painter.drawRect(bar.adjusted(-1, -1, 0, 0));
    const auto rowOf = [&](int value) {
        return bar.top() +
               (bar.height() - 1) * static_cast<double>(high - value) / std::max(1, high - low);
    };
    const int step = LabelStep(low, high);
    const double labelLeft = bar.right() + 1 + 0.6 * font;
    const auto label = [&](int value) {
        const double y = rowOf(value) + 0.5;
        painter.drawLine(QPointF(bar.right() + 1, y), QPointF(bar.right() + 0.4 * font, y));
        painter.drawText(QRectF(labelLeft, y - font, 4.0 * font, 2.0 * font),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         (value > 0 && low < 0 ? "+" : "") + QString::number(value));
    };
    label(low);
    label(high);
    for (int value = (low / step) * step; value < high; value += step) {
        // Ends are labelled already; a multiple close to one would crowd it.
        if (std::abs(value - low) * 3 > step && std::abs(high - value) * 3 > step) {
            label(value);
        }
    }
    CentredText(painter, QPointF(bar.center().x() + 0.5, bar.top() - 1.0 * font), "dB", font);
}

// In the scale bar's column: from its top a swatch of the bar's width and a name per class, the
// names made smaller where the longest would not fit beside the swatches.
void DrawClassKey(QPainter& painter, const QRect& bar, int font) {
    const double labelLeft = bar.right() + 1 + 0.6 * font;
    const double room = painter.device()->width() - labelLeft - 1;
    int widest = 1;
    for (const SkyClass skyClass : KeyedSkyClasses) {
        widest = std::max(widest, painter.fontMetrics().horizontalAdvance(SkyClassName(skyClass)));
    }
    painter.save();
    if (widest > room) {
        QFont smaller = painter.font();
        smaller.setPixelSize(std::max(1, static_cast<int>(font * room / widest)));
        painter.setFont(smaller);
    }
    int top = bar.top();
    for (const SkyClass skyClass : KeyedSkyClasses) {
        const QRect swatch(bar.left(), top, bar.width(), font);
        painter.fillRect(swatch, QColor::fromRgb(SkyClassColour(skyClass)));
        painter.drawRect(swatch.adjusted(-1, -1, 0, 0));
        painter.drawText(QRectF(labelLeft, top - 0.5 * font, room, 2.0 * font),
                         Qt::AlignLeft | Qt::AlignVCenter, SkyClassName(skyClass));
        top += 2 * font;
    }
    painter.restore();
}

} // namespace

MapPicture::MapPicture(QSize size, bool polar) : size_(size), polar_(polar) {
    if (size.width() < MinimumSize.width() || size.height() < MinimumSize.height() ||
        size.width() > MaximumSide || size.height() > MaximumSide) {
        throw Exception("A picture of " + std::to_string(size.width()) + " x " +
                        std::to_string(size.height()) + " pixels cannot be made: it takes " +
                        std::to_string(MinimumSize.width()) + " x " +
                        std::to_string(MinimumSize.height()) + " to " +
                        std::to_string(MaximumSide) + " x " + std::to_string(MaximumSide));
    }
    const int width = size.width();
    const int height = size.height();
    // Of the narrower side, so that a tall narrow picture leaves its plot room beside the labels.
    font_ = std::clamp(Round(std::min(width, height) / 24.0), 10, 48);
    const int legend = Round(5.5 * font_);
    bar_ = QRect(width - legend + Round(0.6 * font_), Round(2.2 * font_), font_,
                 height - Round(3.4 * font_));
    if (polar) {
        const int margin = Round(1.8 * font_);
        const int room = width - legend - 2 * margin;
        const int side = std::min(room, height - 2 * margin);
        plot_ = QRect(margin + (room - side) / 2, (height - side) / 2, side, side);
        // Beside the disc of a tall picture, not along its whole height.
        if (height > width) {
            const int top = std::max(bar_.top(), plot_.top());
            bar_.setTop(top);
            bar_.setBottom(std::max(top, std::min(bar_.bottom(), plot_.bottom())));
        }
    } else {
        const int left = Round(3.4 * font_);
        const int top = font_;
        plot_ = QRect(left, top, width - legend - left, height - top - Round(2.4 * font_));
    }
}

QImage MapPicture::Draw(const TStringList& grid, const PlotSettings& settings) const {
    PlotSettings laidOut = settings;
    laidOut.Polar = polar_;
    const QImage plot =
        PlotImage(plot_.size(), [&](TExtBitmap& bitmap) { PlotHorizon(bitmap, grid, laidOut); });
    const PaletteScale scale = ScaleOf(settings.Colours);
    return Compose(plot, [&](QPainter& painter) {
        DrawScale(
            painter, bar_, scale.Low, scale.High,
            [palette = settings.Colours](int value) { return PaletteColour(palette, value); },
            font_);
    });
}

QImage MapPicture::Draw(const DifferenceMap& map) const {
    const QImage plot =
        PlotImage(plot_.size(), [&](TExtBitmap& bitmap) { PlotDifference(bitmap, map, polar_); });
    const int largest = std::max(1, map.Largest());
    return Compose(plot, [&](QPainter& painter) {
        DrawScale(
            painter, bar_, -largest, largest,
            [largest](int value) { return DifferenceColour(value, largest); }, font_);
    });
}

QImage MapPicture::Draw(const SkyClasses& classes, const OpenProfile* profileLine) const {
    const QImage plot = PlotImage(plot_.size(), [&](TExtBitmap& bitmap) {
        PlotSkyClassCells(bitmap, classes, polar_, profileLine);
    });
    return Compose(plot, [&](QPainter& painter) { DrawClassKey(painter, bar_, font_); });
}

QImage MapPicture::Compose(const QImage& plot,
                           const std::function<void(QPainter&)>& drawKey) const {
    QImage picture(size_, QImage::Format_RGB32);
    picture.fill(Background);
    QPainter painter(&picture);
    painter.drawImage(plot_.topLeft(), plot);
    QFont font;
    font.setPixelSize(font_);
    painter.setFont(font);
    painter.setPen(QPen(QColor::fromRgb(Ink), 1.0));
    if (polar_) {
        DrawPolarAxes(painter, plot_, font_);
    } else {
        DrawRectangularAxes(painter, plot_, font_);
    }
    drawKey(painter);
    return picture;
}
