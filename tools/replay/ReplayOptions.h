#pragma once

#include "horizon/PlotSettings.h"
#include "horizon/SatelliteSystem.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* ReplayUsage =
    "usage: skyfence-replay INPUT OUTPUT.dat [--all-systems] [--grid START.dat] [--block N] "
    "[--picture FILE.png [--system NAME] [--polar] [--filled] [--average 1|2|5|10]]";

// What one run of the replay tool does.
struct ReplayOptions {
    static constexpr std::size_t DefaultBlockSize = 64;
    // A block this large already holds hours of reception; more would only cost memory.
    static constexpr std::size_t MaxBlockSize = 64 * 1024 * 1024;

    std::string Input;
    std::string Output;
    std::optional<std::string> StartGrid;
    std::optional<std::string> Picture;
    // The all-systems receiver setting: each system's map is written too, beside the output.
    bool AllSystems = false;
    // The system whose map the picture shows; the combined map when absent.
    std::optional<SatelliteSystem> PictureSystem;
    std::size_t BlockSize = DefaultBlockSize;
    PlotSettings Plot;
    bool Help = false;
};

// Reads the arguments after the program name. Raises EReplayUsage for a command line that
// cannot be run; with --help, nothing else is looked at past it.
ReplayOptions ParseReplayArguments(const std::vector<std::string>& arguments);
