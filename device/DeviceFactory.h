#pragma once

#include "SerialDevice.h"

#include <chrono>
#include <memory>
#include <string_view>

// The device a port name asks for: a receiver on the network for a name of gpsd or of a TCP
// stream, a terminal for every other name. A port that is handed no device of its own takes its
// devices from here, so that it knows no kind of device itself.
class DeviceFactory {
public:
    enum class Kind { Terminal, Network };

    static Kind KindFor(std::string_view port);
    // A new, closed device of that kind. A network device counts a source that stays connected
    // and silent for `silenceLimit` as lost; a terminal has no use for it.
    static std::unique_ptr<SerialDevice> Make(Kind kind, std::chrono::milliseconds silenceLimit);
    static std::chrono::milliseconds DefaultSilenceLimit();
};
