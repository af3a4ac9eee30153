#include "PaletteColours.h"

#include "HorizonPlot.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The viridis colour map at nine evenly spaced points from 0 to 1.
constexpr std::array<QRgb, 9> ViridisAnchors = {0x440154, 0x472D7B, 0x3B528B, 0x2C728E, 0x21908C,
                                                0x27AD81, 0x5DC863, 0xAADC32, 0xFDE725};

// Channel by channel from `from` (t = 0) to `to` (t = 1).
QRgb Between(QRgb from, QRgb to, double t) {
    const auto channel = [t](int a, int b) {
        return static_cast<int>(std::lround(a + (b - a) * t));
    };
    return qRgb(channel(qRed(from), qRed(to)), channel(qGreen(from), qGreen(to)),
                channel(qBlue(from), qBlue(to)));
}

QRgb Viridis(double t) {
    const double at = std::clamp(t, 0.0, 1.0) * (ViridisAnchors.size() - 1);
    const auto below = std::min(static_cast<std::size_t>(at), ViridisAnchors.size() - 2);
    return Between(ViridisAnchors[below], ViridisAnchors[below + 1],
                   at - static_cast<double>(below));
}

constexpr PaletteScale GreyScale{0, 40};

} // namespace

QRgb PaletteColour(Palette palette, int snr) {
    if (palette == Palette::Grey) {
        const int grey = GreyLevel(snr);
        return qRgb(grey, grey, grey);
    }
    if (snr < 0 || snr > 100) {
        return qRgb(0, 0, 0);
    }
    return Viridis(static_cast<double>(snr) / ViridisFullScale);
}

PaletteScale ScaleOf(Palette palette) {
    return palette == Palette::Grey ? GreyScale : PaletteScale{0, ViridisFullScale};
}

QRgb DifferenceColour(int difference, int largest) {
    if (difference == 0 || largest <= 0) {
        return qRgb(255, 255, 255);
    }
    const double t = std::min(1.0, std::abs(difference) / static_cast<double>(largest));
    return Between(qRgb(255, 255, 255), difference < 0 ? LostColour : GainedColour, t);
}

int ScaleValue(int low, int high, int step, int steps) {
    const int span = std::max(1, steps);
    return high -
           static_cast<int>(std::lround(static_cast<double>(high - low) * (span - step) / span));
}
