#include "imaging/TwexHistogram.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

bool AllZero(const TwexHistogram& histogram) {
    const auto bins = histogram.Bins();
    return std::all_of(bins.begin(), bins.end(), [](std::int32_t bin) { return bin == 0; });
}

TEST(TwexHistogram, StartsWithTheBinsItWasGivenAllEmpty) {
    for (const int count : {256, 16, 0}) {
        const TwexHistogram histogram(count);
        EXPECT_EQ(histogram.BinCount(), count);
        EXPECT_EQ(histogram.Bins().size(), static_cast<std::size_t>(count));
        EXPECT_TRUE(AllZero(histogram));
    }
}

TEST(TwexHistogram, ClearEmptiesEveryBin) {
    TwexHistogram histogram(256);
    histogram.Bins()[0] = 5;
    histogram.Bins()[255] = -1;
    histogram.Clear();
    EXPECT_TRUE(AllZero(histogram));
    EXPECT_EQ(histogram.BinCount(), 256);
}

TEST(TwexHistogram, ImpossibleBinCountIsRefused) {
    EXPECT_THROW(TwexHistogram(-1), Exception);
    EXPECT_THROW(TwexHistogram(1 << 30), Exception);
}

} // namespace
