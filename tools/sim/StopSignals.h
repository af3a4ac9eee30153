#pragma once

#include "platform/FileDescriptor.h"

#include <chrono>
#include <csignal>

// SIGINT, SIGTERM and SIGHUP as a descriptor that becomes readable, so that a wait for the
// terminal ends at once when one arrives. They are blocked while it lives: make it before any
// thread starts.
class StopSignals {
public:
    enum class Wait { Ready, TimedOut, Stopped };

    StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    ~StopSignals();

    // Waits for `fd` to be ready for `events` (poll's), for a stop signal, or for `timeout`.
    Wait WaitFor(int fd, short events, std::chrono::milliseconds timeout) const;

    // False when a stop signal came before `deadline`.
    bool SleepUntil(std::chrono::steady_clock::time_point deadline) const;

private:
    sigset_t previousMask_{};
    FileDescriptor signals_;
};
