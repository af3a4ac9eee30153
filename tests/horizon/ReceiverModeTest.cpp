#include "horizon/ReceiverMode.h"

#include <gtest/gtest.h>

namespace {

TEST(ReceiverModeTest, TextsReadBackAndAnythingElseIsGpsOnly) {
    EXPECT_EQ(DefaultReceiverMode, ReceiverMode::GpsOnly);
    for (const ReceiverMode mode : {ReceiverMode::GpsOnly, ReceiverMode::AllSystems}) {
        EXPECT_EQ(TextToReceiverMode(ReceiverModeToText(mode)), mode);
    }
    EXPECT_EQ(ReceiverModeToText(ReceiverMode::GpsOnly), "GPS only");
    EXPECT_EQ(ReceiverModeToText(ReceiverMode::AllSystems), "All satellite systems");
    for (const char* other : {"", "all satellite systems", "All", "1", "All satellite systems "}) {
        EXPECT_EQ(TextToReceiverMode(other), ReceiverMode::GpsOnly) << '"' << other << '"';
    }
}

} // namespace
