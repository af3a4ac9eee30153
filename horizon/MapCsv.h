#pragma once

#include "DifferenceMap.h"
#include "HorizonProfile.h"
#include "MapObservations.h"
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

// "azimuth,elevation,heard,unheard,median,max": every cell reported at least once, in the order
// of CellsCsv, with its reports with and without a signal and the median (the lower middle one
// for an even count) and the strongest SNR heard; those two are empty where nothing was heard.
std::string ObservationsCsv(const MapObservations& observations);

// Each writes its text to `path` atomically; EFileError naming the file when it cannot.
void SaveCellsCsv(const std::string& path, const TStringList& grid);
void SaveProfileCsv(const std::string& path, const HorizonProfile& profile);
void SaveDifferenceCsv(const std::string& path, const DifferenceMap& map);
