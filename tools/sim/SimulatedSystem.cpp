#include "SimulatedSystem.h"

namespace {

constexpr int GpsL1 = 1;
// L5-Q, the pilot channel a receiver tracks.
constexpr int GpsL5 = 8;
constexpr int GlonassL1 = 1;
constexpr int GalileoE1 = 7;
constexpr int BeiDouB1I = 1;

// A little louder than L1 C/A, as the newer signal is sent with more power; the noise of each
// signal is its own, so now one and now the other is the stronger.
constexpr double L5GainDb = 2;

} // namespace

std::vector<SimulatedSystem> SimulatedSystem::All() {
    // The satellites of the two newest GPS generations.
    const std::vector<int> l5 = {1, 3, 4, 6, 8, 9, 10, 11, 14, 18, 23, 24, 25, 26, 27, 28, 30, 32};
    return {
        {"GP", Constellation::Gps(), {{GpsL1, 0, {}}, {GpsL5, L5GainDb, l5}}},
        {"GL", Constellation::Glonass(), {{GlonassL1, 0, {}}}},
        {"GA", Constellation::Galileo(), {{GalileoE1, 0, {}}}},
        {"GB", Constellation::BeiDou(), {{BeiDouB1I, 0, {}}}},
    };
}
