#include "SiteNumbers.h"

#include "SkyClasses.h"
#include "platform/Formatting.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>

namespace {

double Sine(double degrees) {
    return std::sin(degrees * std::numbers::pi / 180);
}

// The part of its azimuth's strip of the dome above `lowest` degrees that the cell at `elevation`
// covers, in units of the strip's whole height (the sine of the zenith).
double CellArea(int elevation, int lowest) {
    const double lower = std::max(elevation - 0.5, static_cast<double>(lowest));
    const double upper = std::min(elevation + 0.5, 90.0);
    return upper > lower ? Sine(upper) - Sine(lower) : 0;
}

// Percent of the dome above `lowest` degrees covered by the cells `counted` accepts.
double DomeShare(int lowest, const std::function<bool(int azimuth, int elevation)>& counted) {
    double area = 0;
    for (int q = 0; q < GridAzimuths; ++q) {
        for (int e = lowest; e < GridElevations; ++e) {
            area += counted(q, e) ? CellArea(e, lowest) : 0;
        }
    }
    return 100 * area / (GridAzimuths * (1 - Sine(lowest)));
}

// How high the obstruction at `azimuth` reaches; empty where the sky is open down to the mask.
std::optional<int> ObstructionHeight(const OpenProfile& profile, int azimuth) {
    if (const auto open = profile.Elevation(azimuth)) {
        return *open > SiteNumbers::MaskElevation ? open : std::nullopt;
    }
    if (profile.State(azimuth) == OpenProfile::Azimuth::Blocked) {
        return profile.HighestReported(azimuth).value_or(0);
    }
    return std::nullopt;
}

std::vector<SiteNumbers::Sector> ObstructionSectors(const OpenProfile& profile) {
    std::vector<SiteNumbers::Sector> sectors;
    bool inSector = false;
    for (int q = 0; q < GridAzimuths; ++q) {
        const auto height = ObstructionHeight(profile, q);
        if (height && inSector) {
            sectors.back().To = q;
            sectors.back().Highest = std::max(sectors.back().Highest, *height);
        } else if (height) {
            sectors.push_back({q, q, *height});
        }
        inSector = height.has_value();
    }
    // The sector that ends at 359 and the one that begins at 0 are one across north.
    if (sectors.size() > 1 && sectors.front().From == 0 && sectors.back().To == GridAzimuths - 1) {
        sectors.back().To = sectors.front().To;
        sectors.back().Highest = std::max(sectors.back().Highest, sectors.front().Highest);
        sectors.erase(sectors.begin());
    }
    return sectors;
}

// The SNRs heard in the cells at elevations `from`..`to`, all azimuths.
CellObservations Pooled(const MapObservations& map, int from, int to) {
    CellObservations pooled;
    for (int q = 0; q < GridAzimuths; ++q) {
        for (int e = from; e <= to; ++e) {
            const CellObservations* cell = map.Cell(q, e);
            if (cell == nullptr) {
                continue;
            }
            for (const CellObservations::SnrCount& entry : cell->Distribution()) {
                pooled.AddHeard(entry.Snr, entry.Count);
            }
        }
    }
    return pooled;
}

SiteNumbers::SystemNumbers NumbersOf(SatelliteSystem system, const MapObservations& map) {
    SiteNumbers::SystemNumbers numbers{system, map.SatellitesHeard().size(), {}};
    for (std::size_t b = 0; b < SiteNumbers::Bands.size(); ++b) {
        const SiteNumbers::ElevationBand band = SiteNumbers::Bands[b];
        const int last = b + 1 == SiteNumbers::Bands.size() ? band.To : band.To - 1;
        numbers.MedianSnr[b] = Pooled(map, band.From, last).Median();
    }
    return numbers;
}

std::optional<double> Growth(const MapObservations& map) {
    const std::chrono::seconds observed = map.Reception().Observed;
    if (observed < SiteNumbers::CompletenessWindow) {
        return std::nullopt;
    }
    const std::int64_t since = (observed - SiteNumbers::CompletenessWindow).count();
    return DomeShare(0, [&](int q, int e) {
        const CellObservations* cell = map.Cell(q, e);
        return cell != nullptr && cell->FirstReported() > since;
    });
}

} // namespace

SiteNumbers::SiteNumbers(
    const MapObservations& combined,
    const std::vector<std::pair<SatelliteSystem, const MapObservations*>>& systems, int threshold)
    : observedHours_(static_cast<double>(combined.Reception().Observed.count()) / 3600),
      recentGrowth_(Growth(combined)) {
    const SkyClasses classes(combined, threshold);
    const auto seen = [&](int q, int e) { return combined.Cell(q, e) != nullptr; };
    seenSky_ = DomeShare(0, seen);
    seenSkyAboveMask_ = DomeShare(MaskElevation, seen);
    const double open =
        DomeShare(MaskElevation, [&](int q, int e) { return classes.At(q, e) == SkyClass::Open; });
    openSkyAboveMask_ = seenSkyAboveMask_ > 0 ? 100 * open / seenSkyAboveMask_ : 0;
    obstructions_ = ObstructionSectors(OpenProfile(classes));

    if (systems.empty() && !combined.Empty()) {
        systems_.push_back(NumbersOf(SatelliteSystem::GPS, combined));
    }
    for (const auto& [system, map] : systems) {
        if (map != nullptr && !map->Empty()) {
            systems_.push_back(NumbersOf(system, *map));
        }
    }
    std::stable_sort(
        systems_.begin(), systems_.end(),
        [](const SystemNumbers& a, const SystemNumbers& b) { return a.System < b.System; });
}

std::string SiteNumbers::CompletenessText() const {
    const std::string hours = std::to_string(CompletenessWindow.count());
    if (!recentGrowth_) {
        return "not yet known: less than " + hours + " hours observed";
    }
    if (Complete()) {
        return "complete for this receiver's satellites";
    }
    return "still growing: " + FormatFixed(*recentGrowth_, 1) + " % in the last " + hours +
           " observed hours";
}
