#pragma once

#include "horizon/InViewSatellite.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class HorizonGrids;
class MapResults;

// What the page shows of the running program, read when a client asks: the program fills it in
// once, from the window's own parts, and the page only reads through it.
struct WebSources {
    // The live maps and their observations; the plot's settings and chosen system. Both outlive
    // the page.
    const HorizonGrids* Grids = nullptr;
    const MapResults* Results = nullptr;
    // Changes whenever a map or its observations may have changed.
    std::function<std::uint64_t()> Revision;
    // The satellites in view as the window's table shows them.
    std::function<std::vector<InViewSatellite>()> Satellites;
    // Sentences received since the start.
    std::function<std::size_t()> Sentences;
    // The status area's text, as the window shows it.
    std::function<std::string()> Status;
    // The receiver's port or address, and whether its data arrives.
    std::function<std::string()> Receiver;
    std::function<bool()> Connected;
    // Where the maps are kept, ending in "/".
    std::string DataFolder;
};
