#pragma once

#include "MapObservations.h"
#include "OpenProfile.h"
#include "SatelliteSystem.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The verdict on a site in numbers a user can put into a site log, from the observations of the
// combined map and of each system's. Shares of the sky are weighted by the area each cell covers
// on the dome (a cell at elevation e spans e-0.5..e+0.5 degrees, cut to the range asked for), so
// that the many small cells near the zenith do not outweigh the horizon.
class SiteNumbers {
public:
    // The elevation above which obstructions matter and the sky shares are also given.
    static constexpr int MaskElevation = 10;
    // Completeness looks at the growth of the seen sky over this much of the latest observed time.
    static constexpr std::chrono::hours CompletenessWindow{6};
    // Growth below this share of the dome (in percent) reads as complete.
    static constexpr double CompleteGrowth = 1.0;

    struct ElevationBand {
        int From = 0; // degrees, inclusive
        int To = 0;   // degrees, exclusive but for the last band, which takes 90
    };
    static constexpr std::array<ElevationBand, 4> Bands{
        ElevationBand{0, 15}, ElevationBand{15, 30}, ElevationBand{30, 60}, ElevationBand{60, 90}};

    struct Sector {
        int From = 0; // first azimuth, degrees
        int To = 0;   // last azimuth, degrees (below From where the sector crosses north)
        int Highest = 0;
        friend bool operator==(const Sector&, const Sector&) = default;
    };

    struct SystemNumbers {
        SatelliteSystem System{};
        std::size_t SatellitesHeard = 0;
        // Per band of Bands: the median SNR of the reports heard in it.
        std::array<std::optional<int>, Bands.size()> MedianSnr{};
    };

    // `combined` is the combined map's observations; `systems` those of each system that has
    // any (may be empty, as under the GPS-only setting: the combined map then stands for GPS).
    SiteNumbers(const MapObservations& combined,
                const std::vector<std::pair<SatelliteSystem, const MapObservations*>>& systems,
                int threshold);

    double ObservedHours() const { return observedHours_; }
    // Percent of the dome above 0 and above MaskElevation degrees whose cells were reported.
    double SeenSky() const { return seenSky_; }
    double SeenSkyAboveMask() const { return seenSkyAboveMask_; }
    // Percent of the seen sky above MaskElevation whose cells are open.
    double OpenSkyAboveMask() const { return openSkyAboveMask_; }
    // Contiguous azimuths whose open elevation is above MaskElevation or that are blocked (their
    // highest reported elevation counting as the sector's height there), by azimuth; one sector
    // crossing north is one sector (From above To), and comes last.
    const std::vector<Sector>& Obstructions() const { return obstructions_; }
    // Every system with observations, in the order of the systems.
    const std::vector<SystemNumbers>& Systems() const { return systems_; }
    // How much the seen sky (percent of the dome above 0) grew in the last CompletenessWindow of
    // observed time; empty while less than that was observed.
    std::optional<double> RecentGrowth() const { return recentGrowth_; }
    bool Complete() const { return recentGrowth_ && *recentGrowth_ < CompleteGrowth; }
    // "complete for this receiver's satellites", "still growing: N.N % in the last 6 observed
    // hours", or "not yet known: less than 6 hours observed".
    std::string CompletenessText() const;

private:
    double observedHours_ = 0;
    double seenSky_ = 0;
    double seenSkyAboveMask_ = 0;
    double openSkyAboveMask_ = 0;
    std::vector<Sector> obstructions_;
    std::vector<SystemNumbers> systems_;
    std::optional<double> recentGrowth_;
};
