#pragma once

#include <string>
#include <vector>

// The setup's row for a receiver reached over the network (gpsd, or a TCP stream of NMEA)
// instead of through the serial port chosen above it. Empty means the serial port; anything
// typed there becomes the port's name, and a name that is no address fails at opening as an
// unknown port does. A device path typed there (a link such as /dev/serial/by-id/...) is shown
// there again, as the port list above cannot show it.
class NetworkSourceChoice {
public:
    static constexpr const char* Caption = "Network";
    static constexpr const char* LocalGpsd = "gpsd://localhost:2947";

    // `port`: the port's name before the setup; `localGpsdAnswers`: whether a gpsd answers on
    // this machine, so that it is offered; `serialPorts`: the ports the list above offers.
    NetworkSourceChoice(const std::string& port, bool localGpsdAnswers,
                        const std::vector<std::string>& serialPorts = {});

    // The empty choice first, then the local gpsd, then the port's own address or path.
    const std::vector<std::string>& Items() const { return items_; }
    // What the row shows first: the port's name when it is an address, or a path that the list
    // of serial ports does not hold.
    const std::string& Text() const { return text_; }
    // The port's name after the setup, from the row's text and the serial port chosen above.
    static std::string PortName(const std::string& typed, const std::string& serialPort);

private:
    std::vector<std::string> items_;
    std::string text_;
};
