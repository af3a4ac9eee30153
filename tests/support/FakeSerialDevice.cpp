#include "FakeSerialDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <utility>

namespace {

std::string Hex4(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04x", static_cast<unsigned>(value));
    return text;
}

// The scripted failure of `operation`, 0 when it succeeds. Called with the script's mutex held.
int FailureOf(const FakeSerialDevice::Script& script, const std::string& operation) {
    const auto found = script.failures.find(operation);
    return found == script.failures.end() ? 0 : found->second;
}

} // namespace

FakeSerialDevice::FakeSerialDevice() : FakeSerialDevice(std::make_shared<Script>()) {}

FakeSerialDevice::FakeSerialDevice(std::shared_ptr<Script> script) : script_(std::move(script)) {}

int FakeSerialDevice::Open(const std::string& port) {
    const std::lock_guard lock(script_->mutex);
    script_->calls.push_back("Open " + port);
    if (const int error = FailureOf(*script_, "Open")) {
        return error;
    }
    script_->open = true;
    return 0;
}

void FakeSerialDevice::Close() {
    const std::lock_guard lock(script_->mutex);
    script_->calls.push_back("Close");
    script_->open = false;
}

bool FakeSerialDevice::IsOpen() const {
    const std::lock_guard lock(script_->mutex);
    return script_->open;
}

int FakeSerialDevice::SetupComm(std::uint32_t inputSize, std::uint32_t outputSize) {
    const std::lock_guard lock(script_->mutex);
    script_->calls.push_back("SetupComm " + std::to_string(inputSize) + " " +
                             std::to_string(outputSize));
    return FailureOf(*script_, "SetupComm");
}

int FakeSerialDevice::SetCommState(const DeviceControlBlock& control) {
    const std::lock_guard lock(script_->mutex);
    script_->calls.push_back("SetCommState");
    if (const int error = FailureOf(*script_, "SetCommState")) {
        return error;
    }
    script_->control = control;
    return 0;
}

int FakeSerialDevice::SetCommTimeouts(const CommTimeouts& timeouts) {
    const std::lock_guard lock(script_->mutex);
    script_->calls.push_back("SetCommTimeouts");
    if (const int error = FailureOf(*script_, "SetCommTimeouts")) {
        return error;
    }
    script_->timeouts = timeouts;
    return 0;
}

void FakeSerialDevice::SetCommMask(std::uint32_t mask) {
    const std::lock_guard lock(script_->mutex);
    script_->calls.push_back("SetCommMask " + Hex4(mask));
    script_->mask = mask;
}

WaitOutcome FakeSerialDevice::WaitEvent(std::uint32_t& events) {
    events = 0;
    std::unique_lock lock(script_->mutex);
    Script& script = *script_;
    script.calls.push_back("WaitEvent");
    script.waiting = true;
    script.changed.notify_all();
    script.changed.wait(lock, [&script] {
        return script.stopRequested || !script.reports.empty() || script.failWait;
    });
    script.waiting = false;
    script.changed.notify_all();
    if (script.stopRequested) {
        return WaitOutcome::Stopped;
    }
    if (!script.reports.empty()) {
        events = script.reports.front();
        script.reports.pop_front();
        return WaitOutcome::Event;
    }
    return WaitOutcome::Failed;
}

void FakeSerialDevice::StopWait() {
    const std::lock_guard lock(script_->mutex);
    script_->stopRequested = true;
    script_->changed.notify_all();
}

void FakeSerialDevice::ResetStop() {
    const std::lock_guard lock(script_->mutex);
    script_->stopRequested = false;
}

int FakeSerialDevice::ClearCommError(std::uint32_t& errors, std::uint32_t& inputQueue) {
    errors = 0;
    inputQueue = 0;
    const std::lock_guard lock(script_->mutex);
    script_->calls.push_back("ClearCommError");
    if (const int error = FailureOf(*script_, "ClearCommError")) {
        return error;
    }
    errors = std::exchange(script_->lineErrors, 0);
    inputQueue = static_cast<std::uint32_t>(script_->input.size());
    return 0;
}

int FakeSerialDevice::GetCommModemStatus(std::uint32_t& status) {
    status = 0;
    const std::lock_guard lock(script_->mutex);
    script_->calls.push_back("GetCommModemStatus");
    if (const int error = FailureOf(*script_, "GetCommModemStatus")) {
        return error;
    }
    status = script_->modemStatus;
    return 0;
}

int FakeSerialDevice::PurgeComm(std::uint32_t flags) {
    const std::lock_guard lock(script_->mutex);
    script_->calls.push_back("PurgeComm " + std::to_string(flags));
    if (const int error = FailureOf(*script_, "PurgeComm")) {
        return error;
    }
    // Reads never wait here, so an abort has nothing to end; only a clear drops input.
    if ((flags & Purge::RxClear) != 0) {
        script_->input.clear();
    }
    return 0;
}

int FakeSerialDevice::ReadFile(void* buffer, std::uint32_t count, std::uint32_t& transferred) {
    transferred = 0;
    const std::lock_guard lock(script_->mutex);
    script_->calls.push_back("ReadFile " + std::to_string(count));
    if (const int error = FailureOf(*script_, "ReadFile")) {
        return error;
    }
    if (buffer == nullptr && count != 0) {
        return EINVAL;
    }
    const std::size_t taken = std::min<std::size_t>(count, script_->input.size());
    std::copy_n(script_->input.begin(), taken, static_cast<char*>(buffer));
    script_->input.erase(0, taken);
    transferred = static_cast<std::uint32_t>(taken);
    return 0;
}

void FakeSerialDevice::Script::QueueInput(const std::string& bytes) {
    const std::lock_guard lock(mutex);
    input += bytes;
}

void FakeSerialDevice::Script::RaiseEvents(std::uint32_t events) {
    const std::lock_guard lock(mutex);
    reports.push_back(events);
    changed.notify_all();
}

void FakeSerialDevice::Script::FailWait() {
    const std::lock_guard lock(mutex);
    failWait = true;
    changed.notify_all();
}

void FakeSerialDevice::Script::SetLineErrors(std::uint32_t errors) {
    const std::lock_guard lock(mutex);
    lineErrors = errors;
}

void FakeSerialDevice::Script::SetModemStatus(std::uint32_t status) {
    const std::lock_guard lock(mutex);
    modemStatus = status;
}

void FakeSerialDevice::Script::SetFailure(const std::string& operation, int errorNumber) {
    const std::lock_guard lock(mutex);
    if (errorNumber == 0) {
        failures.erase(operation);
    } else {
        failures[operation] = errorNumber;
    }
}

std::vector<std::string> FakeSerialDevice::Script::Calls() const {
    const std::lock_guard lock(mutex);
    return calls;
}

void FakeSerialDevice::Script::ClearCalls() {
    const std::lock_guard lock(mutex);
    calls.clear();
}

int FakeSerialDevice::Script::CountCalls(const std::string& prefix) const {
    const std::lock_guard lock(mutex);
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&prefix](const auto& call) {
        return call.compare(0, prefix.size(), prefix) == 0;
    }));
}

DeviceControlBlock FakeSerialDevice::Script::LastControlBlock() const {
    const std::lock_guard lock(mutex);
    return control;
}

CommTimeouts FakeSerialDevice::Script::LastTimeouts() const {
    const std::lock_guard lock(mutex);
    return timeouts;
}

std::uint32_t FakeSerialDevice::Script::Mask() const {
    const std::lock_guard lock(mutex);
    return mask;
}

std::size_t FakeSerialDevice::Script::InputQueued() const {
    const std::lock_guard lock(mutex);
    return input.size();
}

bool FakeSerialDevice::Script::Waiting() const {
    const std::lock_guard lock(mutex);
    return waiting;
}
