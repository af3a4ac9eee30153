#include "WebSite.h"

#include "WebState.h"
#include "horizon/HorizonGrids.h"
#include "horizon/MapResults.h"
#include "horizon/PngFile.h"
#include "horizon/SiteNumbers.h"
#include "horizon/SkyClasses.h"
#include "platform/Formatting.h"

#include <QFile>
#include <QJsonDocument>
#include <QSysInfo>

#include <exception>
#include <filesystem>

namespace {

constexpr const char* Png = "image/png";
constexpr const char* Csv = "text/csv; charset=utf-8";
constexpr const char* Text = "text/plain; charset=utf-8";
constexpr const char* Html = "text/html; charset=utf-8";

std::string MapName(std::optional<SatelliteSystem> system) {
    return system ? SystemName(*system) : "all";
}

// "skyfence-cells.csv", "skyfence-GPS-cells.csv".
std::string FileName(std::optional<SatelliteSystem> system, const std::string& leaf) {
    return std::string("skyfence-") + (system ? std::string(SystemName(*system)) + "-" : "") + leaf;
}

void Attach(WebResponse& response, const std::string& fileName) {
    response.Headers.emplace_back("Content-Disposition",
                                  "attachment; filename=\"" + fileName + "\"");
}

WebResponse Refusal(int status, const std::string& message) {
    return {status, Text, message + "\n", {}};
}

// What the page's script fetches again and again is never taken from a browser's cache.
WebResponse Fresh(WebResponse response) {
    response.Headers.emplace_back("Cache-Control", "no-cache");
    return response;
}

std::string PageHtml() {
    QFile page(":/web/page.html");
    return page.open(QIODevice::ReadOnly) ? page.readAll().toStdString() : std::string();
}

std::optional<std::chrono::sys_seconds> LastWritten(const std::string& path) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    if (error) {
        return std::nullopt;
    }
    return std::chrono::floor<std::chrono::seconds>(std::chrono::file_clock::to_sys(written));
}

} // namespace

WebSite::WebSite(WebSources sources, bool showPosition, Clock clock)
    : sources_(std::move(sources)), showPosition_(showPosition), clock_(std::move(clock)) {}

WebHandler WebSite::Handler() {
    return [this](std::string_view path, const std::map<std::string, std::string>& query) {
        return Answer(path, query);
    };
}

std::optional<WebResponse> WebSite::Answer(std::string_view path,
                                           const std::map<std::string, std::string>& query) {
    if (path == "/") {
        return WebResponse{200, Html, PageHtml(), {}};
    }
    if (path == "/state.json") {
        return Fresh({200,
                      "application/json",
                      QJsonDocument(State()).toJson(QJsonDocument::Compact).toStdString(),
                      {}});
    }
    static constexpr std::string_view Downloads[] = {"/cells.csv", "/profile.csv", "/mask.csv",
                                                     "/mask.aem", "/report.html"};
    const bool picture = path == "/map.png" || path == "/classes.png";
    if (!picture &&
        std::find(std::begin(Downloads), std::end(Downloads), path) == std::end(Downloads)) {
        return std::nullopt;
    }
    std::optional<SatelliteSystem> system = sources_.Results->System();
    if (const auto named = query.find("system"); named != query.end()) {
        system = SystemFromName(named->second);
        if (!system && named->second != "all") {
            return Refusal(400, "No such satellite system: " + named->second);
        }
    }
    if (picture) {
        const auto download = query.find("download");
        return Picture(system, path == "/classes.png",
                       download != query.end() && download->second != "0");
    }
    return Download(path, system);
}

std::uint64_t WebSite::Revision() {
    const auto now = clock_();
    const std::uint64_t maps = sources_.Revision ? sources_.Revision() : 0;
    const bool mapsChanged = heldRevision_ && maps != *heldRevision_ && now - heldAt_ >= Hold;
    if (!heldRevision_ || mapsChanged) {
        heldRevision_ = maps;
        heldAt_ = now;
    }
    std::string settings = SettingsKey();
    if (mapsChanged || settings != heldSettings_) {
        heldSettings_ = std::move(settings);
        ++revision_;
    }
    return revision_;
}

// Everything of the plot's settings a picture depends on, and the system the window shows.
std::string WebSite::SettingsKey() const {
    const PlotSettings& settings = sources_.Results->Settings();
    return Format("%d %d %d %d %d %d ", settings.AverageWidth, settings.Filled, settings.Polar,
                  settings.ProfileLine, settings.ProfileThreshold, settings.Classes) +
           PaletteToText(settings.Colours) + " " + MapName(sources_.Results->System());
}

WebResponse WebSite::Cached(const std::string& key, const std::function<WebResponse()>& make) {
    return cache_.Get(Revision(), key, [&make] {
        try {
            return make();
        } catch (const std::exception& error) {
            // Nothing to give yet (no open direction for a mask, say): the reason says why.
            return Refusal(404, error.what());
        }
    });
}

WebResponse WebSite::Picture(std::optional<SatelliteSystem> system, bool classes, bool download) {
    const std::string leaf = classes ? "classes.png" : "map.png";
    WebResponse response = Cached(leaf + " " + MapName(system), [this, system, classes] {
        const MapResults& results = *sources_.Results;
        PlotSettings settings = results.Settings();
        const QSize size = settings.Polar ? PolarPicture : RectangularPicture;
        if (!classes) {
            return WebResponse{200, Png, PngBytes(results.LiveExport(system).Picture(size)), {}};
        }
        // The classes always with the open profile: the page shows the map beside them.
        settings.ProfileLine = true;
        const MapExport picture(sources_.Grids->LiveMap(system), settings,
                                SkyClasses(results.Site().Live(system), settings.ProfileThreshold));
        return WebResponse{200, Png, PngBytes(picture.Picture(size)), {}};
    });
    if (download && response.Status == 200) {
        Attach(response, FileName(system, leaf));
    }
    return Fresh(std::move(response));
}

WebResponse WebSite::Download(std::string_view path, std::optional<SatelliteSystem> system) {
    const std::string leaf(path.substr(1));
    const std::string key = leaf == "report.html" ? leaf : leaf + " " + MapName(system);
    WebResponse response = Cached(key, [this, system, &leaf] {
        const MapResults& results = *sources_.Results;
        if (leaf == "cells.csv") {
            return WebResponse{200, Csv, results.LiveExport(system).Cells(), {}};
        }
        if (leaf == "profile.csv") {
            return WebResponse{200, Csv, results.LiveExport(system).Profile(), {}};
        }
        if (leaf == "mask.csv") {
            return WebResponse{200, Csv, results.LiveMask(system).Csv(), {}};
        }
        if (leaf == "mask.aem") {
            return WebResponse{200, Text, results.LiveMask(system).AzElMask(), {}};
        }
        // The site is the machine's: its host name names the report. The receiver's position
        // stays out of it unless it may be shown.
        std::vector<SiteMap> maps = sources_.Grids->SiteMaps();
        MapObservations withoutPosition;
        if (!showPosition_) {
            withoutPosition = *maps.front().Observations;
            withoutPosition.SetPositions({});
            maps.front().Observations = &withoutPosition;
        }
        const SiteReport report(QSysInfo::machineHostName().toStdString(), std::move(maps),
                                results.Settings());
        return WebResponse{200, Html, report.Html(), {}};
    });
    if (response.Status == 200) {
        Attach(response, leaf == "report.html" ? "skyfence-report.html" : FileName(system, leaf));
    }
    return response;
}

QJsonObject WebSite::Site() {
    const std::uint64_t revision = Revision();
    if (!site_ || site_->first != revision) {
        const HorizonGrids& grids = *sources_.Grids;
        std::vector<std::pair<SatelliteSystem, const MapObservations*>> systems;
        for (const SatelliteSystem system : AllSatelliteSystems) {
            if (const MapObservations* observations = grids.Systems.FindObservations(system)) {
                systems.emplace_back(system, observations);
            }
        }
        const SiteNumbers numbers(grids.Observations, systems,
                                  sources_.Results->Settings().ProfileThreshold);
        site_.emplace(revision, SiteNumbersJson(numbers));
    }
    return site_->second;
}

QJsonObject WebSite::State() {
    const HorizonGrids& grids = *sources_.Grids;
    const MapResults& results = *sources_.Results;
    QJsonArray systems;
    for (const SatelliteSystem system : AllSatelliteSystems) {
        if (grids.Systems.Find(system) != nullptr) {
            systems.append(SystemName(system));
        }
    }
    QJsonObject state{
        {"revision", static_cast<qint64>(Revision())},
        {"status", QString::fromStdString(sources_.Status ? sources_.Status() : "")},
        {"receiver", QString::fromStdString(sources_.Receiver ? sources_.Receiver() : "")},
        {"connected", sources_.Connected && sources_.Connected()},
        {"dataFolder", QString::fromStdString(sources_.DataFolder)},
        {"lastSaved", UtcJson(LastWritten(grids.DataFileName))},
        {"observed", ObservedJson(grids.Observations.Reception())},
        {"sentences", static_cast<qint64>(sources_.Sentences ? sources_.Sentences() : 0)},
        {"satellites", SatellitesJson(sources_.Satellites ? sources_.Satellites()
                                                          : std::vector<InViewSatellite>())},
        {"site", Site()},
        {"systems", systems},
        {"system", QString::fromStdString(MapName(results.System()))},
        {"polar", results.Settings().Polar},
        {"palette", QString::fromStdString(PaletteToText(results.Settings().Colours))},
    };
    if (showPosition_) {
        state.insert("position", PositionJson(grids.Observations));
    }
    return state;
}
