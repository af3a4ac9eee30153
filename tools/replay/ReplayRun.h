#pragma once

#include "ReplayOptions.h"

// Replays the input onto the start grid and writes the data file and, when asked, the
// picture. Raises Exception (EFileError naming the file for file trouble). No output is ever
// partly written, and one that cannot be created keeps the other from being written at all.
void RunReplay(const ReplayOptions& options);
