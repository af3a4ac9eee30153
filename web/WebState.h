#pragma once

#include "horizon/InViewSatellite.h"
#include "horizon/MapObservations.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include <chrono>
#include <optional>
#include <vector>

class SiteNumbers;

// The parts of the page's state.json, as its script reads them. Times are ISO 8601 UTC
// ("2026-12-08T16:00:00Z"), or null where unknown.

QJsonValue UtcJson(const std::optional<std::chrono::sys_seconds>& time);

// {system, prn, elevation, azimuth, snr}: a satellite without a direction has a null elevation
// and azimuth, one not heard a null snr, one of no known system the system "GNSS".
QJsonArray SatellitesJson(const std::vector<InViewSatellite>& satellites);

// {first, last, hours}
QJsonObject ObservedJson(const MapObservations::Period& period);

// {seenSky, seenSkyAboveMask, openSkyAboveMask, maskElevation, completeness, complete,
//  obstructions [{from, to, highest}], systems [{system, satellitesHeard, medianSnr [...]}]}
QJsonObject SiteNumbersJson(const SiteNumbers& numbers);

// {latitude, longitude, fixes}, or null without a fix.
QJsonValue PositionJson(const MapObservations& observations);
