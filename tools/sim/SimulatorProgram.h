#pragma once

#include <ostream>
#include <string>
#include <vector>

// The simulator from its command line (without the program's name) to its exit status: 0 after
// a stop signal or the end of a replay, 1 when it cannot run, 2 for a command line it does not
// take. The device's path goes to `out`, messages to `err`.
int RunSimulator(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
