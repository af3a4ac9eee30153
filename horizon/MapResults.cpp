#include "MapResults.h"

#include "HorizonGrid.h"
#include "HorizonPlot.h"
#include "PlotLegend.h"
#include "platform/Exception.h"

namespace {

bool IsMap(const TStringList& grid) {
    return static_cast<int>(grid.Count()) == GridAzimuths;
}

} // namespace

MapResults::MapResults(HorizonGrids& grids, PaletteSetting paletteSetting)
    : grids_(grids), paletteSetting_(std::move(paletteSetting)) {}

void MapResults::RestorePalette() {
    settings_.Colours = paletteSetting_.Read();
}

void MapResults::SavePalette() const {
    paletteSetting_.Write(settings_.Colours);
}

void MapResults::Load(const std::string& path) {
    grids_.LoadedFileName = path;
    grids_.LoadGrid(path);
    difference_.reset();
}

void MapResults::RequireLoadedMap() const {
    if (!IsMap(grids_.LoadedGrid)) {
        throw Exception("Load the map to compare with first (File > Load ...).");
    }
}

void MapResults::Compare(const std::string& path) {
    RequireLoadedMap();
    TStringList after;
    after.LoadFromFile(path);
    difference_.emplace(grids_.LoadedGrid, after);
}

void MapResults::DrawLive(TExtBitmap& target) const {
    PlotHorizon(target, grids_.LiveMap(system_), settings_);
    DrawPaletteLegend(target, settings_.Colours);
}

void MapResults::DrawLoaded(TExtBitmap& target) const {
    if (difference_) {
        PlotDifference(target, *difference_, settings_.Polar);
        DrawDifferenceLegend(target, *difference_);
        return;
    }
    PlotHorizon(target, grids_.LoadedGrid, settings_);
    if (IsMap(grids_.LoadedGrid)) {
        DrawPaletteLegend(target, settings_.Colours);
    }
}

MapExport MapResults::LiveExport() const {
    return MapExport(grids_.LiveMap(system_), settings_);
}

MapExport MapResults::LoadedExport() const {
    if (difference_) {
        return MapExport(*difference_, settings_.Polar);
    }
    if (!IsMap(grids_.LoadedGrid)) {
        throw Exception("No map is loaded on this tab (File > Load ...).");
    }
    return MapExport(grids_.LoadedGrid, settings_);
}
