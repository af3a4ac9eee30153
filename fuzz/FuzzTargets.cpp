#include "FuzzEntries.h"

#include <array>

std::span<const FuzzTarget> FuzzTargets() {
    static constexpr std::array targets{
        FuzzTarget{"satellites_in_view", FuzzSatellitesInView},
        FuzzTarget{"position", FuzzPositionSentence},
        FuzzTarget{"data_packet", FuzzDataPacket},
        FuzzTarget{"grid_file", FuzzGridFile},
        FuzzTarget{"observations_file", FuzzObservationsFile},
        FuzzTarget{"bitmap", FuzzBitmap},
        FuzzTarget{"version_resource", FuzzVersionResource},
        FuzzTarget{"registry", FuzzRegistryFile},
        FuzzTarget{"ini_file", FuzzIniFile},
    };
    return targets;
}
