#include "EComPort.h"

#include "platform/Formatting.h"

#include <array>

namespace {

constexpr std::array<const char*, 23> Messages = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
};

} // namespace

const char* EComPort::MessageText(int errorCode) {
    if (errorCode < 1 || errorCode > static_cast<int>(Messages.size())) {
        return "";
    }
    return Messages[static_cast<std::size_t>(errorCode - 1)];
}

EComPort::EComPort(int errorCode)
    : Exception(MessageText(errorCode)), systemErrorCode_(NoSystemError), errorCode_(errorCode) {}

EComPort::EComPort(int errorCode, int systemErrorCode)
    : Exception(std::string(MessageText(errorCode)) +
                Format(" (win error code: %d)", systemErrorCode)),
      systemErrorCode_(systemErrorCode), errorCode_(errorCode) {}

EComPort::EComPort(int errorCode, int systemErrorCode, const std::string& reason)
    : Exception(std::string(MessageText(errorCode)) + ": " + reason),
      systemErrorCode_(systemErrorCode), errorCode_(errorCode) {}
