#include "GridCellValues.h"

#include "platform/CommaText.h"
#include "platform/Conversions.h"

#include <algorithm>
#include <string>

GridCellValues::GridCellValues() {
    std::fill(valid_.begin(), valid_.end(), std::uint8_t{1});
}

GridCellValues::GridCellValues(const TStringList& grid) {
    std::vector<std::string> fields;
    const int lines = static_cast<int>(std::min<std::size_t>(grid.Count(), GridAzimuths));
    for (int q = 0; q < lines; ++q) {
        SplitCommaText(grid.Get(static_cast<std::size_t>(q)), fields);
        for (int e = 0; e < GridElevations; ++e) {
            const auto field = static_cast<std::size_t>(e) + 1;
            std::int32_t value = 0;
            if (field < fields.size() && TryStrToInt(fields[field], value)) {
                Set(q, e, value);
            }
        }
    }
}
