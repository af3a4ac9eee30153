#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Decides which simulated seconds each tick of the real clock writes. A tick writes the seconds
// that came due since the last one, but no more than a budget of bytes; beyond it the oldest are
// dropped, so at any speed the output keeps up with the simulated clock instead of falling
// further and further behind it.
class SimulationPacer {
public:
    // The text of simulated second n, counted from 0 at the start.
    using SecondText = std::function<std::string(std::int64_t)>;

    SimulationPacer(double speed, std::size_t bytesPerTick)
        : speed_(speed), bytesPerTick_(bytesPerTick) {}

    // What to write `elapsed` after the start: the seconds due and not written yet, in order.
    // The newest due second is always written, however long it is.
    std::string Tick(std::chrono::steady_clock::duration elapsed, const SecondText& second);

    std::int64_t DroppedSeconds() const { return dropped_; }

private:
    double speed_;
    std::size_t bytesPerTick_;
    std::int64_t next_ = 0;
    std::int64_t dropped_ = 0;
};
