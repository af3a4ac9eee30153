#include "QueuedDevice.h"

#include "EventSignal.h"
#include "TimedRead.h"

#include <cerrno>
#include <utility>

namespace {

constexpr std::uint32_t ReceiveEvents =
    DeviceEvent::RxChar | DeviceEvent::RxFlag | DeviceEvent::Rx80Full;
constexpr std::uint32_t AllPurgeFlags =
    Purge::TxAbort | Purge::RxAbort | Purge::TxClear | Purge::RxClear;

} // namespace

int QueuedDevice::SetupComm(std::uint32_t inputSize, std::uint32_t outputSize) {
    const std::lock_guard lock(mutex_);
    if (!HasSourceLocked()) {
        return EBADF;
    }
    if (inputSize == 0 || outputSize == 0 || inputSize > InputQueue::MaximumInputSize ||
        outputSize > InputQueue::MaximumInputSize) {
        return EINVAL;
    }
    queue_.SetInputSize(inputSize);
    outputSize_ = outputSize;
    QueueResizedLocked();
    return 0;
}

int QueuedDevice::SetCommTimeouts(const CommTimeouts& timeouts) {
    const std::lock_guard lock(mutex_);
    if (!HasSourceLocked()) {
        return EBADF;
    }
    timeouts_ = timeouts;
    return 0;
}

void QueuedDevice::SetCommMask(std::uint32_t mask) {
    const std::lock_guard lock(mutex_);
    mask_ = mask;
    pendingEvents_ &= mask;
    MaskChangedLocked();
}

WaitOutcome QueuedDevice::WaitEvent(std::uint32_t& events) {
    events = 0;
    std::unique_lock lock(mutex_);
    int emptyWakeups = 0;
    for (;;) {
        if (stopRequested_) {
            return WaitOutcome::Stopped;
        }
        if (!HasSourceLocked() || closing_ || goneReported_) {
            return WaitOutcome::Failed;
        }
        ReceiveLocked();
        CheckLineLocked();
        const std::uint32_t ready = (pendingEvents_ & mask_) | (gone_ ? DeviceEvent::Err : 0);
        if (ready != 0) {
            pendingEvents_ &= ~ready;
            goneReported_ = gone_;
            events = ready;
            return WaitOutcome::Event;
        }
        if (!AwaitEventLocked(lock, emptyWakeups)) {
            return WaitOutcome::Failed;
        }
    }
}

void QueuedDevice::StopWait() {
    const std::lock_guard lock(mutex_);
    stopRequested_ = true;
    if (wakeEvent_.IsOpen()) {
        SignalEvent(wakeEvent_.Get());
    }
}

void QueuedDevice::ResetStop() {
    const std::lock_guard lock(mutex_);
    // The eventfd is left as it is: the next wait empties it, and it may carry another wake-up.
    stopRequested_ = false;
}

int QueuedDevice::ClearCommError(std::uint32_t& errors, std::uint32_t& inputQueue) {
    errors = 0;
    inputQueue = 0;
    const std::lock_guard lock(mutex_);
    if (!HasSourceLocked()) {
        return EBADF;
    }
    ReceiveLocked();
    CheckLineLocked();
    // A source that has ended stays ended: its I/O error is not cleared by a call that only asked
    // for the queue (the port's receive dispatch), or the end would never be reported.
    errors = std::exchange(errors_, 0) | (gone_ ? LineError::IOE : 0U);
    inputQueue = static_cast<std::uint32_t>(queue_.Size());
    return 0;
}

int QueuedDevice::PurgeComm(std::uint32_t flags) {
    if ((flags & ~AllPurgeFlags) != 0) {
        return EINVAL;
    }
    const std::lock_guard lock(mutex_);
    if (!HasSourceLocked()) {
        return EBADF;
    }
    // An abort only ends the reads under way: bytes already received stay for the port, which
    // may still deliver them while it closes. There are no writes to end.
    if ((flags & Purge::RxAbort) != 0) {
        ++readAborts_;
        WakeReadersLocked();
    }
    const bool input = (flags & Purge::RxClear) != 0;
    const bool output = (flags & Purge::TxClear) != 0;
    if (input) {
        const std::size_t queuedBefore = queue_.Size();
        queue_.Clear();
        pendingEvents_ &= ~ReceiveEvents;
        RoomMadeLocked(queuedBefore);
    }
    if (!input && !output) {
        return 0;
    }
    return FlushLocked(input, output);
}

int QueuedDevice::ReadFile(void* buffer, std::uint32_t count, std::uint32_t& transferred) {
    transferred = 0;
    if (buffer == nullptr && count != 0) {
        return EINVAL;
    }
    std::unique_lock lock(mutex_);
    if (!HasSourceLocked() || closing_) {
        return EBADF;
    }
    TimedRead read(timeouts_, buffer, count, transferred);
    const std::uint64_t abortsBefore = readAborts_;
    int emptyWakeups = 0;
    for (;;) {
        ReceiveLocked();
        if (read.Take([this](char* at, std::uint32_t most) { return TakeLocked(at, most); }) ||
            readAborts_ != abortsBefore || closing_ || gone_ || read.TimeIsUp()) {
            return 0;
        }
        const int wake = read.Wake();
        if (wake < 0) {
            return errno;
        }
        if (!AwaitInputLocked(lock, wake, read.Deadline(), emptyWakeups)) {
            return 0;
        }
    }
}

void QueuedDevice::StartLocked() {
    queue_.SetInputSize(InputQueue::MinimumCapacity);
    outputSize_ = InputQueue::MinimumCapacity;
    control_ = DeviceControlBlock{};
    timeouts_ = ReadLimits::Immediate;
    ClearLocked();
}

void QueuedDevice::EndWaitsLocked(std::unique_lock<std::mutex>& lock) {
    closing_ = true;
    SignalEvent(wakeEvent_.Get());
    WakeReadersLocked();
    waitEnded_.wait(lock, [this] { return waiters_ == 0; });
}

void QueuedDevice::ClearLocked() {
    queue_.Clear();
    errors_ = 0;
    pendingEvents_ = 0;
    gone_ = false;
    goneReported_ = false;
}

std::uint32_t QueuedDevice::QueueLocked(std::string_view bytes) {
    const std::uint32_t found = queue_.Push(bytes, control_, errors_);
    if ((found & DeviceEvent::RxChar) != 0) {
        WakeReadersLocked();
    }
    pendingEvents_ |= found & mask_;
    return found & mask_;
}

std::uint32_t QueuedDevice::TakeLocked(char* buffer, std::uint32_t count) {
    const std::size_t queuedBefore = queue_.Size();
    const std::uint32_t taken = queue_.Take(buffer, count);
    // Bytes already read need no event of their own any more.
    if (queue_.Empty()) {
        pendingEvents_ &= ~(DeviceEvent::RxChar | DeviceEvent::Rx80Full);
    }
    RoomMadeLocked(queuedBefore);
    return taken;
}

void QueuedDevice::MarkGoneLocked() {
    if (gone_) {
        return;
    }
    gone_ = true;
    errors_ |= LineError::IOE;
    // Found by another thread than the waits': they must hear of it.
    SignalEvent(wakeEvent_.Get());
    WakeReadersLocked();
}

void QueuedDevice::WakeReadersLocked() {
    for (const int wake : readerWakes_) {
        SignalEvent(wake);
    }
}
