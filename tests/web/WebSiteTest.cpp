#include "web/WebSite.h"

#include "horizon/HorizonGrids.h"
#include "horizon/MapResults.h"
#include "horizon/ReceivePath.h"
#include "horizon/ReceiverMode.h"

#include "TemporaryFolder.h"
#include "horizon/RecordingSkyTable.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;

namespace {

constexpr const char* SettingsKey = "HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence";
// Four satellites of GPS, heard clearly: their cells are open.
constexpr const char* GpsSky =
    "$GPGSV,3,1,11,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*74\r\n";
constexpr const char* LaterGpsSky =
    "$GPGSV,3,1,11,03,60,120,48,05,33,200,44,17,12,020,40,20,50,260,42*70\r\n";
constexpr const char* AllSystemsSky = "$GLGSV,1,1,02,71,35,120,38,72,20,045,*60\r\n";

using Query = std::map<std::string, std::string>;

// A program's live maps, reception and plot, as the window holds them, with its web page.
class Page : public testing::Test {
protected:
    explicit Page(bool showPosition = false)
        : results_(grids_, PaletteSetting(SettingsKey, folder_.File("registry.reg"))),
          reception_(grids_, table_, nullptr),
          site_(Sources(), showPosition, [this] { return now_; }) {
        grids_.SetUp(folder_.Path());
    }

    WebSources Sources() {
        return {&grids_,
                &results_,
                [this] { return reception_.Revision(); },
                [this] { return reception_.InView(); },
                [this] {
                    return reception_.PositionSentences() + reception_.SatellitesInViewSentences();
                },
                [] { return std::string("The receiver /dev/ttyUSB0 was lost at 16:00:00"); },
                [] { return std::string("/dev/ttyUSB0"); },
                [] { return false; },
                folder_.Path()};
    }

    WebResponse Get(const std::string& path, const Query& query = {}) {
        const std::optional<WebResponse> response = site_.Answer(path, query);
        if (!response) {
            ADD_FAILURE() << path << " is no route";
            return {};
        }
        return *response;
    }

    QJsonObject State() {
        return QJsonDocument::fromJson(QByteArray::fromStdString(Get("/state.json").Body)).object();
    }

    // Past the time a revision is held.
    void Later() { now_ += WebSite::Hold; }

    TemporaryFolder folder_;
    HorizonGrids grids_;
    MapResults results_;
    RecordingSkyTable table_;
    ReceivePath reception_;
    std::chrono::steady_clock::time_point now_{};
    WebSite site_;
};

class PageWithPosition : public Page {
protected:
    PageWithPosition() : Page(true) {}
};

std::optional<std::string> Header(const WebResponse& response, const std::string& name) {
    for (const auto& [key, value] : response.Headers) {
        if (key == name) {
            return value;
        }
    }
    return std::nullopt;
}

struct RouteCase {
    std::string path;
    Query query;
    int status;
    std::string contentType;
    // The file a download is saved as; empty for what a browser shows.
    std::string attachment;
};

TEST_F(Page, AnswersEveryRouteWithItsKindOfContent) {
    reception_.AppendBlock(GpsSky);
    const std::vector<RouteCase> routes{
        {"/", {}, 200, "text/html; charset=utf-8", ""},
        {"/state.json", {}, 200, "application/json", ""},
        {"/map.png", {}, 200, "image/png", ""},
        {"/map.png", {{"system", "GPS"}}, 200, "image/png", ""},
        {"/map.png", {{"download", "1"}}, 200, "image/png", "skyfence-map.png"},
        {"/map.png",
         {{"system", "GPS"}, {"download", "1"}},
         200,
         "image/png",
         "skyfence-GPS-map.png"},
        {"/classes.png", {{"system", "all"}}, 200, "image/png", ""},
        {"/cells.csv", {}, 200, "text/csv; charset=utf-8", "skyfence-cells.csv"},
        {"/profile.csv", {}, 200, "text/csv; charset=utf-8", "skyfence-profile.csv"},
        {"/mask.csv", {}, 200, "text/csv; charset=utf-8", "skyfence-mask.csv"},
        {"/mask.aem", {}, 200, "text/plain; charset=utf-8", "skyfence-mask.aem"},
        {"/report.html", {}, 200, "text/html; charset=utf-8", "skyfence-report.html"},
        // A system without observations has no open direction to make a mask of.
        {"/mask.csv", {{"system", "Galileo"}}, 404, "text/plain; charset=utf-8", ""},
        {"/map.png", {{"system", "Nowhere"}}, 400, "text/plain; charset=utf-8", ""},
    };
    for (const RouteCase& route : routes) {
        SCOPED_TRACE(route.path + (route.query.empty() ? "" : "?" + route.query.begin()->second));
        const WebResponse response = Get(route.path, route.query);
        EXPECT_EQ(response.Status, route.status);
        EXPECT_EQ(response.ContentType, route.contentType);
        EXPECT_FALSE(response.Body.empty());
        const std::optional<std::string> disposition = Header(response, "Content-Disposition");
        if (route.attachment.empty()) {
            EXPECT_EQ(disposition, std::nullopt);
        } else {
            EXPECT_EQ(disposition, "attachment; filename=\"" + route.attachment + "\"");
        }
        if (route.contentType == "image/png" && route.status == 200) {
            EXPECT_FALSE(QImage::fromData(QByteArray::fromStdString(response.Body)).isNull());
        }
    }
}

TEST_F(Page, NamesNoOtherRoute) {
    for (const char* path : {"", "/index.html", "/state.json/", "/../state.json", "/%2e%2e/map.png",
                             "//map.png", "/map.png/..", "/Skyfence.dat", "/MAP.PNG"}) {
        EXPECT_EQ(site_.Answer(path, {}), std::nullopt) << path;
    }
}

TEST_F(Page, PageCarriesTheElementsItsScriptFillsAndNothingFromElsewhere) {
    const std::string page = Get("/").Body;
    for (const char* part : {"id=\"map\"", "id=\"classes\"", "id=\"satellites\"", "<tbody>",
                             "id=\"status\"", "id=\"stale\" hidden", "stopped answering",
                             "data-loaded", "/state.json", "token", "2000"}) {
        EXPECT_THAT(page, HasSubstr(part));
    }
    for (const char* external : {"src=\"http", "href=\"http", "//cdn", "@import"}) {
        EXPECT_THAT(page, Not(HasSubstr(external)));
    }
}

TEST_F(Page, StateHoldsWhatThePageShows) {
    reception_.AppendBlock(GpsSky);
    const QJsonObject state = State();
    for (const char* field :
         {"status", "receiver", "connected", "dataFolder", "lastSaved", "observed", "sentences",
          "satellites", "site", "systems", "revision", "system", "polar", "palette"}) {
        EXPECT_TRUE(state.contains(field)) << field;
    }
    EXPECT_FALSE(state.contains("position"));
    EXPECT_EQ(state["status"].toString(), "The receiver /dev/ttyUSB0 was lost at 16:00:00");
    EXPECT_EQ(state["receiver"].toString(), "/dev/ttyUSB0");
    EXPECT_EQ(state["dataFolder"].toString().toStdString(), folder_.Path());
    EXPECT_EQ(state["sentences"].toInt(), 1);
    EXPECT_TRUE(state["lastSaved"].isNull()); // never saved yet
    for (const char* field : {"first", "last", "hours"}) {
        EXPECT_TRUE(state["observed"].toObject().contains(field)) << field;
    }
    for (const char* field : {"seenSky", "openSkyAboveMask", "completeness", "obstructions"}) {
        EXPECT_TRUE(state["site"].toObject().contains(field)) << field;
    }
    grids_.SaveHorizonGrid();
    EXPECT_THAT(State()["lastSaved"].toString().toStdString(), testing::EndsWith("Z"));
}

// The rows of the window's table under the GPS-only setting, every satellite of the sky under
// the all-systems one.
TEST_F(Page, SatellitesAreThoseTheWindowShows) {
    struct SatelliteCase {
        ReceiverMode mode;
        const char* sentence;
        std::vector<std::pair<QString, int>> shown; // system, PRN
    };
    const std::vector<SatelliteCase> cases{
        {ReceiverMode::GpsOnly, GpsSky, {{"GPS", 1}, {"GPS", 2}, {"GPS", 12}, {"GPS", 14}}},
        {ReceiverMode::AllSystems, AllSystemsSky, {{"GLONASS", 71}, {"GLONASS", 72}}},
    };
    for (const SatelliteCase& satellites : cases) {
        reception_.SetMode(satellites.mode);
        reception_.AppendBlock(satellites.sentence);
        const QJsonArray rows = State()["satellites"].toArray();
        std::vector<std::pair<QString, int>> shown;
        for (const QJsonValue& row : rows) {
            shown.emplace_back(row["system"].toString(), row["prn"].toInt());
        }
        EXPECT_EQ(shown, satellites.shown);
    }
    // Satellite 72 is in view but not heard.
    const QJsonArray glonass = State()["satellites"].toArray();
    EXPECT_TRUE(glonass[1].toObject()["snr"].isNull());
    EXPECT_EQ(glonass[0].toObject()["snr"].toInt(), 38);
}

TEST_F(Page, PositionStaysOutUnlessAllowed) {
    reception_.AppendBlock("$GPRMC,120000,A,5230.000,N,01322.000,E,0.0,0.0,010125,,*00\r\n" +
                           std::string(GpsSky));
    EXPECT_FALSE(State().contains("position"));
    EXPECT_THAT(Get("/report.html").Body, Not(HasSubstr("52.500000")));
}

TEST_F(PageWithPosition, ShowsThePositionWhenAllowed) {
    reception_.AppendBlock("$GPRMC,120000,A,5230.000,N,01322.000,E,0.0,0.0,010125,,*00\r\n" +
                           std::string(GpsSky));
    const QJsonObject position = State()["position"].toObject();
    EXPECT_DOUBLE_EQ(position["latitude"].toDouble(), 52.5);
    EXPECT_EQ(position["fixes"].toInt(), 1);
    EXPECT_THAT(Get("/report.html").Body, HasSubstr("52.500000"));
}

// Pictures are made once per change of the map and shared; a change is taken up after a while,
// however many clients ask meanwhile.
TEST_F(Page, PicturesAreMadeOncePerChangeOfTheMap) {
    reception_.AppendBlock(GpsSky);
    const std::string first = Get("/map.png").Body;
    const qint64 revision = State()["revision"].toInteger();
    EXPECT_EQ(Get("/map.png").Body, first);

    reception_.AppendBlock(LaterGpsSky);
    EXPECT_EQ(Get("/map.png").Body, first) << "taken up at once";
    EXPECT_EQ(State()["revision"].toInteger(), revision);

    Later();
    EXPECT_NE(Get("/map.png").Body, first);
    EXPECT_GT(State()["revision"].toInteger(), revision);

    // A change of the window's plot is shown at once.
    const std::string rectangular = Get("/map.png").Body;
    results_.Settings().Polar = true;
    const WebResponse polar = Get("/map.png");
    EXPECT_NE(polar.Body, rectangular);
    EXPECT_EQ(QImage::fromData(QByteArray::fromStdString(polar.Body)).size(),
              WebSite::PolarPicture);
}

} // namespace
