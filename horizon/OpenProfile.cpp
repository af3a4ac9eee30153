#include "OpenProfile.h"

#include <algorithm>

namespace {

bool InRange(int azimuth) {
    return azimuth >= 0 && azimuth < GridAzimuths;
}

} // namespace

OpenProfile::OpenProfile(const SkyClasses& classes) {
    for (int q = 0; q < GridAzimuths; ++q) {
        const auto at = static_cast<std::size_t>(q);
        for (int e = 0; e < GridElevations; ++e) {
            const SkyClass skyClass = classes.At(q, e);
            if (skyClass == SkyClass::Open && !elevations_[at]) {
                elevations_[at] = e;
            }
            if (skyClass != SkyClass::Unseen) {
                highestReported_[at] = e;
            }
        }
        states_[at] = elevations_[at]        ? Azimuth::Open
                      : highestReported_[at] ? Azimuth::Blocked
                                             : Azimuth::Unseen;
    }
}

std::optional<int> OpenProfile::Elevation(int azimuth) const {
    return InRange(azimuth) ? elevations_[static_cast<std::size_t>(azimuth)] : std::nullopt;
}

OpenProfile::Azimuth OpenProfile::State(int azimuth) const {
    return InRange(azimuth) ? states_[static_cast<std::size_t>(azimuth)] : Azimuth::Unseen;
}

std::optional<int> OpenProfile::HighestReported(int azimuth) const {
    return InRange(azimuth) ? highestReported_[static_cast<std::size_t>(azimuth)] : std::nullopt;
}

bool OpenProfile::AnyKnown() const {
    return std::any_of(elevations_.begin(), elevations_.end(),
                       [](const std::optional<int>& elevation) { return elevation.has_value(); });
}
