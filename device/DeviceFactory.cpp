#include "DeviceFactory.h"

#include "network/NetworkAddress.h"
#include "network/NetworkDevice.h"
#include "serial/PosixSerialDevice.h"

DeviceFactory::Kind DeviceFactory::KindFor(std::string_view port) {
    return NetworkAddress::IsNetworkName(port) ? Kind::Network : Kind::Terminal;
}

std::unique_ptr<SerialDevice> DeviceFactory::Make(Kind kind,
                                                  std::chrono::milliseconds silenceLimit) {
    if (kind == Kind::Network) {
        return std::make_unique<NetworkDevice>(NetworkDevice::DefaultConnectLimit, silenceLimit);
    }
    return std::make_unique<PosixSerialDevice>();
}

std::chrono::milliseconds DeviceFactory::DefaultSilenceLimit() {
    return NetworkDevice::DefaultSilenceLimit;
}
