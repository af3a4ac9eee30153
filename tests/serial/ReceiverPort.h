#pragma once

#include "serial/TComDataPacket.h"
#include "serial/TComPort.h"

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

// The receiver logs the receiver tests send, from the recorded captures.
extern const std::vector<std::string> ReceiverCaptures;

// The port and the two packets as the program's window sets them up.
struct ReceiverPort {
    explicit ReceiverPort(const std::string& device);

    TComPort port;
    TComDataPacket positions;
    TComDataPacket views;
};

// Writes all of `bytes` to the terminal's master unless `stop` is set first, so that the far end
// never blocks for good on a terminal nobody reads any more.
void WriteUnlessStopped(int master, std::string_view bytes, const std::atomic<bool>& stop);

void MakeNonBlocking(int fd);
