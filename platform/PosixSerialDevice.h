#pragma once

#include "FileDescriptor.h"
#include "SerialDevice.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

// The serial device over a Linux terminal: a serial port, a USB adapter or a pseudo-terminal.
//
// Received bytes move from the terminal into the layer's own input queue, where the event
// character and the fill level can be seen. The queue holds max(InputSize, 4096) bytes, so that
// a small SetupComm cannot make an ordinary burst overflow it; when full, the oldest bytes stay
// and the excess is dropped with LineError::RxOver. WaitEvent sleeps in poll on the terminal and
// on eventfds: one for StopWait and Close, one for a helper thread that sleeps in TIOCMIWAIT on a
// real port whose mask asks for modem lines. Line errors come from the kernel's TIOCGICOUNT
// counters; a break sets LineError::Break and reports both EV_BREAK and EV_ERR.
//
// When the other end goes away (an adapter unplugged, a pseudo-terminal's master closed) the
// first wait reports EV_ERR with LineError::IOE whatever the mask, since the port hears of it in
// no other way, and every later wait fails at once.
//
// Open on an open device returns EBUSY rather than closing it behind the caller's back; the rest
// returns EBADF on a closed device.
class PosixSerialDevice : public SerialDevice {
public:
    PosixSerialDevice() = default;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;
    ~PosixSerialDevice() override;

    int Open(const std::string& port) override;
    void Close() override;
    bool IsOpen() const override;
    int SetupComm(std::uint32_t inputSize, std::uint32_t outputSize) override;
    int SetCommState(const DeviceControlBlock& control) override;
    int SetCommTimeouts(const CommTimeouts& timeouts) override;
    void SetCommMask(std::uint32_t mask) override;
    WaitOutcome WaitEvent(std::uint32_t& events) override;
    void StopWait() override;
    void ResetStop() override;
    int ClearCommError(std::uint32_t& errors, std::uint32_t& inputQueue) override;
    int GetCommModemStatus(std::uint32_t& status) override;
    int PurgeComm(std::uint32_t flags) override;
    int ReadFile(void* buffer, std::uint32_t count, std::uint32_t& transferred) override;

    // The device file a port name stands for: "COM3" is "/dev/ttyS2", "ttyUSB0" is
    // "/dev/ttyUSB0", a path stays as it is.
    static std::string DevicePath(const std::string& port);

    // SetupComm refuses larger queues: nothing a serial line sends needs them.
    static constexpr std::uint32_t MaximumQueueSize = 16 * 1024 * 1024;

private:
    struct LineCounters {
        int cts = 0;
        int dsr = 0;
        int rng = 0;
        int dcd = 0;
        int frame = 0;
        int overrun = 0;
        int parity = 0;
        int brk = 0;
        int bufOverrun = 0;
    };

    // Everything named ...Locked runs with mutex_ held and never blocks.
    void PumpLocked();
    void DrainLocked();
    std::size_t QueueCapacityLocked() const;
    // Wakes a wait that stopped reading the device because the queue was full.
    void WakeIfRoomLocked(std::size_t queuedBefore);
    void QueueLocked(const char* bytes, std::size_t count);
    void CheckCountersLocked();
    std::optional<LineCounters> ReadCountersLocked() const;
    void MarkGoneLocked();
    void StartModemWatchLocked();
    void StopModemWatch();
    void WatchModemLines(int device, int event);

    mutable std::mutex mutex_;
    std::condition_variable waitEnded_;
    FileDescriptor device_;
    FileDescriptor wakeEvent_;
    FileDescriptor modemEvent_;
    std::uint32_t inputSize_ = 4096;
    std::uint32_t outputSize_ = 4096;
    DeviceControlBlock control_;
    CommTimeouts timeouts_;
    std::uint32_t mask_ = 0;
    std::deque<char> queue_;
    std::uint32_t errors_ = 0;
    std::uint32_t pendingEvents_ = 0; // seen but not yet reported, within the mask
    std::optional<LineCounters> counters_;
    std::uint64_t bytesRead_ = 0;
    int waiters_ = 0;
    bool stopRequested_ = false;
    bool closing_ = false;
    bool gone_ = false;
    bool goneReported_ = false;

    std::thread modemWatch_;
    std::atomic<bool> modemWatchStop_ = false;
    std::atomic<bool> modemWatchEnded_ = false;
};
