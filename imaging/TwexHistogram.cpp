#include "TwexHistogram.h"

#include "platform/Exception.h"

#include <algorithm>
#include <string>

namespace {

int CheckedBinCount(int binCount) {
    constexpr int maxBins = 65536;
    if (binCount < 0 || binCount > maxBins) {
        throw Exception("Error: a histogram cannot have " + std::to_string(binCount) + " bins.");
    }
    return binCount;
}

} // namespace

TwexHistogram::TwexHistogram(int binCount)
    : binCount_(CheckedBinCount(binCount)), bins_(static_cast<std::size_t>(binCount_)) {
    Clear();
    highPercent_ = 99.5F;
    lowPercent_ = 0.5F;
}

void TwexHistogram::Clear() {
    std::fill(bins_.begin(), bins_.end(), 0);
    highLevel_ = 0;
    lowLevel_ = 0;
    levelsFound_ = false;
}
