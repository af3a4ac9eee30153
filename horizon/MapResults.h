#pragma once

#include "DifferenceMap.h"
#include "HorizonGrids.h"
#include "MapExport.h"
#include "PaletteSetting.h"
#include "PlotSettings.h"
#include "SatelliteSystem.h"
#include "SiteResults.h"

#include <optional>
#include <string>

class TExtBitmap;

// What the two plots show and what a user takes away of them: the settings both are drawn with,
// the map of the live plot (the combined one or one system's) and the loaded map of the file
// plot, or its difference from a second map, and what their observations make of them (the
// sky classes, drawn in place of the map when chosen, the horizon mask, the site report). The
// palette is kept between runs.
class MapResults {
public:
    // `grids` outlives this; its loaded grid is the file plot's map.
    MapResults(HorizonGrids& grids, PaletteSetting paletteSetting);

    PlotSettings& Settings() { return settings_; }
    const PlotSettings& Settings() const { return settings_; }
    // The map the live plot shows: the combined one (no system) or one system's.
    std::optional<SatelliteSystem> System() const { return system_; }
    void SetSystem(std::optional<SatelliteSystem> system) { system_ = system; }

    // Takes the palette of the last run (the default when none was kept).
    void RestorePalette();
    // Keeps the palette in use for the next run; raises when it cannot be stored.
    void SavePalette() const;

    // Makes the map at `path` the file plot's, in place of a difference, with the observations
    // file beside it where there is one; raises EFileError (the loaded grid then holds what was
    // read, the difference stays).
    void Load(const std::string& path);
    // Raises Exception unless a map is loaded that another can be compared with.
    void RequireLoadedMap() const;
    // The loaded map is "before", the one at `path` "after"; the file plot shows the difference.
    void Compare(const std::string& path);
    const std::optional<DifferenceMap>& Difference() const { return difference_; }

    // The grey plot is the picture it always was; the colour palette brings its key along. With
    // the sky classes chosen, a map with observations is drawn as its classes; a difference, or a
    // loaded map without observations, as always.
    void DrawLive(TExtBitmap& target) const;
    void DrawLoaded(TExtBitmap& target) const;
    // Why the loaded map is drawn without the sky classes chosen for it: once after each Load,
    // while the file plot shows a map that has no observations; empty otherwise.
    std::optional<std::string> TakeNote();

    MapExport LiveExport() const;
    // The live map of `system` (the combined one for none) as the live plot would draw it.
    MapExport LiveExport(std::optional<SatelliteSystem> system) const;
    // The difference while there is one; raises Exception when no map is loaded.
    MapExport LoadedExport() const;

    HorizonMask LiveMask() const;
    HorizonMask LiveMask(std::optional<SatelliteSystem> system) const;
    // Raises Exception saying why when no map is loaded, a difference is shown, or the loaded map
    // has no observations.
    HorizonMask LoadedMask() const;
    // The site report of the live maps.
    SiteReport Report(const std::string& siteName) const;
    // What the live maps' observations make of them, for those who show more than one.
    const SiteResults& Site() const { return site_; }

private:
    HorizonGrids& grids_;
    PaletteSetting paletteSetting_;
    PlotSettings settings_;
    std::optional<SatelliteSystem> system_;
    std::optional<DifferenceMap> difference_;
    SiteResults site_;
    bool noteTold_ = false;
};
