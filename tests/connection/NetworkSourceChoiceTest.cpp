#include "connection/NetworkSourceChoice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testing::ElementsAre;

TEST(NetworkSource, OffersTheLocalGpsdOnlyWhenItAnswersAndKeepsTheCurrentAddress) {
    const NetworkSourceChoice serial("/dev/ttyUSB0", false);
    EXPECT_THAT(serial.Items(), ElementsAre(""));
    EXPECT_EQ(serial.Text(), "");
    const NetworkSourceChoice local("/dev/ttyUSB0", true);
    EXPECT_THAT(local.Items(), ElementsAre("", "gpsd://localhost:2947"));
    const NetworkSourceChoice remote("tcp://192.0.2.7:10110", true);
    EXPECT_THAT(remote.Items(), ElementsAre("", "gpsd://localhost:2947", "tcp://192.0.2.7:10110"));
    EXPECT_EQ(remote.Text(), "tcp://192.0.2.7:10110");
    const NetworkSourceChoice same("gpsd://localhost:2947", true);
    EXPECT_THAT(same.Items(), ElementsAre("", "gpsd://localhost:2947"));
}

TEST(NetworkSource, AnEmptyRowLeavesTheSerialPortAndTypingIsTakenTrimmed) {
    EXPECT_EQ(NetworkSourceChoice::PortName("", "/dev/ttyACM0"), "/dev/ttyACM0");
    EXPECT_EQ(NetworkSourceChoice::PortName("  \t", "/dev/ttyACM0"), "/dev/ttyACM0");
    EXPECT_EQ(NetworkSourceChoice::PortName(" gpsd://pi:2947 ", ""), "gpsd://pi:2947");
    // Not an address: the port takes it and fails to open as an unknown port does.
    EXPECT_EQ(NetworkSourceChoice::PortName("antenna", "/dev/ttyACM0"), "antenna");
}

} // namespace
