#pragma once

#include "ChildProgram.h"

#include <cstdint>
#include <memory>
#include <string>

// A gpsd of the test's own (Debian's /usr/sbin/gpsd), in the foreground on a free port of the
// loopback, reading the receiver at `device`; it ends with the object. Kill and Start stand for
// a daemon that dies and is started again on the same port.
class GpsdDaemon {
public:
    explicit GpsdDaemon(std::string device);

    static bool Installed();
    std::uint16_t Port() const { return port_; }
    // The port name that reaches it.
    std::string Address() const;
    // Started and greeting its clients; false when it does not within 20 s.
    bool Start();
    void Kill();

private:
    std::string device_;
    std::uint16_t port_;
    std::unique_ptr<ChildProgram> daemon_;
};

// A TCP port of the loopback that nobody listens on at the moment of asking.
std::uint16_t FreeLoopbackPort();
