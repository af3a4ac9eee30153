#include "WebState.h"

#include "horizon/SatelliteSystem.h"
#include "horizon/SiteNumbers.h"

#include <ctime>

namespace {

QJsonValue Optional(const std::optional<int>& value) {
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

} // namespace

QJsonValue UtcJson(const std::optional<std::chrono::sys_seconds>& time) {
    if (!time) {
        return QJsonValue::Null;
    }
    const std::time_t seconds = std::chrono::system_clock::to_time_t(*time);
    std::tm parts{};
    char text[32] = {};
    if (gmtime_r(&seconds, &parts) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts) == 0) {
        return QJsonValue::Null;
    }
    return QString::fromLatin1(text);
}

QJsonArray SatellitesJson(const std::vector<InViewSatellite>& satellites) {
    QJsonArray rows;
    for (const InViewSatellite& satellite : satellites) {
        const QJsonValue none(QJsonValue::Null);
        rows.append(QJsonObject{
            {"system", satellite.System ? SystemName(*satellite.System) : "GNSS"},
            {"prn", satellite.PRN},
            {"elevation", satellite.HasPosition ? QJsonValue(satellite.Elevation) : none},
            {"azimuth", satellite.HasPosition ? QJsonValue(satellite.Azimuth) : none},
            {"snr", satellite.HasSnr ? QJsonValue(satellite.SNR) : none},
        });
    }
    return rows;
}

QJsonObject ObservedJson(const MapObservations::Period& period) {
    return {{"first", UtcJson(period.First)},
            {"last", UtcJson(period.Last)},
            {"hours", static_cast<double>(period.Observed.count()) / 3600.0}};
}

QJsonObject SiteNumbersJson(const SiteNumbers& numbers) {
    QJsonArray obstructions;
    for (const SiteNumbers::Sector& sector : numbers.Obstructions()) {
        obstructions.append(
            QJsonObject{{"from", sector.From}, {"to", sector.To}, {"highest", sector.Highest}});
    }
    QJsonArray systems;
    for (const SiteNumbers::SystemNumbers& system : numbers.Systems()) {
        QJsonArray medians;
        for (const std::optional<int>& median : system.MedianSnr) {
            medians.append(Optional(median));
        }
        systems.append(QJsonObject{{"system", SystemName(system.System)},
                                   {"satellitesHeard", static_cast<qint64>(system.SatellitesHeard)},
                                   {"medianSnr", medians}});
    }
    return {{"observedHours", numbers.ObservedHours()},
            {"seenSky", numbers.SeenSky()},
            {"seenSkyAboveMask", numbers.SeenSkyAboveMask()},
            {"openSkyAboveMask", numbers.OpenSkyAboveMask()},
            {"maskElevation", SiteNumbers::MaskElevation},
            {"completeness", QString::fromStdString(numbers.CompletenessText())},
            {"complete", numbers.Complete()},
            {"obstructions", obstructions},
            {"systems", systems}};
}

QJsonValue PositionJson(const MapObservations& observations) {
    const auto mean = observations.MeanPosition();
    if (!mean) {
        return QJsonValue::Null;
    }
    return QJsonObject{{"latitude", mean->first},
                       {"longitude", mean->second},
                       {"fixes", static_cast<qint64>(observations.Positions().Fixes)}};
}
