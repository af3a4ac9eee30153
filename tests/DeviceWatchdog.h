#pragma once

#include "device/SerialDevice.h"

#include <condition_variable>
#include <mutex>
#include <thread>

// Stops a device's waits and reads if a test has not ended after a generous while, so that a
// fault shows as a failed expectation instead of a test that never ends. Nothing here measures
// time.
class DeviceWatchdog {
public:
    explicit DeviceWatchdog(SerialDevice& device);
    DeviceWatchdog(const DeviceWatchdog&) = delete;
    DeviceWatchdog& operator=(const DeviceWatchdog&) = delete;
    ~DeviceWatchdog();

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::thread thread_;
};
