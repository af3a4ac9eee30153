#pragma once

#include "ObstructionMask.h"
#include "ReportedSatellite.h"
#include "SatelliteDirection.h"

#include <cstdint>
#include <random>
#include <vector>

// A 12-channel receiver under an obstructed sky: it tracks the highest satellites, hears them
// the louder the higher they stand, less through trees, not at all through a wall, and never
// quite the same twice.
class ReceiverModel {
public:
    static constexpr std::size_t Channels = 12;

    ReceiverModel(ObstructionMask mask, std::uint64_t seed);

    // The satellites above the horizon that get a channel, highest first. Each call draws fresh
    // noise, so equal seeds give equal reports only for equal sequences of calls.
    std::vector<ReportedSatellite> Track(std::vector<SatelliteDirection> sky);

private:
    double Noise();

    ObstructionMask mask_;
    std::mt19937_64 random_;
};
