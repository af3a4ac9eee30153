#pragma once

#include "InputQueue.h"
#include "ReadLimits.h"
#include "SerialDevice.h"
#include "platform/FileDescriptor.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

// A device whose received bytes wait in an input queue of the layer's own: what every such
// device does alike, whatever brings the bytes. It keeps the mask and the events seen but not yet
// reported, the line errors, the settings that mean the same to every device, and the waits: the
// event wait and the reads that sleep in poll until bytes come, an abort, the end or Close.
//
// A kind of device brings the bytes (QueueLocked), says when its source has ended
// (MarkGoneLocked), and sleeps as its source needs (AwaitEventLocked, AwaitInputLocked). The
// event wait and every read hear of the end through wakeEvent_ and the readers' eventfds.
class QueuedDevice : public SerialDevice {
public:
    QueuedDevice() = default;
    QueuedDevice(const QueuedDevice&) = delete;
    QueuedDevice& operator=(const QueuedDevice&) = delete;

    int SetupComm(std::uint32_t inputSize, std::uint32_t outputSize) final;
    int SetCommTimeouts(const CommTimeouts& timeouts) final;
    void SetCommMask(std::uint32_t mask) final;
    WaitOutcome WaitEvent(std::uint32_t& events) final;
    void StopWait() final;
    void ResetStop() final;
    int ClearCommError(std::uint32_t& errors, std::uint32_t& inputQueue) final;
    int PurgeComm(std::uint32_t flags) final;
    int ReadFile(void* buffer, std::uint32_t count, std::uint32_t& transferred) final;

protected:
    // Everything named ...Locked runs with mutex_ held and, the waits apart, never blocks.

    // Whether the device has a source at all (Close may still be under way).
    virtual bool HasSourceLocked() const = 0;
    // Moves what the source holds into the queue, for a device whose source the callers read.
    virtual void ReceiveLocked() {}
    // Turns what the source reports of its line into line errors and events.
    virtual void CheckLineLocked() {}
    // Unlocks, sleeps until the event wait has something to look at (wakeEvent_ signalled or the
    // source's news), and returns with mutex_ held again; false when the wait itself failed.
    // `emptyWakeups` belongs to the wait, for a source that wakes it again and again in vain.
    virtual bool AwaitEventLocked(std::unique_lock<std::mutex>& lock, int& emptyWakeups) = 0;
    // As AwaitEventLocked, for a read that sleeps on its eventfd `wake` until `deadline` (none: no
    // time limit); it puts `wake` among readerWakes_ while it sleeps.
    virtual bool AwaitInputLocked(std::unique_lock<std::mutex>& lock, int wake,
                                  std::optional<std::chrono::steady_clock::time_point> deadline,
                                  int& emptyWakeups) = 0;
    // The queue had `queuedBefore` bytes and now has room that the source may be waiting for.
    virtual void RoomMadeLocked(std::size_t queuedBefore) = 0;
    // SetupComm has given the queue a new size.
    virtual void QueueResizedLocked() {}
    virtual void MaskChangedLocked() {}
    // PurgeComm's clearing of the source's own buffers; 0 or the system's error number.
    virtual int FlushLocked(bool /*input*/, bool /*output*/) { return 0; }

    // A new device starts as a new handle would; the mask is kept, being settable while closed.
    void StartLocked();
    // Wakes the event wait and the reads and waits until they have left poll: Close's first step.
    void EndWaitsLocked(std::unique_lock<std::mutex>& lock);
    // No bytes, errors or events left, and no end reported: what Open starts from and Close
    // leaves behind.
    void ClearLocked();
    // Queues received bytes and returns the events of the mask they raised, now pending.
    std::uint32_t QueueLocked(std::string_view bytes);
    std::uint32_t TakeLocked(char* buffer, std::uint32_t count);
    // The source has ended: reported as LineError::IOE and, once, EV_ERR whatever the mask.
    void MarkGoneLocked();
    void WakeReadersLocked();

    mutable std::mutex mutex_;
    std::condition_variable waitEnded_;
    // The event wait's: StopWait, Close, and news from the source.
    FileDescriptor wakeEvent_;
    std::uint32_t outputSize_ = InputQueue::MinimumCapacity;
    DeviceControlBlock control_;
    CommTimeouts timeouts_ = ReadLimits::Immediate;
    std::uint32_t mask_ = 0;
    InputQueue queue_;
    std::uint32_t errors_ = 0;
    std::uint32_t pendingEvents_ = 0; // seen but not yet reported, within the mask
    // Waits in poll, counted so that Close can wait until they have left it.
    int waiters_ = 0;
    // The eventfds of reads waiting in poll, signalled when bytes are queued, on an abort, at
    // the end and on Close.
    std::vector<int> readerWakes_;
    bool closing_ = false;
    bool gone_ = false;

private:
    std::uint64_t readAborts_ = 0;
    bool stopRequested_ = false;
    bool goneReported_ = false;
};
