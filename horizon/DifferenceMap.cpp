#include "DifferenceMap.h"

#include <algorithm>
#include <cstdlib>

DifferenceMap::DifferenceMap(const TStringList& before, const TStringList& after) {
    const GridCellValues first(before);
    const GridCellValues second(after);
    for (int q = 0; q < GridAzimuths; ++q) {
        for (int e = 0; e < GridElevations; ++e) {
            // In 64 bits: damaged cells may hold any 32-bit number.
            const std::int64_t change =
                std::int64_t{second.Value(q, e)} - std::int64_t{first.Value(q, e)};
            const int difference =
                static_cast<int>(std::clamp<std::int64_t>(change, -Limit, Limit));
            cells_.Set(q, e, difference);
            largest_ = std::max(largest_, std::abs(difference));
        }
    }
}
