#include "ReceiverPort.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

const std::vector<std::string> ReceiverCaptures = {
    "bn-9015.log",   "bu353-glonass.log", "bu353s4.log", "com-1289.log",
    "garmin15x.log", "gr601-w.log",       "mt3339.log",  "ublox-lea-4h.log"};

ReceiverPort::ReceiverPort(const std::string& device) {
    port.SetPort(device);
    port.SetBaudRate(TBaudRate::br9600);
    port.SetDataBits(TDataBits::dbEight);
    port.Parity().SetBits(TParityBits::prNone);
    port.SetStopBits(TStopBits::sbOneStopBit);
    port.SetEvents(AllComEvents);
    port.FlowControl().SetFlowControl(TFlowControl::fcNone);
    port.FlowControl().SetControlDTR(TDTRFlowControl::dtrDisable);
    positions.SetStartString("$GPRMC,");
    positions.SetStopString("*");
    positions.SetIncludeStrings(true);
    positions.SetComPort(&port);
    views.SetStartString("$GPGSV,");
    views.SetStopString("*");
    views.SetIncludeStrings(false);
    views.SetComPort(&port);
}

void WriteUnlessStopped(int master, std::string_view bytes, const std::atomic<bool>& stop) {
    while (!bytes.empty() && !stop) {
        const ssize_t written = ::write(master, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        }
        pollfd writable{master, POLLOUT, 0};
        ::poll(&writable, 1, 50);
    }
}

void MakeNonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}
