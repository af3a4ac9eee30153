#pragma once

#include "Palette.h"

#include <QRgb>

// The colours of the maps. Each is opaque, 0xFFRRGGBB.

// The SNR range a palette's legend spans; the colours of its ends are those of Low and High.
struct PaletteScale {
    int Low = 0;
    int High = 0;
};

// Grey: the plot's grey levels (GreyLevel). Viridis: 0 dB at the dark end, ViridisFullScale and
// above at the bright end, evenly between; values outside 0..100 black, as the grey levels
// have them.
QRgb PaletteColour(Palette palette, int snr);

// Grey 0..40 dB (all of the grey bands), Viridis 0..ViridisFullScale.
PaletteScale ScaleOf(Palette palette);

// Clear-sky signals reach about 50 dB; stronger ones are rare enough to share the brightest
// colour.
inline constexpr int ViridisFullScale = 50;

// The value a key shows `step` steps along its bar from the `low` end, of `steps` evenly from
// `low` to `high`: rounded to the nearest, so that each value gets an even share and the ends
// half of one. The window's key and the exported picture's scale are read alike.
int ScaleValue(int low, int high, int step, int steps);

// The diverging colours of a difference map: white for 0, towards blue for signal lost and red
// for signal gained, reaching them at -largest and +largest (beyond, they stay).
QRgb DifferenceColour(int difference, int largest);
inline constexpr QRgb LostColour = 0xFF2166AC;
inline constexpr QRgb GainedColour = 0xFFB2182B;
