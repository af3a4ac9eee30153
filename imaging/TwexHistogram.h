#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Counts of pixels by level, with the percentile limits a contrast stretch would clip at.
class TwexHistogram {
public:
    // Up to 65536 bins; another count raises Exception.
    explicit TwexHistogram(int binCount);

    // Every bin, both levels and the flag back to zero; the percentiles stay.
    void Clear();

    int BinCount() const { return binCount_; }
    std::span<const std::int32_t> Bins() const { return bins_; }
    std::span<std::int32_t> Bins() { return bins_; }

private:
    // Laid out field for field as first designed; only the count and the bins are read so far.
    std::int32_t binCount_;
    std::int32_t highLevel_ = 0;
    float highPercent_ = 0;
    std::uint32_t reserved1_ = 0;
    std::int32_t lowLevel_ = 0;
    float lowPercent_ = 0;
    std::uint32_t reserved2_ = 0;
    bool levelsFound_ = false;
    std::vector<std::int32_t> bins_;
};
