#include "NetworkSourceChoice.h"

#include "device/network/NetworkAddress.h"

#include <algorithm>

NetworkSourceChoice::NetworkSourceChoice(const std::string& port, bool localGpsdAnswers,
                                         const std::vector<std::string>& serialPorts) {
    items_.emplace_back();
    if (localGpsdAnswers) {
        items_.emplace_back(LocalGpsd);
    }
    const bool unlistedPath =
        port.starts_with('/') &&
        std::find(serialPorts.begin(), serialPorts.end(), port) == serialPorts.end();
    if (NetworkAddress::IsNetworkName(port) || unlistedPath) {
        text_ = port;
        if (std::find(items_.begin(), items_.end(), port) == items_.end()) {
            items_.push_back(port);
        }
    }
}

std::string NetworkSourceChoice::PortName(const std::string& typed, const std::string& serialPort) {
    const auto first = typed.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return serialPort;
    }
    const auto last = typed.find_last_not_of(" \t");
    return typed.substr(first, last - first + 1);
}
