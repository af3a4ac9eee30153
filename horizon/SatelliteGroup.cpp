#include "SatelliteGroup.h"

#include "platform/Conversions.h"

#include <algorithm>

namespace {

constexpr std::int32_t MaxElevation = 90;
constexpr std::int32_t MaxAzimuth = 359;

} // namespace

InViewSatellite ReadSatelliteGroup(const std::vector<std::string>& fields, std::size_t first,
                                   std::size_t end) {
    InViewSatellite satellite;
    satellite.PRN = StrToIntDef(fields[first], 0);
    // Receivers leave both empty for a satellite they hear but cannot place yet, and in the
    // reports of a second signal; folding that as 0, 0 would raise a cell at the horizon due
    // north that no satellite was ever seen from.
    satellite.HasPosition = !fields[first + 1].empty() && !fields[first + 2].empty();
    if (satellite.HasPosition) {
        satellite.Elevation = std::clamp(StrToIntDef(fields[first + 1], 0), 0, MaxElevation);
        satellite.Azimuth = std::clamp(StrToIntDef(fields[first + 2], 0), 0, MaxAzimuth);
    }
    if (first + 3 < end) {
        satellite.HasSnr = !fields[first + 3].empty();
        satellite.SNR = StrToIntDef(fields[first + 3], 0);
    }
    return satellite;
}
