#include "connection/NetworkSourceChoice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing::ElementsAre;

TEST(NetworkSource, OffersTheLocalGpsdOnlyWhenItAnswersAndKeepsTheCurrentAddressOrPath) {
    const std::vector<std::string> listed = {"/dev/ttyUSB0"};
    const NetworkSourceChoice serial("/dev/ttyUSB0", false, listed);
    EXPECT_THAT(serial.Items(), ElementsAre(""));
    EXPECT_EQ(serial.Text(), "");
    const NetworkSourceChoice local("/dev/ttyUSB0", true, listed);
    EXPECT_THAT(local.Items(), ElementsAre("", "gpsd://localhost:2947"));
    const NetworkSourceChoice remote("tcp://192.0.2.7:10110", true);
    EXPECT_THAT(remote.Items(), ElementsAre("", "gpsd://localhost:2947", "tcp://192.0.2.7:10110"));
    EXPECT_EQ(remote.Text(), "tcp://192.0.2.7:10110");
    const NetworkSourceChoice same("gpsd://localhost:2947", true);
    EXPECT_THAT(same.Items(), ElementsAre("", "gpsd://localhost:2947"));
    // A path the port list does not show was typed here; a name that is no path was not.
    const NetworkSourceChoice link("/dev/serial/by-id/usb-gnss-if00", false, listed);
    EXPECT_THAT(link.Items(), ElementsAre("", "/dev/serial/by-id/usb-gnss-if00"));
    EXPECT_EQ(link.Text(), "/dev/serial/by-id/usb-gnss-if00");
    EXPECT_EQ(NetworkSourceChoice("COM1", false, listed).Text(), "");
}

TEST(NetworkSource, AnEmptyRowLeavesTheSerialPortAndTypingIsTakenTrimmed) {
    EXPECT_EQ(NetworkSourceChoice::PortName("", "/dev/ttyACM0"), "/dev/ttyACM0");
    EXPECT_EQ(NetworkSourceChoice::PortName("  \t", "/dev/ttyACM0"), "/dev/ttyACM0");
    EXPECT_EQ(NetworkSourceChoice::PortName(" gpsd://pi:2947 ", ""), "gpsd://pi:2947");
    // Not an address: the port takes it and fails to open as an unknown port does.
    EXPECT_EQ(NetworkSourceChoice::PortName("antenna", "/dev/ttyACM0"), "antenna");
}

} // namespace
