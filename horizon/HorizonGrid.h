#pragma once

#include "platform/TStringList.h"

#include <string>

// A horizon grid: line a holds azimuth a followed by the cells for elevations 0 to 90, each the
// highest SNR in dB seen from that direction.
inline constexpr int GridAzimuths = 360;
inline constexpr int GridElevations = 91;

// The decimal azimuth followed by 91 times ",0".
std::string NewGridLine(int azimuth);

// 360 new lines, azimuths 0 to 359.
TStringList NewGrid();

// Raises the cell (azimuth, elevation) to `snr` when it holds less, and stores the line back in
// joined form either way. Raises EListError when the grid has no such line or the line no such
// field, EConvertError when the field is not an integer; the line is then unchanged.
void FoldReport(TStringList& grid, int azimuth, int elevation, int snr);
