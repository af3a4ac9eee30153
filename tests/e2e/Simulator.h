#pragma once

#include "ChildProgram.h"

#include <string>
#include <vector>

// The simulated receiver, its pseudo-terminal linked at `link`; the one built, or `executable`.
struct Simulator {
    Simulator(const std::string& link, const std::vector<std::string>& options,
              const std::string& executable = SKYFENCE_SIM);

    ChildProgram program;
    // The terminal it writes to, as it announces it; empty when it did not.
    std::string device;
};
