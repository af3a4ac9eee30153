#pragma once

#include "ReplayOptions.h"

// Replays the input onto the start grid and writes the data file and, when asked, the
// picture, the cells and the horizon profile of the map, and what changed from the map compared
// with (a picture and cells). Annotated pictures and the difference picture draw text: the
// caller makes the application object (QGuiApplication) first. With all systems, each system's map
// starts from its file beside the start grid where there is one, and every system that has a map is
// written beside the output. Raises Exception (EFileError naming the file for file trouble; a
// picture of a system without a map). No output is ever partly written, and one that cannot be
// created keeps the others from being written at all; should a replacement fail once others are
// done, the error names those.
void RunReplay(const ReplayOptions& options);
