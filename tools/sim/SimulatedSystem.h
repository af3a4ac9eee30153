#pragma once

#include "Constellation.h"

#include <string>
#include <vector>

// One satellite system as a multi-system receiver reports it: the talker of its sentences, its
// satellites, and the signals it tracks, each reported in a satellites-in-view cycle of its own.
struct SimulatedSystem {
    struct Signal {
        // The NMEA 4.11 signal ID.
        int id = 1;
        // What the signal is heard louder than the system's first.
        double gainDb = 0;
        // The satellites that send it; every one when empty.
        std::vector<int> numbers;
    };

    // GPS on L1 C/A and, from the newer satellites, L5; GLONASS on L1, Galileo on E1, BeiDou on
    // B1I.
    static std::vector<SimulatedSystem> All();

    std::string talker;
    Constellation constellation;
    std::vector<Signal> signals;
};
