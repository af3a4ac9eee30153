#pragma once

#include <optional>
#include <string>

// The program ended by itself with status 0, as waitpid reported it.
bool EndedWell(const std::optional<int>& status);

// The data file holds 360 lines of an azimuth and 91 cells, and something was received.
void ExpectReceivedMap(const std::string& path);
