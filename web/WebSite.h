#pragma once

#include "ResponseCache.h"
#include "WebResponse.h"
#include "WebSources.h"
#include "horizon/SatelliteSystem.h"

#include <QJsonObject>
#include <QSize>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// The program's read-only web page: every route it answers, each a fixed resource (nothing a
// request names is ever a file), read from the running program through its sources.
//
//   /             the page itself, with its own script and style
//   /state.json   status, satellites, periods, site numbers, systems, revision
//   /map.png      the live map as the window draws it (layout, palette), annotated;
//                 ?system=NAME for a system's map ("all": the combined one), ?download=1
//   /classes.png  the sky classes with the open profile (same ?system=)
//   /cells.csv /profile.csv /mask.csv /mask.aem (same ?system=), /report.html: downloads
//
// Pictures, downloads and the site's numbers are made once per revision and shared by all
// clients. A change of the maps is taken up at most once per Hold, however fast the receiver
// changes them (every second), so that a page left open costs a picture now and then: on a week's
// maps a new pair takes some 45 ms and the site's numbers 25 ms. A change of the plot's settings
// is taken up at once.
class WebSite {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::chrono::seconds Hold{15};
    static constexpr QSize RectangularPicture{960, 400};
    static constexpr QSize PolarPicture{640, 520};

    // `showPosition`: the receiver's position (state.json "position", the report's) is shown.
    WebSite(WebSources sources, bool showPosition, Clock clock = std::chrono::steady_clock::now);

    std::optional<WebResponse> Answer(std::string_view path,
                                      const std::map<std::string, std::string>& query);
    // Answer, for the server; this outlives it.
    WebHandler Handler();

    // What state.json holds.
    QJsonObject State();

private:
    // The revision of what the page shows: the maps' (as held) and the plot's settings.
    std::uint64_t Revision();
    std::string SettingsKey() const;
    WebResponse Cached(const std::string& key, const std::function<WebResponse()>& make);
    WebResponse Picture(std::optional<SatelliteSystem> system, bool classes, bool download);
    WebResponse Download(std::string_view path, std::optional<SatelliteSystem> system);
    QJsonObject Site();

    WebSources sources_;
    bool showPosition_;
    Clock clock_;
    // The maps' revision taken up, and when.
    std::optional<std::uint64_t> heldRevision_;
    std::chrono::steady_clock::time_point heldAt_;
    std::string heldSettings_;
    std::uint64_t revision_ = 0;
    ResponseCache cache_;
    // The site's numbers of the revision shown.
    std::optional<std::pair<std::uint64_t, QJsonObject>> site_;
};
