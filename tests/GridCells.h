#pragma once

#include "platform/TStringList.h"

#include <string>

// How many cells of a grid hold something other than "0": what a stream of reports raised.
inline int RaisedCells(const TStringList& grid) {
    int raised = 0;
    for (const std::string& line : grid.Lines()) {
        // Every field after the azimuth.
        for (std::size_t comma = line.find(','); comma != std::string::npos;) {
            const std::size_t next = line.find(',', comma + 1);
            const std::size_t end = next == std::string::npos ? line.size() : next;
            raised += line.compare(comma + 1, end - comma - 1, "0") != 0 ? 1 : 0;
            comma = next;
        }
    }
    return raised;
}
