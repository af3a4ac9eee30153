#include "SiteResults.h"

#include "ObservationsFile.h"
#include "platform/Exception.h"

const MapObservations& SiteResults::Live(std::optional<SatelliteSystem> system) const {
    if (!system) {
        return grids_.Observations;
    }
    static const MapObservations none;
    const MapObservations* observations = grids_.Systems.FindObservations(*system);
    return observations != nullptr ? *observations : none;
}

void SiteResults::LoadBeside(const std::string& mapPath) {
    loaded_.reset();
    missing_.clear();
    const std::string path = ObservationsFileName(mapPath);
    try {
        loaded_ = LoadObservations(path);
        if (!loaded_) {
            missing_ = "There is no observations file beside it (" + path + ").";
        }
    } catch (const std::exception& error) {
        missing_ = error.what();
    }
}

HorizonMask SiteResults::LiveMask(std::optional<SatelliteSystem> system, int threshold) const {
    return HorizonMask(Live(system), threshold);
}

HorizonMask SiteResults::LoadedMask(int threshold) const {
    if (!loaded_) {
        throw Exception("The loaded map has no horizon mask without its observations. " + missing_);
    }
    return HorizonMask(*loaded_, threshold);
}

SiteReport SiteResults::Report(const std::string& siteName, const PlotSettings& settings) const {
    return SiteReport(siteName, grids_.SiteMaps(), settings);
}
