#include "TermiosSettings.h"

// The kernel's terminal definitions, not the C library's: only they have termios2 and BOTHER.
#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

namespace {

static_assert(std::tuple_size_v<decltype(TermiosSettings::controlCharacters)> == NCCS);

std::optional<std::uint32_t> DataBitFlags(std::uint8_t byteSize) {
    switch (byteSize) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    case 8:
        return CS8;
    default:
        return std::nullopt;
    }
}

std::optional<std::uint32_t> ParityFlags(std::uint8_t parity) {
    switch (parity) {
    case 0:
        return 0;
    case 1:
        return PARENB | PARODD;
    case 2:
        return PARENB;
    case 3: // mark: the stuck parity bit is 1
        return PARENB | CMSPAR | PARODD;
    case 4:
        return PARENB | CMSPAR;
    default:
        return std::nullopt;
    }
}

std::optional<std::uint32_t> StopBitFlags(std::uint8_t stopBits) {
    switch (stopBits) {
    case 0:
        return 0;
    case 1: // termios has no 1.5 stop bits; 2 is the nearest, and a receiver set to 1.5 accepts it
    case 2:
        return CSTOPB;
    default:
        return std::nullopt;
    }
}

termios2 ToKernel(const TermiosSettings& settings) {
    termios2 kernel{};
    kernel.c_iflag = settings.inputFlags;
    kernel.c_oflag = settings.outputFlags;
    kernel.c_cflag = settings.controlFlags;
    kernel.c_lflag = settings.localFlags;
    kernel.c_line = settings.lineDiscipline;
    for (std::size_t i = 0; i < settings.controlCharacters.size(); ++i) {
        kernel.c_cc[i] = settings.controlCharacters[i];
    }
    kernel.c_ispeed = settings.inputSpeed;
    kernel.c_ospeed = settings.outputSpeed;
    return kernel;
}

TermiosSettings FromKernel(const termios2& kernel) {
    TermiosSettings settings;
    settings.inputFlags = kernel.c_iflag;
    settings.outputFlags = kernel.c_oflag;
    settings.controlFlags = kernel.c_cflag;
    settings.localFlags = kernel.c_lflag;
    settings.lineDiscipline = kernel.c_line;
    for (std::size_t i = 0; i < settings.controlCharacters.size(); ++i) {
        settings.controlCharacters[i] = kernel.c_cc[i];
    }
    settings.inputSpeed = kernel.c_ispeed;
    settings.outputSpeed = kernel.c_ospeed;
    return settings;
}

} // namespace

std::optional<TermiosSettings> MakeTermios(const DeviceControlBlock& control) {
    const auto dataBits = DataBitFlags(control.ByteSize);
    const auto parity = ParityFlags(control.Parity);
    const auto stopBits = StopBitFlags(control.StopBits);
    const bool softwareFlow = control.fOutX || control.fInX;
    if (!dataBits || !parity || !stopBits || control.BaudRate == 0 || control.fDtrControl > 2 ||
        control.fRtsControl > 3 || (softwareFlow && control.XonChar == control.XoffChar)) {
        return std::nullopt;
    }

    // Built from nothing rather than from the terminal's current state, so that no echo, line
    // editing or character translation left by an earlier user survives.
    TermiosSettings settings;
    if (control.fParity) {
        settings.inputFlags |= INPCK;
    }
    if (control.fOutX) {
        settings.inputFlags |= IXON;
    }
    if (control.fInX) {
        settings.inputFlags |= IXOFF;
    }
    // BOTHER in both the output and the input field: the rate is taken as a number, not a code.
    // HUPCL lowers the modem lines when the port is closed, which tells the other end.
    settings.controlFlags =
        *dataBits | *parity | *stopBits | CREAD | CLOCAL | HUPCL | BOTHER | (BOTHER << IBSHIFT);
    if (control.fOutxCtsFlow || control.fRtsControl == 2) {
        settings.controlFlags |= CRTSCTS;
    }
    settings.controlCharacters[VMIN] = 0;
    settings.controlCharacters[VTIME] = 0;
    settings.controlCharacters[VSTART] = static_cast<std::uint8_t>(control.XonChar);
    settings.controlCharacters[VSTOP] = static_cast<std::uint8_t>(control.XoffChar);
    settings.inputSpeed = control.BaudRate;
    settings.outputSpeed = control.BaudRate;

    if (control.fDtrControl == 0) {
        settings.lowerLines |= TIOCM_DTR;
    } else {
        settings.raiseLines |= TIOCM_DTR;
    }
    // With handshake (2) the kernel drives RTS itself.
    if (control.fRtsControl == 1) {
        settings.raiseLines |= TIOCM_RTS;
    } else if (control.fRtsControl != 2) {
        settings.lowerLines |= TIOCM_RTS;
    }
    return settings;
}

int ReadTermios(int fd, TermiosSettings& settings) {
    termios2 kernel{};
    if (::ioctl(fd, TCGETS2, &kernel) != 0) {
        return errno;
    }
    settings = FromKernel(kernel);
    return 0;
}

int WriteTermios(int fd, const TermiosSettings& settings) {
    const termios2 kernel = ToKernel(settings);
    return ::ioctl(fd, TCSETS2, &kernel) == 0 ? 0 : errno;
}
