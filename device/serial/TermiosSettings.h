#pragma once

#include "device/SerialDevice.h"

#include <array>
#include <cstdint>
#include <optional>

// A terminal's settings in the kernel's termios2 layout, the only one that carries any bit rate.
// The kernel's header for it clashes with the C library's <termios.h>, so this header names the
// fields itself and only TermiosSettings.cpp sees the kernel's definitions.
struct TermiosSettings {
    std::uint32_t inputFlags = 0;
    std::uint32_t outputFlags = 0;
    std::uint32_t controlFlags = 0;
    std::uint32_t localFlags = 0;
    std::uint8_t lineDiscipline = 0;
    std::array<std::uint8_t, 19> controlCharacters{};
    std::uint32_t inputSpeed = 0;
    std::uint32_t outputSpeed = 0;
    // Modem lines (TIOCM_ bits) to raise and to lower beside the termios; a terminal's own
    // settings leave both empty when read back.
    std::uint32_t raiseLines = 0;
    std::uint32_t lowerLines = 0;

    friend bool operator==(const TermiosSettings&, const TermiosSettings&) = default;
};

// The raw terminal a device-control block asks for, or nothing when no line can do it (a bit
// rate of 0, 9 data bits, an unknown parity, the same Xon and Xoff character...).
//
// Where the block asks for more than a Linux terminal offers:
// - 1.5 stop bits become 2;
// - fErrorChar is not supported: with fParity the kernel hands on a byte that arrived with a
//   parity or framing error as NUL (dropped too when fNull is set);
// - a break also arrives as one NUL byte, which is what wakes a waiting reader for it;
// - fOutxDsrFlow, fDsrSensitivity, fTXContinueOnXoff, XonLim, XoffLim, EofChar and
//   fAbortOnError have no counterpart and are ignored; fBinary is ignored too, a raw terminal
//   being binary anyway;
// - RTS toggle (3) keeps RTS low: a terminal does not raise it while sending.
// fNull and EvtChar are no terminal settings: the device layer applies them as it queues input.
std::optional<TermiosSettings> MakeTermios(const DeviceControlBlock& control);

// TCGETS2 and TCSETS2 on an open terminal: the system's error number, 0 on success.
int ReadTermios(int fd, TermiosSettings& settings);
int WriteTermios(int fd, const TermiosSettings& settings);
