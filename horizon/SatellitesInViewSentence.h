#pragma once

#include "SatelliteTable.h"
#include "platform/TStringList.h"

#include <string_view>

// Handles the body of one satellites-in-view sentence (the text between "$GPGSV," and "*"):
// shows the count and up to four satellite rows, and folds every satellite with a direction (its
// elevation and azimuth fields not empty) into `grid`.
// Never raises: a sentence that cannot be handled ends silently, keeping what it had changed.
// True when the sentence was taken, which shows in the satellites-in-view count.
bool HandleSatellitesInView(std::string_view body, SatelliteTable& table, TStringList& grid);
