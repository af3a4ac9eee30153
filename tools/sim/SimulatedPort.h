#pragma once

#include "StopSignals.h"

#include "device/serial/PseudoTerminal.h"

#include <chrono>
#include <string>
#include <string_view>

// The pseudo-terminal a program under test opens as its receiver's serial port. It passes bytes
// unchanged (a raw line: no echo, no CR LF translation), and writing to it gives way to a stop
// signal rather than waiting forever for a reader.
class SimulatedPort {
public:
    SimulatedPort();

    const std::string& Path() const { return terminal_.Path(); }

    // Writes all of `bytes`, waiting while the terminal is full; false when a stop signal came
    // first.
    bool Write(std::string_view bytes, const StopSignals& stop) const;

    // Waits, no longer than `limit`, until a reader has taken everything written; false when a
    // stop signal came first.
    bool Drain(std::chrono::milliseconds limit, const StopSignals& stop) const;

private:
    // Its slave stays open, so that writes need no reader to succeed.
    PseudoTerminal terminal_;
};
