#pragma once

#include "HorizonPicture.h"
#include "horizon/PlotSettings.h"
#include "horizon/SatelliteSystem.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* ReplayUsage =
    "usage: skyfence-replay INPUT OUTPUT.dat [--all-systems] [--grid START.dat] [--block N] "
    "[--picture FILE.png [--system NAME] [--polar] [--filled] [--average 1|2|5|10] [--colour] "
    "[--annotate] [--profile-line] [--size WIDTHxHEIGHT]] [--cells CELLS.csv] "
    "[--profile PROFILE.csv] [--threshold DB] [--compare BEFORE.dat [--difference DIFF.png] "
    "[--difference-cells DIFF.csv]] [--observations OBSERVATIONS.csv] "
    "[--report FILE.html|FILE.pdf [--site-name TEXT]] [--mask FILE.csv|FILE.aem]";

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
    // The picture's palette, layout and profile line; the profile's threshold.
    PlotSettings Plot;
    // Compass letters, rings or ticks and the scale bar around the picture's plot.
    bool Annotate = false;
    // Of each picture written; the plot alone fills it unless annotated.
    int PictureWidth = HorizonPictureWidth;
    int PictureHeight = HorizonPictureHeight;
    // The output's map as comma-separated cells, and its horizon profile.
    std::optional<std::string> Cells;
    std::optional<std::string> Profile;
    // The map the output's is compared with, and what is written of the difference: a picture
    // (annotated, in the layout of --polar and the size of --size) and its cells.
    std::optional<std::string> Compare;
    std::optional<std::string> Difference;
    std::optional<std::string> DifferenceCells;
    // The combined map's observations as comma-separated cells.
    std::optional<std::string> Observations;
    // The site's report (HTML or PDF by the name's extension) under the site's name: the input's
    // file name unless given.
    std::optional<std::string> Report;
    std::string SiteName;
    // The open profile as a horizon mask for other software (AzElMask text for ".aem", else CSV).
    std::optional<std::string> Mask;
    bool Help = false;
};

// Reads the arguments after the program name. Raises EReplayUsage for a command line that
// cannot be run, among them one whose output would replace the log, a map it reads or another
// output (the files named are looked at for that); with --help, nothing else is looked at past
// it.
ReplayOptions ParseReplayArguments(const std::vector<std::string>& arguments);
