#pragma once

#include "GpsdStream.h"
#include "NetworkAddress.h"
#include "device/QueuedDevice.h"
#include "platform/FileDescriptor.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class ConnectAttempt;
class HostLookup;

// A receiver on the network, as a serial device: a TCP client of a server that sends the
// receiver's sentences (tcp://HOST:PORT) or of gpsd (gpsd://HOST[:PORT][/DEVICE]), which is asked
// for them with ?WATCH and whose own reports are left out, but for those that end the watch (an
// error, the receiver gone).
//
// Open only checks the name and returns: a thread of the device's own looks the host up,
// connects and, for gpsd, waits for its greeting, within the connect limit in all, and then moves
// what arrives into the input queue, which holds max(InputSize, 4096) bytes as on a serial port.
// A full queue leaves the rest with the kernel, which holds the sender back; nothing is dropped.
// The host is looked up on a thread that Close does not wait for, as a dead name server could
// hold it for long; an Open while that lookup still runs waits for it instead of adding another.
//
// A source that stays connected and yet brings no byte for the silence limit (a stopped server,
// a connection whose far end vanished without a word) has ended; TCP keep-alive notices a dead
// peer sooner.
//
// To the port it is a serial device without a line: line settings, the write timeouts and the
// output size are kept and mean nothing; there are no modem lines. Reads follow the read
// timeouts as on a serial port. WaitEvent sleeps in poll while nothing happens. A connection
// that cannot be made, or that ends (closed, reset, a peer that is no gpsd), is reported as a
// serial device's end is: EV_ERR with LineError::IOE once, whatever the mask, after the bytes
// already received; every later wait fails, and FailureText says what happened (until the next
// Open: the port may close before it asks).
//
// Open on an open device returns EBUSY, and a malformed name EINVAL, FailureText then saying
// what is wrong with it; the rest returns EBADF on a closed device. FailureLasts tells a failure
// that no later Open mends: a malformed name, a host name that does not exist.
class NetworkDevice : public QueuedDevice {
public:
    explicit NetworkDevice(std::chrono::milliseconds connectLimit = DefaultConnectLimit,
                           std::chrono::milliseconds silenceLimit = DefaultSilenceLimit);
    ~NetworkDevice() override;

    int Open(const std::string& port) override;
    void Close() override;
    bool IsOpen() const override;
    int SetCommState(const DeviceControlBlock& control) override;
    int GetCommModemStatus(std::uint32_t& status) override;
    std::string FailureText() const override;
    bool FailureLasts() const override;

    // Room for a gpsd that takes several seconds to greet after its own start.
    static constexpr std::chrono::milliseconds DefaultConnectLimit = std::chrono::seconds(15);
    static constexpr std::chrono::milliseconds DefaultSilenceLimit = std::chrono::seconds(30);

private:
    bool HasSourceLocked() const override;
    bool AwaitEventLocked(std::unique_lock<std::mutex>& lock, int& emptyWakeups) override;
    bool AwaitInputLocked(std::unique_lock<std::mutex>& lock, int wake,
                          std::optional<std::chrono::steady_clock::time_point> deadline,
                          int& emptyWakeups) override;
    void RoomMadeLocked(std::size_t queuedBefore) override;
    void QueueResizedLocked() override;

    // The connection's own thread: connects, then receives until the end or Close.
    void Run(NetworkAddress address, std::shared_ptr<const HostLookup> lookup, int stop, int room);
    // The connected socket, gpsd's greeting received; none when stopped, or when it failed and
    // `failure` says why. What came with the greeting is left in `received`.
    FileDescriptor Connect(ConnectAttempt& attempt, const HostLookup& lookup,
                           const NetworkAddress& address, std::optional<GpsdStream>& gpsd,
                           std::string& received, std::string& failure);
    void Receive(int socket, const NetworkAddress& address, std::optional<GpsdStream>& gpsd,
                 std::string received, int stop, int room);
    // Moves what fits of `received` into the queue; true when all of it went.
    bool DeliverLocked(std::string& received);

    // Unlocks and sleeps in poll on the eventfd `wake` until `deadline` (none: no time limit);
    // returns with mutex_ held again.
    void AwaitLocked(std::unique_lock<std::mutex>& lock, int wake,
                     std::optional<std::chrono::steady_clock::time_point> deadline);
    void WakeSenderLocked();
    void FailLocked(const std::string& text);

    const std::chrono::milliseconds connectLimit_;
    const std::chrono::milliseconds silenceLimit_;
    std::thread connection_;
    // The connection's: Close, and room in a queue that was full.
    FileDescriptor stopEvent_;
    FileDescriptor roomEvent_;
    bool open_ = false;
    bool senderWaits_ = false; // the connection waits for room in the queue
    std::string failure_;
    bool failureLasts_ = false;
    // The last lookup of a host, which may outlive the connection that began it.
    std::shared_ptr<const HostLookup> lookup_;
};
