#pragma once

#include "platform/TStringList.h"

#include <string>
#include <vector>

// Where the names of the system's serial ports come from.
class SerialPortSource {
public:
    virtual ~SerialPortSource() = default;
    // The ports, in any order. Raises EComPort code 23 with the system's error number when the
    // list cannot be read.
    virtual std::vector<std::string> Ports() const = 0;
};

// The serial devices this machine really has, as device paths ("/dev/ttyUSB0", "/dev/ttyACM0",
// and "/dev/ttyS<n>" only where a UART answers), from /sys/class/tty.
const SerialPortSource& SystemSerialPorts();

// The serial ports listed in a folder laid out as /sys/class/tty; raises EComPort code 23 when it
// cannot be read.
std::vector<std::string> SerialPortsInTtyClass(const std::string& folder);

// Replaces `target` with the ports of `source`, sorted as text ignoring letter case.
void EnumSerialPorts(TStringList& target, const SerialPortSource& source = SystemSerialPorts());
