#include "SiteReport.h"

#include "MapPicture.h"
#include "OpenProfile.h"
#include "PngFile.h"
#include "SiteNumbers.h"
#include "SkyClasses.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Exception.h"
#include "platform/Formatting.h"
#include "platform/LocaleText.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <functional>
#include <utility>

namespace {

// What a page of A4 holds across at the layout's 96 pixels per inch, within its margins.
constexpr int PageWidth = 620;
constexpr int SectorWidth = 30;

struct Picture {
    QString Name; // the PDF's resource
    QString Caption;
    QImage Image;
};

QString Text(const std::string& text) {
    return ToQString(text).toHtmlEscaped();
}

QString Degrees(int value) {
    return QString::number(value) + QChar(0x00B0);
}

QString Percent(double value) {
    return QString::fromStdString(FormatFixed(value, 1)) + " %";
}

QString Utc(const std::optional<MapObservations::Time>& time) {
    if (!time) {
        return "none";
    }
    const std::time_t seconds = std::chrono::system_clock::to_time_t(*time);
    std::tm parts{};
    char text[32] = {};
    if (gmtime_r(&seconds, &parts) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts) == 0) {
        return "unknown";
    }
    return text;
}

QString Position(const MapObservations& observations) {
    const auto mean = observations.MeanPosition();
    if (!mean) {
        return "unknown";
    }
    const auto coordinate = [](double value, char positive, char negative) {
        return QString::fromStdString(FormatFixed(std::abs(value), 6)) + QChar(0x00B0) + " " +
               QChar(value < 0 ? negative : positive);
    };
    return coordinate(mean->first, 'N', 'S') + ", " + coordinate(mean->second, 'E', 'W');
}

QString MapName(const SiteMap& map) {
    return map.System ? QString(SystemName(*map.System)) : QString("all systems");
}

// A table row of header or data cells.
QString Row(const QStringList& cells, const char* tag = "td") {
    QString row = "<tr>";
    for (const QString& cell : cells) {
        row += QString("<%1>%2</%1>").arg(tag, cell);
    }
    return row + "</tr>\n";
}

QString Table(const QString& rows) {
    return "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n" + rows + "</table>\n";
}

QString Band(const SiteNumbers::ElevationBand& band) {
    return QString::number(band.From) + QChar(0x2013) + Degrees(band.To);
}

QString SectorsTable(const std::vector<SiteNumbers::Sector>& sectors) {
    if (sectors.empty()) {
        return "<p>None: the open sky reaches down to " + Degrees(SiteNumbers::MaskElevation) +
               " or below at every azimuth seen.</p>\n";
    }
    QString rows = Row({"From", "To", "Highest"}, "th");
    for (const SiteNumbers::Sector& sector : sectors) {
        rows += Row({Degrees(sector.From), Degrees(sector.To), Degrees(sector.Highest)});
    }
    return Table(rows);
}

QString SystemsTable(const std::vector<SiteNumbers::SystemNumbers>& systems) {
    if (systems.empty()) {
        return "<p>No satellite was reported.</p>\n";
    }
    QStringList header{"System", "Satellites heard"};
    for (const SiteNumbers::ElevationBand& band : SiteNumbers::Bands) {
        header << "Median SNR " + Band(band);
    }
    QString rows = Row(header, "th");
    for (const SiteNumbers::SystemNumbers& system : systems) {
        QStringList cells{SystemName(system.System), QString::number(system.SatellitesHeard)};
        for (const std::optional<int>& median : system.MedianSnr) {
            cells << (median ? QString::number(*median) + " dB" : QString(QChar(0x2013)));
        }
        rows += Row(cells);
    }
    return Table(rows);
}

// Per sector of azimuth the highest open elevation in it (what a mask for that sector takes), or
// what is known of it when none of its azimuths is open.
QString OpenProfileTable(const OpenProfile& profile) {
    constexpr int SectorsPerRow = 6;
    QString rows;
    for (int first = 0; first < GridAzimuths; first += SectorsPerRow * SectorWidth) {
        QStringList azimuths{"Azimuth"};
        QStringList elevations{"Open from"};
        for (int from = first; from < first + SectorsPerRow * SectorWidth; from += SectorWidth) {
            std::optional<int> highest;
            bool blocked = false;
            for (int q = from; q < from + SectorWidth; ++q) {
                if (const auto elevation = profile.Elevation(q)) {
                    highest = std::max(highest.value_or(*elevation), *elevation);
                }
                blocked = blocked || profile.State(q) == OpenProfile::Azimuth::Blocked;
            }
            azimuths << QString::number(from) + QChar(0x2013) + Degrees(from + SectorWidth - 1);
            elevations << (highest ? Degrees(*highest) : QString(blocked ? "blocked" : "unseen"));
        }
        rows += Row(azimuths, "th") + Row(elevations);
    }
    return Table(rows);
}

// The picture at `width` pixels across the page.
QString Image(const Picture& picture, const QString& source, int width) {
    const int height = width * picture.Image.height() / std::max(1, picture.Image.width());
    return QString("<p><img src=\"%1\" width=\"%2\" height=\"%3\" alt=\"%4\"></p>\n")
        .arg(source, QString::number(width), QString::number(height), picture.Caption);
}

// The report's content with each picture's source given by `source` (a data: address, or the
// name of a document resource).
class ReportContent {
public:
    ReportContent(const std::string& siteName, const std::vector<SiteMap>& maps,
                  const PlotSettings& settings)
        : siteName_(siteName), maps_(maps),
          classes_(*maps.front().Observations, settings.ProfileThreshold), profile_(classes_),
          numbers_(*maps.front().Observations, SystemObservations(maps),
                   settings.ProfileThreshold) {
        PlotSettings polar = settings;
        polar.Polar = true;
        const MapPicture polarLayout(SiteReport::PolarPicture, true);
        const MapPicture rectangularLayout(SiteReport::RectangularPicture, false);
        pictures_.push_back(
            {"map.png", "Map of all systems, polar", polarLayout.Draw(*maps.front().Grid, polar)});
        pictures_.push_back({"classes.png", "Sky classes, polar, with the open profile",
                             polarLayout.Draw(classes_, &profile_)});
        pictures_.push_back({"profile.png", "Sky classes with the open profile",
                             rectangularLayout.Draw(classes_, &profile_)});
        for (const SiteMap& map : HeardSystems()) {
            pictures_.push_back({"map-" + MapName(map) + ".png", "Map of " + MapName(map),
                                 polarLayout.Draw(*map.Grid, polar)});
        }
    }

    const std::vector<Picture>& Pictures() const { return pictures_; }

    QString Html(const std::function<QString(const Picture&)>& source) const {
        const QString title = "Site report: " + Text(siteName_);
        const MapObservations& combined = *maps_.front().Observations;
        const MapObservations::Period& period = combined.Reception();
        QString html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<title>" +
                       title +
                       "</title>\n<style>\nbody { font-family: sans-serif; max-width: 50em; "
                       "margin: 1em auto; }\ntable { border-collapse: collapse; }\nth, td { "
                       "text-align: left; }\nimg { max-width: 100%; height: auto; }\n</style>\n"
                       "</head>\n<body>\n<h1>" +
                       title + "</h1>\n";
        html +=
            "<h2>Period and position</h2>\n" +
            Table(
                Row({"First report", Utc(period.First)}) + Row({"Last report", Utc(period.Last)}) +
                Row({"Observed",
                     QString::fromStdString(FormatFixed(numbers_.ObservedHours(), 1)) + " hours"}) +
                Row({"Mean position", Position(combined)}));
        html += "<h2>Sky</h2>\n" +
                Table(Row({"Seen sky above " + Degrees(0), Percent(numbers_.SeenSky())}) +
                      Row({"Seen sky above " + Degrees(SiteNumbers::MaskElevation),
                           Percent(numbers_.SeenSkyAboveMask())}) +
                      Row({"Open sky above " + Degrees(SiteNumbers::MaskElevation) +
                               " (of the seen sky)",
                           Percent(numbers_.OpenSkyAboveMask())}) +
                      Row({"Completeness", Text(numbers_.CompletenessText())})) +
                "<p>Shares of the dome, weighted by the area of each cell. A direction is open "
                "where the median of the signals reported from it (a satellite not heard "
                "counting as 0 dB) is at least " +
                QString::number(classes_.Threshold()) +
                " dB, weak where a satellite was heard but the median is lower, blocked where "
                "satellites stood at least " +
                QString::number(SkyClasses::BlockedReports) +
                " times without being heard, and unseen where none ever stood.</p>\n";
        html += "<h2>Obstructions above " + Degrees(SiteNumbers::MaskElevation) + "</h2>\n" +
                SectorsTable(numbers_.Obstructions());
        html += "<h2>Satellite systems</h2>\n" + SystemsTable(numbers_.Systems());
        // The pictures start a page of their own in print, the numbers before them all on one.
        html += "<h2 style=\"page-break-before: always\">Map</h2>\n" +
                Figure(0, source, PageWidth * 3 / 4);
        html += "<h2>Sky classes</h2>\n" + Figure(1, source, PageWidth * 3 / 4);
        html += "<h2>Open profile</h2>\n" + Figure(2, source, PageWidth) +
                "<p>The lowest open elevation, highest in each " + Degrees(SectorWidth) +
                " of azimuth:</p>\n" + OpenProfileTable(profile_);
        if (pictures_.size() > 3) {
            html += "<h2>Maps of the systems heard</h2>\n";
            for (std::size_t i = 3; i < pictures_.size(); ++i) {
                html += "<h3>" + pictures_[i].Caption + "</h3>\n" +
                        Figure(i, source, PageWidth * 3 / 4);
            }
        }
        return html + "</body>\n</html>\n";
    }

private:
    static std::vector<std::pair<SatelliteSystem, const MapObservations*>>
    SystemObservations(const std::vector<SiteMap>& maps) {
        std::vector<std::pair<SatelliteSystem, const MapObservations*>> systems;
        for (const SiteMap& map : maps) {
            if (map.System) {
                systems.emplace_back(*map.System, map.Observations);
            }
        }
        return systems;
    }

    std::vector<SiteMap> HeardSystems() const {
        std::vector<SiteMap> heard;
        std::copy_if(maps_.begin() + 1, maps_.end(), std::back_inserter(heard),
                     [](const SiteMap& map) {
                         return map.System && !map.Observations->SatellitesHeard().empty();
                     });
        return heard;
    }

    QString Figure(std::size_t index, const std::function<QString(const Picture&)>& source,
                   int width) const {
        return Image(pictures_[index], source(pictures_[index]), width);
    }

    const std::string& siteName_;
    const std::vector<SiteMap>& maps_;
    SkyClasses classes_;
    OpenProfile profile_;
    SiteNumbers numbers_;
    std::vector<Picture> pictures_;
};

} // namespace

SiteReport::SiteReport(std::string siteName, std::vector<SiteMap> maps,
                       const PlotSettings& settings)
    : siteName_(std::move(siteName)), maps_(std::move(maps)), settings_(settings) {
    if (maps_.empty() || maps_.front().System) {
        throw Exception("A site report needs the map of all systems first");
    }
    for (const SiteMap& map : maps_) {
        if (map.Grid == nullptr || map.Observations == nullptr) {
            throw Exception("A site report needs every map with its observations");
        }
    }
}

std::string SiteReport::Html() const {
    const ReportContent content(siteName_, maps_, settings_);
    return content
        .Html([](const Picture& picture) {
            return "data:image/png;base64," +
                   QString::fromLatin1(
                       QByteArray::fromStdString(PngBytes(picture.Image)).toBase64());
        })
        .toUtf8()
        .toStdString();
}

std::string SiteReport::Pdf() const {
    const ReportContent content(siteName_, maps_, settings_);
    QTextDocument document;
    for (const Picture& picture : content.Pictures()) {
        document.addResource(QTextDocument::ImageResource, QUrl(picture.Name), picture.Image);
    }
    document.setHtml(content.Html([](const Picture& picture) { return picture.Name; }));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) {
        throw Exception("Cannot make the site report's PDF");
    }
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        writer.setTitle("Site report: " + ToQString(siteName_));
        writer.setCreator("Skyfence Plotter");
        document.print(&writer);
    }
    return bytes.toStdString();
}

void SiteReport::Save(const std::string& path) const {
    std::string extension = path.size() >= 4 ? path.substr(path.size() - 4) : std::string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    AtomicFileWriter::WriteFile(path, extension == ".pdf" ? Pdf() : Html());
}
