#include "MapResults.h"

#include "HorizonGrid.h"
#include "HorizonPlot.h"
#include "OpenProfile.h"
#include "PlotLegend.h"
#include "SkyClasses.h"
#include "SkyClassesPlot.h"
#include "platform/Exception.h"

namespace {

bool IsMap(const TStringList& grid) {
    return static_cast<int>(grid.Count()) == GridAzimuths;
}

void RequireShownMap(const TStringList& loaded) {
    if (!IsMap(loaded)) {
        throw Exception("No map is loaded on this tab (File > Load ...).");
    }
}

void DrawClasses(TExtBitmap& target, const MapObservations& observations,
                 const PlotSettings& settings) {
    const SkyClasses classes(observations, settings.ProfileThreshold);
    const OpenProfile profile(classes);
    PlotSkyClasses(target, classes, settings.Polar, settings.ProfileLine ? &profile : nullptr);
}

// The classes a picture of the map draws in its place; none unless chosen and known.
std::optional<SkyClasses> PictureClasses(const MapObservations* observations,
                                         const PlotSettings& settings) {
    if (!settings.Classes || observations == nullptr) {
        return std::nullopt;
    }
    return SkyClasses(*observations, settings.ProfileThreshold);
}

} // namespace

MapResults::MapResults(HorizonGrids& grids, PaletteSetting paletteSetting)
    : grids_(grids), paletteSetting_(std::move(paletteSetting)), site_(grids) {}

void MapResults::RestorePalette() {
    settings_.Colours = paletteSetting_.Read();
}

void MapResults::SavePalette() const {
    paletteSetting_.Write(settings_.Colours);
}

void MapResults::Load(const std::string& path) {
    grids_.LoadedFileName = path;
    // First, so that the observations follow the map even when it is read only in part.
    site_.LoadBeside(path);
    noteTold_ = false;
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
    if (settings_.Classes) {
        DrawClasses(target, site_.Live(system_), settings_);
        return;
    }
    PlotHorizon(target, grids_.LiveMap(system_), settings_);
    DrawPaletteLegend(target, settings_.Colours);
}

void MapResults::DrawLoaded(TExtBitmap& target) const {
    if (difference_) {
        PlotDifference(target, *difference_, settings_.Polar);
        DrawDifferenceLegend(target, *difference_);
        return;
    }
    if (settings_.Classes && IsMap(grids_.LoadedGrid) && site_.Loaded() != nullptr) {
        DrawClasses(target, *site_.Loaded(), settings_);
        return;
    }
    PlotHorizon(target, grids_.LoadedGrid, settings_);
    if (IsMap(grids_.LoadedGrid)) {
        DrawPaletteLegend(target, settings_.Colours);
    }
}

std::optional<std::string> MapResults::TakeNote() {
    if (noteTold_ || !settings_.Classes || difference_ || !IsMap(grids_.LoadedGrid) ||
        site_.Loaded() != nullptr) {
        return std::nullopt;
    }
    noteTold_ = true;
    return "The loaded map " + grids_.LoadedFileName +
           " is shown without sky classes: they need its observations. " + site_.Missing();
}

MapExport MapResults::LiveExport() const {
    return LiveExport(system_);
}

MapExport MapResults::LiveExport(std::optional<SatelliteSystem> system) const {
    return MapExport(grids_.LiveMap(system), settings_,
                     PictureClasses(&site_.Live(system), settings_));
}

MapExport MapResults::LoadedExport() const {
    if (difference_) {
        return MapExport(*difference_, settings_.Polar);
    }
    RequireShownMap(grids_.LoadedGrid);
    return MapExport(grids_.LoadedGrid, settings_, PictureClasses(site_.Loaded(), settings_));
}

HorizonMask MapResults::LiveMask() const {
    return LiveMask(system_);
}

HorizonMask MapResults::LiveMask(std::optional<SatelliteSystem> system) const {
    return site_.LiveMask(system, settings_.ProfileThreshold);
}

HorizonMask MapResults::LoadedMask() const {
    if (difference_) {
        throw Exception("A difference of two maps has no horizon mask; export it from the map "
                        "itself.");
    }
    RequireShownMap(grids_.LoadedGrid);
    return site_.LoadedMask(settings_.ProfileThreshold);
}

SiteReport MapResults::Report(const std::string& siteName) const {
    return site_.Report(siteName, settings_);
}
