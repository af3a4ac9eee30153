#pragma once

#include <string>

// A symbolic link at a fixed path to the simulated port, whose device name changes from run to
// run. It replaces whatever was at the path in one step and goes again with the simulator.
class DeviceLink {
public:
    // Raises EFileError when the link cannot be made.
    DeviceLink(std::string path, std::string target);
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;
    ~DeviceLink();

private:
    std::string path_;
    std::string target_;
};
