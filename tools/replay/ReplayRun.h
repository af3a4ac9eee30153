#pragma once

#include "ReplayOptions.h"

#include <functional>
#include <string>

// Hears of trouble that does not stop the replay.
using ReplayWarning = std::function<void(const std::string& message)>;

// Replays the input onto the start grid and writes the data file with its observations beside it
// and, when asked, the picture, the cells and the horizon profile of the map, what changed from
// the map compared with (a picture and cells), the observations as cells, the site's report and
// the horizon mask. Annotated pictures, the difference picture and the report draw text: the
// caller makes the application object (QGuiApplication) first. Observations go on from those
// beside the start grid where there are some; damaged ones are told to `warn` and counting starts
// afresh. With all systems, each system's map and observations start from their files beside the
// start grid where there are some, and every system that has a map or observations has them
// written beside the output. Raises Exception (EFileError naming the file for file trouble; a
// picture of a system without a map; a mask without a known azimuth). No output is ever partly
// written, and one that cannot be created keeps the others from being written at all; should a
// replacement fail once others are done, the error names those.
void RunReplay(const ReplayOptions& options, const ReplayWarning& warn);
