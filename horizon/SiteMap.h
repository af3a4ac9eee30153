#pragma once

#include "MapObservations.h"
#include "SatelliteSystem.h"
#include "platform/TStringList.h"

#include <optional>

// One map with its observations, as the site's assessment and report take them: the combined map
// (no system) or one system's. Both point into their owner, which outlives this.
struct SiteMap {
    std::optional<SatelliteSystem> System;
    const TStringList* Grid = nullptr;
    const MapObservations* Observations = nullptr;
};
