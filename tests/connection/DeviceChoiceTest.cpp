// The port takes the kind of device its name asks for at each open, so that a setup can move it
// from a serial receiver to the network and back without a new port.
#include "device/network/NetworkDevice.h"
#include "device/serial/PosixSerialDevice.h"
#include "device/serial/PseudoTerminal.h"
#include "serial/TComPort.h"

#include "LocalTcpServer.h"

#include <gtest/gtest.h>

namespace {

TEST(DeviceChoice, FollowsThePortNameAtEachOpen) {
    const LocalTcpServer server;
    const PseudoTerminal terminal;
    TComPort port;
    for (const std::string& name : {server.Name(), terminal.Path(), server.Name("gpsd")}) {
        port.SetPort(name);
        port.Open();
        const bool network = dynamic_cast<NetworkDevice*>(&port.Device()) != nullptr;
        const bool serial = dynamic_cast<PosixSerialDevice*>(&port.Device()) != nullptr;
        EXPECT_EQ(network, name.find("://") != std::string::npos) << name;
        EXPECT_EQ(serial, !network) << name;
        port.Close();
    }
}

} // namespace
