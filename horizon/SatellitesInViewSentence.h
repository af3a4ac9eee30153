#pragma once

#include "SatelliteReport.h"
#include "SatelliteTable.h"
#include "platform/TStringList.h"

#include <string_view>
#include <vector>

// Handles the body of one satellites-in-view sentence (the text between "$GPGSV," and "*"):
// shows the count and up to four satellite rows, and folds every satellite with a direction (its
// elevation and azimuth fields not empty) into `grid`.
// Never raises: a sentence that cannot be handled ends silently, keeping what it had changed.
// True when the sentence was taken, which shows in the satellites-in-view count.
// With `reports`, the groups of a taken sentence with a satellite number and a direction are
// appended to it, whatever became of the table and the grid: the reports the observations count.
bool HandleSatellitesInView(std::string_view body, SatelliteTable& table, TStringList& grid,
                            std::vector<SatelliteReport>* reports = nullptr);
