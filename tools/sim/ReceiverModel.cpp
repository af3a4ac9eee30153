#include "ReceiverModel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double HorizonSnrDb = 25;
constexpr double ZenithSnrDb = 50;
constexpr double NoiseDb = 2;
constexpr int HighestSnr = 99;

} // namespace

ReceiverModel::ReceiverModel(ObstructionMask mask, std::uint64_t seed, std::size_t channels)
    : mask_(std::move(mask)), random_(seed), channels_(channels) {}

std::vector<ReportedSatellite> ReceiverModel::Track(std::vector<SatelliteDirection> sky,
                                                    double gainDb) {
    std::erase_if(sky, [](const SatelliteDirection& satellite) { return satellite.elevation < 0; });
    std::sort(sky.begin(), sky.end(), [](const SatelliteDirection& a, const SatelliteDirection& b) {
        return a.elevation > b.elevation;
    });
    if (sky.size() > channels_) {
        sky.resize(channels_);
    }
    std::vector<ReportedSatellite> reports;
    for (const SatelliteDirection& satellite : sky) {
        ReportedSatellite report{
            satellite.prn, std::clamp(static_cast<int>(std::lround(satellite.elevation)), 0, 90),
            static_cast<int>(std::lround(satellite.azimuth)) % 360, std::nullopt};
        const double noise = Noise();
        if (const auto loss = mask_.LossDb(satellite.azimuth, satellite.elevation)) {
            const double snr = HorizonSnrDb +
                               (ZenithSnrDb - HorizonSnrDb) * satellite.elevation / 90 - *loss +
                               noise + gainDb;
            report.snr = std::clamp(static_cast<int>(std::lround(snr)), 0, HighestSnr);
        }
        reports.push_back(report);
    }
    return reports;
}

// Triangular within +-NoiseDb, computed here from the raw generator because the standard
// distributions may differ between library versions and a seed should mean the same everywhere.
double ReceiverModel::Noise() {
    const auto unit = [this] { return static_cast<double>(random_() >> 11) * 0x1.0p-53; };
    return (unit() + unit() - 1) * NoiseDb;
}
