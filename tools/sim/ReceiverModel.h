#pragma once

#include "ObstructionMask.h"
#include "ReportedSatellite.h"
#include "SatelliteDirection.h"

#include <cstdint>
#include <random>
#include <vector>

// A receiver under an obstructed sky, 12 channels unless told otherwise: it tracks the highest
// satellites, hears them the louder the higher they stand, less through trees, not at all
// through a wall, and never quite the same twice.
class ReceiverModel {
public:
    static constexpr std::size_t Channels = 12;

    ReceiverModel(ObstructionMask mask, std::uint64_t seed, std::size_t channels = Channels);

    // The satellites above the horizon that get a channel, highest first. Each call draws fresh
    // noise, so equal seeds give equal reports only for equal sequences of calls.
    // `gainDb` goes onto every SNR heard: a signal sent louder or quieter than the usual one.
    std::vector<ReportedSatellite> Track(std::vector<SatelliteDirection> sky, double gainDb = 0);

private:
    double Noise();

    ObstructionMask mask_;
    std::mt19937_64 random_;
    std::size_t channels_;
};
