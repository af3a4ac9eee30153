#pragma once

#include "platform/Exception.h"

#include <string>

// The serial library's one error: a code from its table of messages and, where a system call
// failed, that call's error number in the message.
class EComPort : public Exception {
public:
    static constexpr int NoSystemError = -1;

    explicit EComPort(int errorCode);
    EComPort(int errorCode, int systemErrorCode);
    // With the device's own words for what failed in place of the number.
    EComPort(int errorCode, int systemErrorCode, const std::string& reason);

    int ErrorCode() const { return errorCode_; }
    int SystemErrorCode() const { return systemErrorCode_; }

    // The table text of a code (1 to 23); empty for any other.
    static const char* MessageText(int errorCode);

private:
    int systemErrorCode_;
    int errorCode_;
};

// The codes of the table.
namespace ComError {
inline constexpr int OpenPort = 1;
inline constexpr int WriteFailed = 2;
inline constexpr int ReadFailed = 3;
inline constexpr int InvalidAsync = 4;
inline constexpr int PurgeFailed = 5;
inline constexpr int AsyncStatus = 6;
inline constexpr int SetState = 7;
inline constexpr int SetTimeouts = 8;
inline constexpr int SetupComm = 9;
inline constexpr int ClearComm = 10;
inline constexpr int ModemStatus = 11;
inline constexpr int EscapeComm = 12;
inline constexpr int TransmitChar = 13;
inline constexpr int ConnChangeProp = 14;
inline constexpr int EnumPorts = 15;
inline constexpr int StoreFailed = 16;
inline constexpr int LoadFailed = 17;
inline constexpr int RegFailed = 18;
inline constexpr int LedStateFailed = 19;
inline constexpr int ThreadCreated = 20;
inline constexpr int WaitFailed = 21;
inline constexpr int HasLink = 22;
inline constexpr int RegError = 23;
} // namespace ComError
