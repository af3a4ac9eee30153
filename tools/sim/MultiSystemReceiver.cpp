#include "MultiSystemReceiver.h"

#include <algorithm>

namespace {

// Each signal's noise from a generator of its own, so that adding a signal leaves the others'
// noise as it was; the odd constant spreads neighbouring seeds far apart.
std::uint64_t SignalSeed(std::uint64_t seed, std::uint64_t index) {
    return seed + 0x9E3779B97F4A7C15 * (index + 1);
}

} // namespace

MultiSystemReceiver::MultiSystemReceiver(Place place, const ObstructionMask& mask,
                                         std::uint64_t seed)
    : writer_(place) {
    std::uint64_t index = 0;
    for (SimulatedSystem& system : SimulatedSystem::All()) {
        System tracked{system.talker, SatelliteSky(place, std::move(system.constellation)), {}};
        for (SimulatedSystem::Signal& signal : system.signals) {
            tracked.signals.push_back(
                {std::move(signal),
                 ReceiverModel(mask, SignalSeed(seed, index++), ChannelsPerSignal)});
        }
        systems_.push_back(std::move(tracked));
    }
}

std::vector<SignalReport> MultiSystemReceiver::Track(std::chrono::sys_seconds time) {
    std::vector<SignalReport> reports;
    for (System& system : systems_) {
        const std::vector<SatelliteDirection> sky = system.sky.At(time);
        for (Tracking& tracking : system.signals) {
            std::vector<SatelliteDirection> sending = sky;
            const std::vector<int>& numbers = tracking.signal.numbers;
            if (!numbers.empty()) {
                std::erase_if(sending, [&](const SatelliteDirection& satellite) {
                    return std::find(numbers.begin(), numbers.end(), satellite.prn) ==
                           numbers.end();
                });
            }
            reports.push_back({system.talker, tracking.signal.id,
                               tracking.model.Track(std::move(sending), tracking.signal.gainDb)});
        }
    }
    return reports;
}
