#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The serial device as the port sees it: the operations of the platform's communications
// functions, one call each. Every operation that can fail returns the system's error number
// (0 for success); the port turns that into its own error. Implementations are safe to call
// from the event thread (WaitEvent) and the main thread (everything else) at the same time.

// Device events (the EV_ mask).
namespace DeviceEvent {
inline constexpr std::uint32_t RxChar = 0x0001;
inline constexpr std::uint32_t RxFlag = 0x0002;
inline constexpr std::uint32_t TxEmpty = 0x0004;
inline constexpr std::uint32_t Cts = 0x0008;
inline constexpr std::uint32_t Dsr = 0x0010;
inline constexpr std::uint32_t Rlsd = 0x0020;
inline constexpr std::uint32_t Break = 0x0040;
inline constexpr std::uint32_t Err = 0x0080;
inline constexpr std::uint32_t Ring = 0x0100;
inline constexpr std::uint32_t Rx80Full = 0x0400;
} // namespace DeviceEvent

// Line-error flags (the CE_ flags) that ClearCommError reports and clears.
namespace LineError {
inline constexpr std::uint32_t RxOver = 0x0001;
inline constexpr std::uint32_t Overrun = 0x0002;
inline constexpr std::uint32_t RxParity = 0x0004;
inline constexpr std::uint32_t Frame = 0x0008;
inline constexpr std::uint32_t Break = 0x0010;
inline constexpr std::uint32_t TxFull = 0x0100;
inline constexpr std::uint32_t IOE = 0x0400;
inline constexpr std::uint32_t Mode = 0x8000;
} // namespace LineError

// Modem status bits (the MS_ flags).
namespace ModemStatus {
inline constexpr std::uint32_t CtsOn = 0x0010;
inline constexpr std::uint32_t DsrOn = 0x0020;
inline constexpr std::uint32_t RingOn = 0x0040;
inline constexpr std::uint32_t RlsdOn = 0x0080;
} // namespace ModemStatus

// Purge flags.
namespace Purge {
inline constexpr std::uint32_t TxAbort = 0x0001;
inline constexpr std::uint32_t RxAbort = 0x0002;
inline constexpr std::uint32_t TxClear = 0x0004;
inline constexpr std::uint32_t RxClear = 0x0008;
} // namespace Purge

// The device-control block: line settings as the port fills them in.
struct DeviceControlBlock {
    std::uint32_t DCBlength = 28;
    std::uint32_t BaudRate = 0;
    bool fBinary = false;
    bool fParity = false;
    bool fOutxCtsFlow = false;
    bool fOutxDsrFlow = false;
    std::uint8_t fDtrControl = 0; // 0 disable, 1 enable, 2 handshake
    bool fDsrSensitivity = false;
    bool fTXContinueOnXoff = false;
    bool fOutX = false;
    bool fInX = false;
    bool fErrorChar = false;
    bool fNull = false;
    std::uint8_t fRtsControl = 0; // 0 disable, 1 enable, 2 handshake, 3 toggle
    bool fAbortOnError = false;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 8;
    std::uint8_t Parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t StopBits = 0; // 0 one, 1 one and a half, 2 two
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    friend bool operator==(const DeviceControlBlock&, const DeviceControlBlock&) = default;
};

struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
    friend bool operator==(const CommTimeouts&, const CommTimeouts&) = default;
};

// What one wait for a device event ended with.
enum class WaitOutcome {
    Event,   // `events` holds the device events that occurred
    Stopped, // the stop request woke the wait
    Failed,  // the wait itself failed (the device has gone): the waiting loop must end
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // `port` is a device path ("/dev/ttyUSB0"), a name under /dev ("ttyUSB0"), or "COMn", which
    // stands for /dev/ttyS(n-1). Opened for reading and writing, exclusively.
    virtual int Open(const std::string& port) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    virtual int SetupComm(std::uint32_t inputSize, std::uint32_t outputSize) = 0;
    virtual int SetCommState(const DeviceControlBlock& control) = 0;
    virtual int SetCommTimeouts(const CommTimeouts& timeouts) = 0;
    virtual void SetCommMask(std::uint32_t mask) = 0;

    // Blocks, without polling, until an event of the mask occurs or StopWait is called. A stop
    // request made before the wait began ends it at once; ResetStop clears the request. With a
    // mask of 0 only a stop ends it. A device that goes away reports EV_ERR once, with
    // LineError::IOE, whatever the mask; every later wait fails.
    virtual WaitOutcome WaitEvent(std::uint32_t& events) = 0;
    virtual void StopWait() = 0;
    virtual void ResetStop() = 0;

    // The line errors since the last call (LineError flags), cleared, and the number of bytes
    // in the input queue.
    virtual int ClearCommError(std::uint32_t& errors, std::uint32_t& inputQueue) = 0;
    // The ModemStatus bits; a device without modem lines reports all off.
    virtual int GetCommModemStatus(std::uint32_t& status) = 0;
    // RxAbort ends the reads under way and leaves the input queue alone; RxClear empties it,
    // TxClear the output. TxAbort has no writes to end.
    virtual int PurgeComm(std::uint32_t flags) = 0;
    // Takes up to `count` bytes from the input queue, waiting for more as long as the read
    // timeouts allow (with ReadInterval all ones and both totals 0, not at all).
    virtual int ReadFile(void* buffer, std::uint32_t count, std::uint32_t& transferred) = 0;

    // Why the device went away or could not be reached, in words that name it ("Cannot connect
    // to gpsd at localhost:2947: Connection refused"); empty when it has nothing to add to the
    // I/O error itself.
    virtual std::string FailureText() const { return {}; }
    // Whether that failure is one that trying again will not mend (a host name that does not
    // exist).
    virtual bool FailureLasts() const { return false; }
};
