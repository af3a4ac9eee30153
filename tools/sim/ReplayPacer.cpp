#include "ReplayPacer.h"

#include <algorithm>
#include <cmath>

std::string ReplayPacer::Tick(std::chrono::steady_clock::duration elapsed) {
    if (bytes_.empty()) {
        return {};
    }
    const double due =
        std::floor(std::chrono::duration<double>(elapsed).count() * bytesPerSecond_) -
        static_cast<double>(handedOut_);
    auto count = static_cast<std::size_t>(std::clamp(due, 0.0, double{MaxBurstBytes}));
    if (!loop_) {
        count = std::min<std::size_t>(count, bytes_.size() - handedOut_);
    }
    std::string burst;
    burst.reserve(count);
    while (burst.size() < count) {
        const std::size_t at = handedOut_ % bytes_.size();
        const std::size_t take = std::min(count - burst.size(), bytes_.size() - at);
        burst.append(bytes_, at, take);
        handedOut_ += take;
    }
    return burst;
}
