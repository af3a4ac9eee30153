#pragma once

#include "HorizonGrids.h"
#include "HorizonMask.h"
#include "MapObservations.h"
#include "PlotSettings.h"
#include "SatelliteSystem.h"
#include "SiteReport.h"

#include <optional>
#include <string>

// What the observations make of the maps the two plots show: the live map's observations (the
// grids count them) and a loaded map's (the file beside it, where there is one), their horizon
// masks, and the site report of the live maps.
class SiteResults {
public:
    // `grids` outlives this.
    explicit SiteResults(const HorizonGrids& grids) : grids_(grids) {}

    // The observations of the live map of `system` (the combined one for none); none counted yet
    // for a system without any.
    const MapObservations& Live(std::optional<SatelliteSystem> system) const;

    // Reads the observations file beside the map at `mapPath`. Never raises: a map without them
    // (no such file, or one that cannot be read) is still a map, and Missing() says why.
    void LoadBeside(const std::string& mapPath);
    // The loaded map's observations; nullptr when it has none.
    const MapObservations* Loaded() const { return loaded_ ? &*loaded_ : nullptr; }
    // Why the loaded map has no observations; empty while it has.
    const std::string& Missing() const { return missing_; }

    HorizonMask LiveMask(std::optional<SatelliteSystem> system, int threshold) const;
    // Raises Exception saying why when the loaded map has no observations.
    HorizonMask LoadedMask(int threshold) const;

    // The combined live map first, then each system's; the settings' palette and threshold.
    SiteReport Report(const std::string& siteName, const PlotSettings& settings) const;

private:
    const HorizonGrids& grids_;
    std::optional<MapObservations> loaded_;
    std::string missing_;
};
