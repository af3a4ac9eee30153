#pragma once

#include "DifferenceMap.h"
#include "HorizonGrids.h"
#include "MapExport.h"
#include "PaletteSetting.h"
#include "PlotSettings.h"
#include "SatelliteSystem.h"

#include <optional>
#include <string>

class TExtBitmap;

// What the two plots show and what a user takes away of them: the settings both are drawn with,
// the map of the live plot (the combined one or one system's) and the loaded map of the file
// plot, or its difference from a second map. The palette is kept between runs.
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

    // Makes the map at `path` the file plot's, in place of a difference; raises EFileError (the
    // loaded grid then holds what was read, the difference stays).
    void Load(const std::string& path);
    // Raises Exception unless a map is loaded that another can be compared with.
    void RequireLoadedMap() const;
    // The loaded map is "before", the one at `path` "after"; the file plot shows the difference.
    void Compare(const std::string& path);
    const std::optional<DifferenceMap>& Difference() const { return difference_; }

    // The grey plot is the picture it always was; the colour palette brings its key along.
    void DrawLive(TExtBitmap& target) const;
    void DrawLoaded(TExtBitmap& target) const;

    MapExport LiveExport() const;
    // The difference while there is one; raises Exception when no map is loaded.
    MapExport LoadedExport() const;

private:
    HorizonGrids& grids_;
    PaletteSetting paletteSetting_;
    PlotSettings settings_;
    std::optional<SatelliteSystem> system_;
    std::optional<DifferenceMap> difference_;
};
