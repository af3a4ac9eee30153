#include "DeviceWatchdog.h"

#include <chrono>

DeviceWatchdog::DeviceWatchdog(SerialDevice& device)
    : thread_([this, &device] {
          std::unique_lock lock(mutex_);
          if (!ended_.wait_for(lock, std::chrono::seconds(60), [this] { return done_; })) {
              device.StopWait();
              device.PurgeComm(Purge::RxAbort);
          }
      }) {}

DeviceWatchdog::~DeviceWatchdog() {
    {
        const std::lock_guard lock(mutex_);
        done_ = true;
    }
    ended_.notify_all();
    thread_.join();
}
