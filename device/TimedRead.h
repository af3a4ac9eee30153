#pragma once

#include "ReadLimits.h"
#include "SerialDevice.h"
#include "platform/FileDescriptor.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

// One ReadFile of a device's input queue, as the read timeouts govern it, whatever fills the
// queue: the device takes what is queued, asks whether the read is over, and else sleeps in
// poll on Wake() until Deadline() or until it signals that more has come.
class TimedRead {
public:
    TimedRead(const CommTimeouts& timeouts, void* buffer, std::uint32_t count,
              std::uint32_t& transferred);

    // Adds what `take` moves into the rest of the buffer (it gets where and how much at most,
    // and returns how much it moved); true once the read has what it may wait for.
    bool Take(const std::function<std::uint32_t(char*, std::uint32_t)>& take);
    bool TimeIsUp() const;
    // None: no time limit.
    std::optional<std::chrono::steady_clock::time_point> Deadline() const;
    // The eventfd to sleep on, made at the first wait; -1, with errno set, when none can be had.
    int Wake();

private:
    ReadLimits limits_;
    char* buffer_;
    std::uint32_t count_;
    std::uint32_t& transferred_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastByte_;
    FileDescriptor wake_;
};
