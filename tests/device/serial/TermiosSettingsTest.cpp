#include "device/serial/TermiosSettings.h"

#include <gtest/gtest.h>

// The kernel's own definitions, as TermiosSettings.cpp uses them.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace {

DeviceControlBlock Line(std::uint32_t rate = 9600) {
    DeviceControlBlock control;
    control.BaudRate = rate;
    return control;
}

TEST(TermiosSettings, DataBits) {
    const std::pair<std::uint8_t, std::uint32_t> cases[] = {{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}};
    for (const auto& [byteSize, flag] : cases) {
        auto control = Line();
        control.ByteSize = byteSize;
        const auto settings = MakeTermios(control);
        ASSERT_TRUE(settings) << int{byteSize};
        EXPECT_EQ(settings->controlFlags & CSIZE, flag) << int{byteSize};
    }
    for (const std::uint8_t invalid : {0, 4, 9, 255}) {
        auto control = Line();
        control.ByteSize = invalid;
        EXPECT_FALSE(MakeTermios(control)) << int{invalid};
    }
}

TEST(TermiosSettings, Parity) {
    constexpr std::uint32_t parityBits = PARENB | PARODD | CMSPAR;
    const std::uint32_t expected[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD,
                                      PARENB | CMSPAR};
    for (std::uint8_t parity = 0; parity < 5; ++parity) {
        auto control = Line();
        control.Parity = parity;
        const auto settings = MakeTermios(control);
        ASSERT_TRUE(settings) << int{parity};
        EXPECT_EQ(settings->controlFlags & parityBits, expected[parity]) << int{parity};
    }
    auto control = Line();
    control.Parity = 5;
    EXPECT_FALSE(MakeTermios(control));
}

TEST(TermiosSettings, ParityCheckingMarksNothingAndIgnoresNothing) {
    for (const bool check : {false, true}) {
        auto control = Line();
        control.fParity = check;
        const auto settings = MakeTermios(control);
        ASSERT_TRUE(settings);
        EXPECT_EQ((settings->inputFlags & INPCK) != 0, check);
        EXPECT_EQ(settings->inputFlags & (IGNPAR | PARMRK), 0u);
    }
}

TEST(TermiosSettings, StopBitsWithOneAndAHalfAsTwo) {
    const std::pair<std::uint8_t, std::uint32_t> cases[] = {{0, 0}, {1, CSTOPB}, {2, CSTOPB}};
    for (const auto& [stopBits, flag] : cases) {
        auto control = Line();
        control.StopBits = stopBits;
        const auto settings = MakeTermios(control);
        ASSERT_TRUE(settings);
        EXPECT_EQ(settings->controlFlags & CSTOPB, flag) << int{stopBits};
    }
    auto control = Line();
    control.StopBits = 3;
    EXPECT_FALSE(MakeTermios(control));
}

TEST(TermiosSettings, AnyRateGoesAsANumber) {
    for (const std::uint32_t rate : {110u, 9600u, 14400u, 56000u, 128000u, 256000u, 12345u}) {
        const auto settings = MakeTermios(Line(rate));
        ASSERT_TRUE(settings) << rate;
        EXPECT_EQ(settings->controlFlags & CBAUD, std::uint32_t{BOTHER}) << rate;
        EXPECT_EQ((settings->controlFlags >> IBSHIFT) & CBAUD, std::uint32_t{BOTHER}) << rate;
        EXPECT_EQ(settings->outputSpeed, rate);
        EXPECT_EQ(settings->inputSpeed, rate);
    }
    EXPECT_FALSE(MakeTermios(Line(0)));
}

TEST(TermiosSettings, FlowControl) {
    struct Case {
        bool ctsFlow;
        std::uint8_t rtsControl;
        bool outX;
        bool inX;
        std::uint32_t control;
        std::uint32_t input;
    };
    const Case cases[] = {
        {false, 0, false, false, 0, 0},
        {true, 0, false, false, CRTSCTS, 0},
        {false, 2, false, false, CRTSCTS, 0},
        {false, 1, false, false, 0, 0},
        {false, 0, true, false, 0, IXON},
        {false, 0, false, true, 0, IXOFF},
        {true, 2, true, true, CRTSCTS, IXON | IXOFF},
    };
    for (const Case& c : cases) {
        auto control = Line();
        control.fOutxCtsFlow = c.ctsFlow;
        control.fRtsControl = c.rtsControl;
        control.fOutX = c.outX;
        control.fInX = c.inX;
        control.XonChar = 0x11;
        control.XoffChar = 0x13;
        const auto settings = MakeTermios(control);
        ASSERT_TRUE(settings);
        EXPECT_EQ(settings->controlFlags & CRTSCTS, c.control);
        EXPECT_EQ(settings->inputFlags & (IXON | IXOFF | IXANY), c.input);
        EXPECT_EQ(settings->controlCharacters[VSTART], 0x11);
        EXPECT_EQ(settings->controlCharacters[VSTOP], 0x13);
    }
}

TEST(TermiosSettings, SoftwareFlowNeedsTwoDifferentCharacters) {
    auto control = Line();
    control.XonChar = control.XoffChar = 0x11;
    EXPECT_TRUE(MakeTermios(control));
    control.fInX = true;
    EXPECT_FALSE(MakeTermios(control));
}

TEST(TermiosSettings, AlwaysARawLocalReceivingLine) {
    auto control = Line();
    control.EvtChar = '\n';
    control.fNull = true;
    const auto settings = MakeTermios(control);
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->controlFlags & (CLOCAL | CREAD), std::uint32_t{CLOCAL | CREAD});
    EXPECT_EQ(settings->localFlags, 0u);
    EXPECT_EQ(settings->outputFlags, 0u);
    EXPECT_EQ(settings->inputFlags & (ICRNL | INLCR | IGNCR | ISTRIP | BRKINT | IGNBRK), 0u);
    EXPECT_EQ(settings->controlCharacters[VMIN], 0);
    EXPECT_EQ(settings->controlCharacters[VTIME], 0);
    EXPECT_EQ(settings->controlCharacters[VEOL], 0) << "the event character is no line end";
}

TEST(TermiosSettings, DtrAndRtsLevels) {
    struct Case {
        std::uint8_t dtr;
        std::uint8_t rts;
        std::uint32_t raise;
        std::uint32_t lower;
    };
    const Case cases[] = {
        {0, 0, 0, TIOCM_DTR | TIOCM_RTS}, {1, 1, TIOCM_DTR | TIOCM_RTS, 0}, {2, 2, TIOCM_DTR, 0},
        {1, 3, TIOCM_DTR, TIOCM_RTS},     {0, 1, TIOCM_RTS, TIOCM_DTR},
    };
    for (const Case& c : cases) {
        auto control = Line();
        control.fDtrControl = c.dtr;
        control.fRtsControl = c.rts;
        const auto settings = MakeTermios(control);
        ASSERT_TRUE(settings);
        EXPECT_EQ(settings->raiseLines, c.raise) << int{c.dtr} << " " << int{c.rts};
        EXPECT_EQ(settings->lowerLines, c.lower) << int{c.dtr} << " " << int{c.rts};
    }
    auto control = Line();
    control.fDtrControl = 3;
    EXPECT_FALSE(MakeTermios(control));
    control.fDtrControl = 0;
    control.fRtsControl = 4;
    EXPECT_FALSE(MakeTermios(control));
}

} // namespace
