#pragma once

#include "DifferenceMap.h"
#include "OpenProfile.h"
#include "PlotSettings.h"
#include "SkyClasses.h"
#include "platform/TStringList.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <functional>

class QPainter;

// A map as a picture to keep or share: the plot as the window draws it (PlotHorizon, in the
// settings' palette and layout, with the profile line when asked), and around it what makes it
// readable on its own: compass letters; elevation rings at 0, 30 and 60 degrees (polar) or axis
// ticks with labels (rectangular: azimuth every 30, 45 or 90 degrees as room allows, elevation
// every 30); and at the right a scale bar in dB of the colours used. A difference map is laid out
// the same, its scale from -N to +N dB with N its largest change; the sky classes too, with the
// key of their four colours in place of the scale. The text is sized by the narrower side, so
// that a long narrow picture keeps room for its plot.
//
// Drawing text needs the application object (QGuiApplication); the layout does not.
class MapPicture {
public:
    static constexpr QSize MinimumSize{240, 160};
    static constexpr int MaximumSide = 8000;

    // Raises Exception for a size outside MinimumSize..MaximumSide.
    MapPicture(QSize size, bool polar);

    QSize Size() const { return size_; }
    // Where the plot image lies: the whole plot bitmap (polar: the square of the sky disc).
    QRect PlotArea() const { return plot_; }
    // The coloured pixels of the scale bar: the top row shows its highest value, the bottom row
    // its lowest, evenly between. The sky classes' key stands in its column: from its top, a
    // swatch of the bar's width per class, one text line tall, a line apart.
    QRect ScaleBar() const { return bar_; }

    // An invalid grid (not 360 lines) leaves the plot area white.
    QImage Draw(const TStringList& grid, const PlotSettings& settings) const;
    QImage Draw(const DifferenceMap& map) const;
    // The sky classes with their key in place of the scale bar, and the open profile as a line
    // when given.
    QImage Draw(const SkyClasses& classes, const OpenProfile* profileLine) const;

private:
    // The plot with its axes, and the key that `drawKey` draws at the right.
    QImage Compose(const QImage& plot, const std::function<void(QPainter&)>& drawKey) const;

    QSize size_;
    bool polar_;
    int font_;
    QRect plot_;
    QRect bar_;
};
