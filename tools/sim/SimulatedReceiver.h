#pragma once

#include "ObstructionMask.h"
#include "Place.h"
#include "ReceiverModel.h"
#include "SatelliteSky.h"
#include "SentenceWriter.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

// A receiver at one place under the simulated sky: the sky, what the receiver makes of it, and
// the sentences it sends.
class SimulatedReceiver {
public:
    SimulatedReceiver(Place place, ObstructionMask mask, std::uint64_t seed)
        : sky_(place), receiver_(std::move(mask), seed), writer_(place) {}

    // What it sends during the second that starts at `time`.
    std::string Second(std::chrono::sys_seconds time) {
        return writer_.Second(time, receiver_.Track(sky_.At(time)));
    }

private:
    SatelliteSky sky_;
    ReceiverModel receiver_;
    SentenceWriter writer_;
};
