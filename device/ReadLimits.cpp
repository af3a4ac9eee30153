#include "ReadLimits.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::uint32_t AllOnes = 0xffffffff;

} // namespace

ReadLimits ReadLimits::For(const CommTimeouts& timeouts, std::uint32_t count) {
    const std::uint32_t interval = timeouts.ReadIntervalTimeout;
    const std::uint32_t multiplier = timeouts.ReadTotalTimeoutMultiplier;
    const std::uint32_t constant = timeouts.ReadTotalTimeoutConstant;
    ReadLimits limits;
    if (interval == AllOnes && multiplier == 0 && constant == 0) {
        limits.waits = false;
        return limits;
    }
    if (interval == AllOnes && multiplier == AllOnes && constant != 0 && constant != AllOnes) {
        limits.anyByteEnds = true;
        limits.total = std::chrono::milliseconds(constant);
        return limits;
    }
    // All ones outside those two cases is simply the longest interval there is.
    if (interval != 0 && interval != AllOnes) {
        limits.interval = std::chrono::milliseconds(interval);
    }
    if (multiplier != 0 || constant != 0) {
        // Cannot overflow: (2^32 - 1)^2 + 2^32 - 1 < 2^64.
        const std::uint64_t total = std::uint64_t{multiplier} * count + constant;
        limits.total = std::chrono::milliseconds(
            std::min<std::uint64_t>(total, static_cast<std::uint64_t>(LongestTotal.count())));
    }
    return limits;
}

bool ReadLimits::Satisfied(std::uint32_t transferred, std::uint32_t count) const {
    return transferred == count || !waits || (anyByteEnds && transferred > 0);
}

std::optional<std::chrono::steady_clock::time_point>
ReadLimits::Deadline(std::chrono::steady_clock::time_point start,
                     std::chrono::steady_clock::time_point lastByte, bool hasBytes) const {
    std::optional<std::chrono::steady_clock::time_point> deadline;
    if (total) {
        deadline = start + *total;
    }
    if (interval && hasBytes) {
        const auto intervalEnd = lastByte + *interval;
        deadline = deadline ? std::min(*deadline, intervalEnd) : intervalEnd;
    }
    return deadline;
}

int ReadLimits::PollTimeout(std::optional<std::chrono::steady_clock::time_point> deadline) {
    if (!deadline) {
        return -1;
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
        left.count(), 0, std::numeric_limits<int>::max()));
}
