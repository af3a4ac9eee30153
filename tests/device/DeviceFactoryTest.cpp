#include "device/DeviceFactory.h"
#include "device/network/NetworkDevice.h"
#include "device/serial/PosixSerialDevice.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A malformed address still gets the network device, which can say what is wrong with it.
TEST(DeviceFactory, MakesTheDeviceThePortNameAsksFor) {
    const std::pair<std::string, bool> cases[] = {
        {"gpsd://", true},       {"tcp://h:1", true}, {"tcp://", true},
        {"/dev/ttyUSB0", false}, {"COM3", false},     {"", false},
    };
    for (const auto& [name, network] : cases) {
        const auto device =
            DeviceFactory::Make(DeviceFactory::KindFor(name), DeviceFactory::DefaultSilenceLimit());
        EXPECT_EQ(dynamic_cast<NetworkDevice*>(device.get()) != nullptr, network) << name;
        EXPECT_EQ(dynamic_cast<PosixSerialDevice*>(device.get()) != nullptr, !network) << name;
        EXPECT_FALSE(device->IsOpen()) << name;
    }
}

} // namespace
