#pragma once

#include "ObstructionMask.h"
#include "Place.h"
#include "ReceiverModel.h"
#include "SatelliteSky.h"
#include "SentenceWriter.h"
#include "SignalReport.h"
#include "SimulatedSystem.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// A receiver of today under the simulated sky: GPS, GLONASS, Galileo and BeiDou over the same
// place and behind the same obstructions, reported in the form of NMEA 4.11.
class MultiSystemReceiver {
public:
    // Enough for every satellite of a system that is up at once.
    static constexpr std::size_t ChannelsPerSignal = 24;

    MultiSystemReceiver(Place place, const ObstructionMask& mask, std::uint64_t seed);

    // Each system's signals in the order of SimulatedSystem::All(). Each call draws fresh noise.
    std::vector<SignalReport> Track(std::chrono::sys_seconds time);

    // What it sends during the second that starts at `time`.
    std::string Second(std::chrono::sys_seconds time) {
        return writer_.MultiSystemSecond(time, Track(time));
    }

private:
    struct Tracking {
        SimulatedSystem::Signal signal;
        ReceiverModel model;
    };
    struct System {
        std::string talker;
        SatelliteSky sky;
        std::vector<Tracking> signals;
    };

    std::vector<System> systems_;
    SentenceWriter writer_;
};
