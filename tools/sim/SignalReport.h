#pragma once

#include "ReportedSatellite.h"

#include <string>
#include <vector>

// What a multi-system receiver tracks on one signal of one system: one satellites-in-view cycle.
struct SignalReport {
    // "GP", "GL", "GA", "GB".
    std::string talker;
    // The NMEA 4.11 signal ID, 1 to 15.
    int signalId = 1;
    std::vector<ReportedSatellite> satellites;

    friend bool operator==(const SignalReport&, const SignalReport&) = default;
};
