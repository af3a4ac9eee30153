#pragma once

#include "DifferenceMap.h"
#include "HorizonProfile.h"
#include "platform/TStringList.h"

#include <string>

// The maps as comma-separated text for spreadsheets and scripts: a header line, then one row a
// line, each line ending in "\n", numbers in decimal.

// "azimuth,elevation,snr": every cell that received something (SNR above 0), azimuth by azimuth,
// each from the horizon up. Cells missing or no number are left out, as cells of 0.
std::string CellsCsv(const TStringList& grid);

// "azimuth,elevation": 360 rows, azimuth 0..359; the elevation is empty where the horizon is not
// known.
std::string ProfileCsv(const HorizonProfile& profile);

// "azimuth,elevation,difference": the cells that changed, in the order of CellsCsv.
std::string DifferenceCsv(const DifferenceMap& map);

// Each writes its text to `path` atomically; EFileError naming the file when it cannot.
void SaveCellsCsv(const std::string& path, const TStringList& grid);
void SaveProfileCsv(const std::string& path, const HorizonProfile& profile);
void SaveDifferenceCsv(const std::string& path, const DifferenceMap& map);
