#pragma once

#include "device/InputQueue.h"
#include "device/QueuedDevice.h"
#include "device/ReadLimits.h"
#include "platform/FileDescriptor.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
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
// ReadFile follows the read timeouts as a Windows serial port does: with ReadInterval all ones
// and both totals 0 (what a newly opened device has) it returns at once with what is queued;
// otherwise it waits in poll until `count` bytes have come, the total timeout (multiplier *
// count + constant) has passed, or the interval timeout has passed between two bytes; with
// ReadInterval and ReadTotalMultiplier all ones and a constant in between it returns as soon as
// any byte is there, after the constant at most. Without a timeout it waits until it has all.
// PurgeComm with RxAbort ends a waiting read with what it has and leaves the queue as it is;
// RxClear empties it.
//
// When the other end goes away (an adapter unplugged, a pseudo-terminal's master closed) the
// first wait reports EV_ERR with LineError::IOE whatever the mask, since the port hears of it in
// no other way, and every later wait fails at once.
//
// Open on an open device returns EBUSY rather than closing it behind the caller's back; the rest
// returns EBADF on a closed device.
class PosixSerialDevice : public QueuedDevice {
public:
    PosixSerialDevice() = default;
    ~PosixSerialDevice() override;

    int Open(const std::string& port) override;
    void Close() override;
    bool IsOpen() const override;
    int SetCommState(const DeviceControlBlock& control) override;
    int GetCommModemStatus(std::uint32_t& status) override;

    // The device file a port name stands for: "COM3" is "/dev/ttyS2", "ttyUSB0" is
    // "/dev/ttyUSB0", a path stays as it is.
    static std::string DevicePath(const std::string& port);

    static constexpr std::uint32_t MaximumQueueSize = InputQueue::MaximumInputSize;
    static constexpr CommTimeouts ImmediateReads = ReadLimits::Immediate;

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

    bool HasSourceLocked() const override;
    void ReceiveLocked() override;
    void CheckLineLocked() override;
    bool AwaitEventLocked(std::unique_lock<std::mutex>& lock, int& emptyWakeups) override;
    bool AwaitInputLocked(std::unique_lock<std::mutex>& lock, int wake,
                          std::optional<std::chrono::steady_clock::time_point> deadline,
                          int& emptyWakeups) override;
    // Wakes a wait that stopped reading the device because the queue was full.
    void RoomMadeLocked(std::size_t queuedBefore) override;
    void MaskChangedLocked() override;
    int FlushLocked(bool input, bool output) override;

    // After a poll that saw the terminal's `revents`: takes what it holds, and counts a wake-up
    // that found it readable with nothing to read; too many of them in a row are its end.
    void AfterPollLocked(short revents, std::uint64_t readBefore, int& emptyWakeups);
    std::optional<LineCounters> ReadCountersLocked() const;
    void StartModemWatchLocked();
    void StopModemWatch();
    void WatchModemLines(int device, int event);

    FileDescriptor device_;
    FileDescriptor modemEvent_;
    std::optional<LineCounters> counters_;
    std::uint64_t bytesRead_ = 0;

    std::thread modemWatch_;
    std::atomic<bool> modemWatchStop_ = false;
    std::atomic<bool> modemWatchEnded_ = false;
};
