#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

// Hands out a log's bytes at a steady rate, from the start again when it loops. Bytes are never
// dropped: when the line cannot take them as fast, the rest waits for the next tick, no more
// than one burst at a time.
class ReplayPacer {
public:
    static constexpr std::size_t MaxBurstBytes = 64 * 1024;

    ReplayPacer(std::string bytes, double bytesPerSecond, bool loop)
        : bytes_(std::move(bytes)), bytesPerSecond_(bytesPerSecond), loop_(loop) {}

    // The bytes due by `elapsed` after the start and not handed out yet.
    std::string Tick(std::chrono::steady_clock::duration elapsed);

    // Every byte handed out, and no loop to start again.
    bool Finished() const { return !loop_ && handedOut_ >= bytes_.size(); }

private:
    std::string bytes_;
    double bytesPerSecond_;
    bool loop_;
    std::uint64_t handedOut_ = 0;
};
