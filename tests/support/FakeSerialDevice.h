#pragma once

#include "device/SerialDevice.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// A serial device for tests: bytes, events, line errors, modem lines and failures are scripted,
// and every call is recorded in order ("Open COM1", "SetupComm 1024 1024", "SetCommState",
// "SetCommTimeouts", "SetCommMask 0x05ff", "WaitEvent", "ClearCommError",
// "GetCommModemStatus", "PurgeComm 3", "ReadFile 12", "Close"). Safe to script from the test
// while the port's event thread waits on it. Reads take what is queued and never wait.
class FakeSerialDevice : public SerialDevice {
public:
    // What the test sees of the device; shared so that the test keeps it after handing the
    // device itself to a port.
    struct Script;

    FakeSerialDevice();
    explicit FakeSerialDevice(std::shared_ptr<Script> script);

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

    const std::shared_ptr<Script>& GetScript() const { return script_; }

private:
    std::shared_ptr<Script> script_;
};

struct FakeSerialDevice::Script {
    // Appends received bytes to the input queue (no event by itself).
    void QueueInput(const std::string& bytes);
    // Makes the waiting WaitEvent (or the next one) return these events; reports queue in order.
    void RaiseEvents(std::uint32_t events);
    // Makes the next wait (after the queued reports) fail, as a device that has gone does.
    void FailWait();
    // Line-error flags reported (and cleared) by the next ClearCommError.
    void SetLineErrors(std::uint32_t errors);
    void SetModemStatus(std::uint32_t status);
    // Makes every later call of `operation` ("Open", "SetupComm", "SetCommState",
    // "SetCommTimeouts", "ClearCommError", "GetCommModemStatus", "PurgeComm", "ReadFile") fail
    // with the error number; 0 makes it succeed again.
    void SetFailure(const std::string& operation, int errorNumber);

    std::vector<std::string> Calls() const;
    void ClearCalls();
    // How many recorded calls begin with `prefix`.
    int CountCalls(const std::string& prefix) const;
    DeviceControlBlock LastControlBlock() const;
    CommTimeouts LastTimeouts() const;
    std::uint32_t Mask() const;
    std::size_t InputQueued() const;
    bool Waiting() const;

    // Everything below is the fake's own state, guarded by `mutex`.
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> calls;
    std::deque<std::uint32_t> reports;
    bool failWait = false;
    bool stopRequested = false;
    bool waiting = false;
    bool open = false;
    std::string input;
    std::uint32_t lineErrors = 0;
    std::uint32_t modemStatus = 0;
    std::uint32_t mask = 0;
    DeviceControlBlock control;
    CommTimeouts timeouts;
    std::map<std::string, int> failures;
};
