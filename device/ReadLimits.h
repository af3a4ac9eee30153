#pragma once

#include "SerialDevice.h"

#include <chrono>
#include <cstdint>
#include <optional>

// How long a read of `count` bytes may wait, as the read timeouts of a Windows serial port say.
struct ReadLimits {
    // False: the read returns at once with what the queue holds.
    bool waits = true;
    // The read ends as soon as it has at least one byte.
    bool anyByteEnds = false;
    // From the start of the read; none: no limit.
    std::optional<std::chrono::milliseconds> total;
    // Between two bytes, counted from the first byte on; none: no limit.
    std::optional<std::chrono::milliseconds> interval;

    friend bool operator==(const ReadLimits&, const ReadLimits&) = default;

    static ReadLimits For(const CommTimeouts& timeouts, std::uint32_t count);

    // Whether a read that has `transferred` of the `count` bytes it asked for is done.
    bool Satisfied(std::uint32_t transferred, std::uint32_t count) const;
    // Until when a read that began at `start`, and took its last byte at `lastByte` if it has
    // any, may still wait; none: until it has all it asked for.
    std::optional<std::chrono::steady_clock::time_point>
    Deadline(std::chrono::steady_clock::time_point start,
             std::chrono::steady_clock::time_point lastByte, bool hasBytes) const;
    // The time poll may sleep until `deadline`, in milliseconds rounded up (a wake-up a little
    // early would only poll again with nothing to wait for); -1 without a deadline.
    static int PollTimeout(std::optional<std::chrono::steady_clock::time_point> deadline);

    // ReadInterval all ones, both totals 0: reads return at once with what is queued.
    static constexpr CommTimeouts Immediate{0xffffffff, 0, 0, 0, 0};
    // A total beyond this (all ones times a large count) is waited as this.
    static constexpr std::chrono::milliseconds LongestTotal = std::chrono::hours(24 * 365 * 10);
};
