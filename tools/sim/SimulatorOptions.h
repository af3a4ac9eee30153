#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the command line asks of the simulator.
struct SimulatorOptions {
    std::string link;
    double speed = 1;
    std::uint64_t seed = 1;
    // A receiver of GPS, GLONASS, Galileo and BeiDou in the form of NMEA 4.11 instead of a
    // GPS receiver.
    bool allSystems = false;
    // A recorded log to play instead of the simulated sky.
    std::optional<std::string> replay;
    bool loop = false;
    // 9600 bit/s at ten bits a byte.
    double bytesPerSecond = 960;
};

// A day in a tenth of a second; beyond that the simulated clock would soon leave the calendar.
inline constexpr double MaxSpeed = 1e6;

inline constexpr const char* SimulatorUsage =
    "usage: skyfence-sim --link PATH [--speed FACTOR] [--seed N] [--all-systems] "
    "[--replay FILE [--loop] [--rate BYTES_PER_SECOND]]";

// The options of a command line (without the program's name); nothing when the simulator does not
// take it: an unknown or repeated option, a missing value, a speed or rate that is not a positive
// number, a speed above MaxSpeed, --loop or --rate without --replay, --all-systems with it.
std::optional<SimulatorOptions> ParseSimulatorOptions(const std::vector<std::string>& arguments);
