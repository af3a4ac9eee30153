#include "device/serial/PosixSerialDevice.h"
#include "device/serial/PseudoTerminal.h"
#include "device/serial/TermiosSettings.h"
#include "platform/FileDescriptor.h"

#include "BlockingCall.h"
#include "DeviceWatchdog.h"
#include "TestNames.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <pty.h>
#include <random>
#include <sys/ioctl.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// A pseudo-terminal pair: the test plays the receiver on the master side, the device opens the
// slave by its path. The test keeps a slave descriptor of its own to read the settings back.
// The shared pseudo-terminal, with its settings read back from the slave side.
class Terminal : public PseudoTerminal {
public:
    TermiosSettings Settings() const {
        TermiosSettings settings;
        EXPECT_EQ(ReadTermios(Slave(), settings), 0);
        return settings;
    }
};

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>('A' + i % 26 + (i / 26 % 2) * 32);
    }
    return bytes;
}

DeviceControlBlock Line(std::uint32_t rate, char eventCharacter = 0) {
    DeviceControlBlock control;
    control.BaudRate = rate;
    control.EvtChar = eventCharacter;
    return control;
}

class PosixSerialDeviceOnPty : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(device.Open(pty.Path()), 0); }

    std::uint32_t Queued() {
        std::uint32_t errors = 0;
        std::uint32_t queued = 0;
        EXPECT_EQ(device.ClearCommError(errors, queued), 0);
        errors_ |= errors;
        return queued;
    }

    // Waits for reports, which the mask must allow for received bytes, until `count` bytes are
    // queued; the events seen and the line errors are kept.
    bool AwaitQueued(std::uint32_t count) {
        do {
            std::uint32_t events = 0;
            if (device.WaitEvent(events) != WaitOutcome::Event) {
                return false;
            }
            seen_ |= events;
        } while (Queued() < count);
        return true;
    }

    std::string Read(std::uint32_t count) {
        std::string bytes(count, '\0');
        std::uint32_t read = 0;
        EXPECT_EQ(device.ReadFile(bytes.data(), count, read), 0);
        bytes.resize(read);
        return bytes;
    }

    Terminal pty;
    PosixSerialDevice device;
    DeviceWatchdog watchdog{device};
    std::uint32_t seen_ = 0;
    std::uint32_t errors_ = 0;
};

TEST(PosixSerialDevice, PortNamesBecomeDevicePaths) {
    const std::pair<std::string, std::string> cases[] = {
        {"COM1", "/dev/ttyS0"},  {"COM10", "/dev/ttyS9"},     {"com2", "/dev/ttyS1"},
        {"COM0", "/dev/COM0"},   {"COM", "/dev/COM"},         {"COM1a", "/dev/COM1a"},
        {"COM-1", "/dev/COM-1"}, {"ttyUSB0", "/dev/ttyUSB0"}, {"/dev/pts/3", "/dev/pts/3"},
        {"./gps", "./gps"},
    };
    for (const auto& [port, path] : cases) {
        EXPECT_EQ(PosixSerialDevice::DevicePath(port), path) << port;
    }
}

TEST(PosixSerialDevice, OpenFailsWithTheSystemsReason) {
    PosixSerialDevice device;
    EXPECT_EQ(device.Open("/dev/skyfence-no-such-device"), ENOENT);
    EXPECT_EQ(device.Open(""), ENOENT);
    EXPECT_EQ(device.Open("/dev/null"), ENOTTY);
    EXPECT_FALSE(device.IsOpen());
    std::uint32_t events = 0;
    EXPECT_EQ(device.WaitEvent(events), WaitOutcome::Failed) << "no device, nothing to wait for";
}

TEST_F(PosixSerialDeviceOnPty, OpenIsExclusiveUntilClose) {
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.Open(pty.Path()), EBUSY);
    PosixSerialDevice other;
    EXPECT_EQ(other.Open(pty.Path()), EBUSY);
    int exclusive = 0;
    ASSERT_EQ(::ioctl(pty.Slave(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);

    device.Close();
    device.Close();
    EXPECT_FALSE(device.IsOpen());
    ASSERT_EQ(::ioctl(pty.Slave(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0) << "a later user must not find the terminal locked";
    EXPECT_EQ(other.Open(pty.Path()), 0);
}

TEST_F(PosixSerialDeviceOnPty, BitRatesReachTheTerminal) {
    for (const std::uint32_t rate :
         {110u, 4800u, 9600u, 14400u, 56000u, 128000u, 256000u, 12345u}) {
        DeviceControlBlock control;
        control.BaudRate = rate;
        ASSERT_EQ(device.SetCommState(control), 0) << rate;
        EXPECT_EQ(pty.Settings().outputSpeed, rate);
        EXPECT_EQ(pty.Settings().inputSpeed, rate);
    }
}

TEST_F(PosixSerialDeviceOnPty, FlowControlAndStickParityReachTheTerminal) {
    DeviceControlBlock control;
    control.BaudRate = 256000;
    control.fOutxCtsFlow = true;
    control.fOutX = true;
    control.fInX = true;
    control.XonChar = 0x11;
    control.XoffChar = 0x13;
    control.Parity = 3;
    control.fDtrControl = 1;
    control.fRtsControl = 2;
    ASSERT_EQ(device.SetCommState(control), 0);
    const TermiosSettings settings = pty.Settings();
    EXPECT_NE(settings.controlFlags & CRTSCTS, 0u);
    EXPECT_NE(settings.controlFlags & CMSPAR, 0u);
    EXPECT_EQ(settings.inputFlags & (IXON | IXOFF), std::uint32_t{IXON | IXOFF});
    EXPECT_EQ(settings.controlCharacters[VSTART], 0x11);
    EXPECT_EQ(settings.controlCharacters[VSTOP], 0x13);

    control.ByteSize = 9;
    EXPECT_EQ(device.SetCommState(control), EINVAL);
    control.ByteSize = 8;
    control.BaudRate = 0;
    EXPECT_EQ(device.SetCommState(control), EINVAL);
    EXPECT_EQ(pty.Settings().outputSpeed, 256000u) << "a refused block changes nothing";
}

TEST_F(PosixSerialDeviceOnPty, QueueSizesMustBeSensible) {
    EXPECT_EQ(device.SetupComm(0, 4096), EINVAL);
    EXPECT_EQ(device.SetupComm(4096, 0), EINVAL);
    EXPECT_EQ(device.SetupComm(PosixSerialDevice::MaximumQueueSize + 1, 4096), EINVAL);
    EXPECT_EQ(device.SetupComm(1, 1), 0);
    EXPECT_EQ(device.SetupComm(PosixSerialDevice::MaximumQueueSize, 4096), 0);
}

TEST_F(PosixSerialDeviceOnPty, BytesInRandomBlocksArriveCompleteAndInOrder) {
    const std::string sent = Pattern(60000);
    ASSERT_EQ(device.SetupComm(65536, 4096), 0);
    device.SetCommMask(DeviceEvent::RxChar);
    std::thread writer([&] {
        std::mt19937 random(20240607);
        std::uniform_int_distribution<std::size_t> blockSize(1, 700);
        for (std::size_t at = 0; at < sent.size();) {
            const std::size_t size = std::min(blockSize(random), sent.size() - at);
            pty.Write(std::string_view(sent).substr(at, size));
            at += size;
        }
    });
    std::string received;
    while (received.size() < sent.size()) {
        std::uint32_t events = 0;
        if (device.WaitEvent(events) != WaitOutcome::Event) {
            break;
        }
        EXPECT_EQ(events, DeviceEvent::RxChar);
        const std::uint32_t queued = Queued();
        const std::string bytes = Read(queued);
        EXPECT_EQ(bytes.size(), queued) << "the queue only grows between the two calls";
        received += bytes;
    }
    writer.join();
    EXPECT_EQ(received.size(), sent.size());
    EXPECT_TRUE(received == sent);
    EXPECT_EQ(errors_, 0u);
}

TEST_F(PosixSerialDeviceOnPty, TheEventCharacterRaisesRxFlag) {
    ASSERT_EQ(device.SetCommState(Line(4800, '\n')), 0);
    device.SetCommMask(DeviceEvent::RxChar | DeviceEvent::RxFlag);
    pty.Write("$GPRMC,");
    ASSERT_TRUE(AwaitQueued(7));
    EXPECT_EQ(seen_, DeviceEvent::RxChar);
    EXPECT_EQ(Read(64), "$GPRMC,");

    pty.Write("*2F\r\n");
    std::uint32_t events = 0;
    do {
        ASSERT_EQ(device.WaitEvent(events), WaitOutcome::Event);
    } while ((events & DeviceEvent::RxFlag) == 0);
    EXPECT_EQ(Read(64), "*2F\r\n");
}

TEST_F(PosixSerialDeviceOnPty, EventsOutsideTheMaskStaySilentButBytesAreQueued) {
    ASSERT_EQ(device.SetCommState(Line(9600, '\n')), 0);
    device.SetCommMask(DeviceEvent::RxFlag);
    pty.Write("abc");
    pty.Write("\r\n");
    std::uint32_t events = 0;
    ASSERT_EQ(device.WaitEvent(events), WaitOutcome::Event);
    EXPECT_EQ(events, DeviceEvent::RxFlag);
    EXPECT_EQ(Read(64), "abc\r\n");
}

TEST_F(PosixSerialDeviceOnPty, MaskZeroReportsNothingButStops) {
    device.SetCommMask(0);
    WaitOutcome outcome = WaitOutcome::Event;
    std::thread waiter([&] {
        std::uint32_t events = 0;
        outcome = device.WaitEvent(events);
    });
    pty.Write("abc");
    EXPECT_TRUE(Eventually([&] { return Queued() == 3; }));
    device.StopWait();
    waiter.join();
    EXPECT_EQ(outcome, WaitOutcome::Stopped);
}

TEST_F(PosixSerialDeviceOnPty, NulBytesAreDroppedOnlyWhenAsked) {
    device.SetCommMask(DeviceEvent::RxChar);
    for (const bool dropNul : {false, true}) {
        auto control = Line(9600);
        control.fNull = dropNul;
        ASSERT_EQ(device.SetCommState(control), 0);
        pty.Write(std::string_view("a\0b\0\0c!", 7));
        ASSERT_TRUE(AwaitQueued(dropNul ? 4 : 7));
        EXPECT_EQ(Read(64), dropNul ? std::string("abc!") : std::string("a\0b\0\0c!", 7));
    }
}

TEST_F(PosixSerialDeviceOnPty, Rx80FullAtEightyPercentOfTheInputSize) {
    ASSERT_EQ(device.SetupComm(1000, 1000), 0);
    device.SetCommMask(DeviceEvent::Rx80Full);
    std::atomic<bool> reported = false;
    std::uint32_t events = 0;
    WaitOutcome outcome = WaitOutcome::Failed;
    std::thread waiter([&] {
        outcome = device.WaitEvent(events);
        reported = true;
    });
    pty.Write(Pattern(799));
    ASSERT_TRUE(Eventually([&] { return Queued() == 799; }));
    EXPECT_FALSE(reported) << "799 of 1000 is not 80 %";
    pty.Write("x");
    waiter.join();
    EXPECT_EQ(outcome, WaitOutcome::Event);
    EXPECT_EQ(events, DeviceEvent::Rx80Full);
    EXPECT_EQ(Queued(), 800u);
}

TEST_F(PosixSerialDeviceOnPty, FullQueueLeavesTheRestWithTheKernelAndLosesNothing) {
    ASSERT_EQ(device.SetupComm(1024, 1024), 0);
    device.SetCommMask(DeviceEvent::RxChar | DeviceEvent::Err);
    const std::string sent = Pattern(20000);
    std::thread writer([&] { pty.Write(sent); });
    std::string received;
    for (int round = 0; round < 1000 && received.size() < sent.size(); ++round) {
        std::uint32_t events = 0;
        ASSERT_EQ(device.WaitEvent(events), WaitOutcome::Event);
        EXPECT_EQ(events & DeviceEvent::Err, 0u);
        EXPECT_LE(Queued(), 4096u) << "the queue never holds more than its capacity";
        EXPECT_EQ(errors_, 0u);
        received += Read(100000);
    }
    writer.join();
    EXPECT_TRUE(received == sent);
}

TEST_F(PosixSerialDeviceOnPty, PurgeEmptiesTheQueue) {
    device.SetCommMask(DeviceEvent::RxChar);
    pty.Write(Pattern(300));
    ASSERT_TRUE(AwaitQueued(300));
    EXPECT_EQ(device.PurgeComm(Purge::RxClear | Purge::RxAbort), 0);
    EXPECT_EQ(Queued(), 0u);
    EXPECT_EQ(Read(64), "");
    EXPECT_EQ(device.PurgeComm(Purge::TxClear | Purge::TxAbort), 0);
    EXPECT_EQ(device.PurgeComm(0x10), EINVAL);
    pty.Write("after");
    ASSERT_TRUE(AwaitQueued(5));
    EXPECT_EQ(Read(64), "after");
}

TEST_F(PosixSerialDeviceOnPty, OnlyAClearDropsReceivedBytes) {
    device.SetCommMask(DeviceEvent::RxChar);
    const std::pair<std::uint32_t, bool> cases[] = {
        {Purge::TxAbort | Purge::RxAbort, true},
        {Purge::RxAbort, true},
        {Purge::TxClear, true},
        {Purge::RxClear, false},
        {Purge::RxClear | Purge::TxAbort, false},
    };
    for (const auto& [flags, kept] : cases) {
        pty.Write("$GPRMC,1*");
        ASSERT_TRUE(AwaitQueued(9)) << flags;
        EXPECT_EQ(device.PurgeComm(flags), 0) << flags;
        EXPECT_EQ(Read(64), kept ? "$GPRMC,1*" : "") << flags;
    }
}

// What ends a read that waits for more: an abort or Close, and it keeps what it has.
struct ReadEnding {
    const char* name;
    std::function<void(PosixSerialDevice&)> end;
};

void PrintTo(const ReadEnding& row, std::ostream* out) {
    *out << row.name;
}

class EndingAWaitingRead : public PosixSerialDeviceOnPty,
                           public testing::WithParamInterface<ReadEnding> {};

TEST_P(EndingAWaitingRead, ReturnsWhatItHas) {
    ASSERT_EQ(device.SetCommTimeouts(CommTimeouts{}), 0) << "no timeouts: wait for all";
    pty.Write("ab");
    ASSERT_TRUE(Eventually([&] { return Queued() == 2; }));
    std::string got;
    BlockingCall reader([&] { got = Read(10); });
    ASSERT_TRUE(reader.SleepsInPoll()) << "eight bytes are still missing";
    GetParam().end(device);
    reader.Join();
    EXPECT_EQ(got, "ab");
}

INSTANTIATE_TEST_SUITE_P(
    Reads, EndingAWaitingRead,
    testing::Values(ReadEnding{"Abort", [](PosixSerialDevice& d) { d.PurgeComm(Purge::RxAbort); }},
                    ReadEnding{"Close", [](PosixSerialDevice& d) { d.Close(); }}),
    CaseName());

// A read under the read timeouts: `before` is written before it starts, `later` once it sleeps
// in poll. Only lower bounds of the time it takes are checked, and upper bounds far beyond it.
struct TimedRead {
    const char* name;
    CommTimeouts timeouts;
    std::uint32_t count;
    std::string before;
    std::string later;
    std::string expected;
    std::chrono::milliseconds atLeast;
};

void PrintTo(const TimedRead& row, std::ostream* out) {
    *out << row.name;
}

constexpr std::uint32_t AllOnes = 0xffffffff;
// Long enough that a read which waits for it shows as a hung test, not as a slow one.
constexpr std::uint32_t Long = 60000;

class ReadTimeouts : public PosixSerialDeviceOnPty,
                     public testing::WithParamInterface<TimedRead> {};

TEST_P(ReadTimeouts, GovernHowLongAReadWaits) {
    const TimedRead& row = GetParam();
    ASSERT_EQ(device.SetCommTimeouts(row.timeouts), 0);
    if (!row.before.empty()) {
        pty.Write(row.before);
        ASSERT_TRUE(Eventually([&] { return Queued() == row.before.size(); }));
    }
    std::string got;
    std::chrono::steady_clock::duration took{};
    BlockingCall reader([&] {
        const auto start = std::chrono::steady_clock::now();
        got = Read(row.count);
        took = std::chrono::steady_clock::now() - start;
    });
    if (!row.later.empty()) {
        ASSERT_TRUE(reader.SleepsInPoll()) << "the read must wait for more";
        pty.Write(row.later);
    }
    reader.Join();
    EXPECT_EQ(got, row.expected);
    EXPECT_GE(took, row.atLeast);
    EXPECT_LT(took, std::chrono::milliseconds(Long / 2));
}

INSTANTIATE_TEST_SUITE_P(
    Reads, ReadTimeouts,
    testing::Values(
        TimedRead{"ByDefaultAtOnce", {AllOnes, 0, 0, 0, 0}, 10, "ab", "", "ab", 0ms},
        TimedRead{
            "TotalWaitsForBytesWrittenLater", {0, 0, Long, 0, 0}, 5, "ab", "cde", "abcde", 0ms},
        TimedRead{"TotalEndsWithWhatItHas", {0, 10, 100, 0, 0}, 5, "ab", "", "ab", 150ms},
        TimedRead{"IntervalWaitsForTheFirstByte", {100, 0, 0, 0, 0}, 64, "", "xyz", "xyz", 100ms},
        TimedRead{"IntervalEndsOnceBytesStop", {100, 0, 0, 0, 0}, 64, "abc", "", "abc", 100ms},
        TimedRead{"IntervalEndsBeforeTheTotal", {50, 0, Long, 0, 0}, 64, "abc", "", "abc", 50ms},
        TimedRead{"AnyByteEndsTheWait", {AllOnes, AllOnes, Long, 0, 0}, 64, "", "x", "x", 0ms},
        TimedRead{
            "AnyByteAtOnceWhenQueued", {AllOnes, AllOnes, Long, 0, 0}, 64, "ab", "", "ab", 0ms},
        TimedRead{"AnyByteTimesOutEmpty", {AllOnes, AllOnes, 100, 0, 0}, 64, "", "", "", 100ms}),
    CaseName());

TEST_F(PosixSerialDeviceOnPty, APseudoTerminalHasNoModemLines) {
    std::uint32_t status = 0xffff;
    EXPECT_EQ(device.GetCommModemStatus(status), 0);
    EXPECT_EQ(status, 0u);
}

TEST_F(PosixSerialDeviceOnPty, StopWaitWakesABlockedWait) {
    device.SetCommMask(DeviceEvent::RxChar);
    WaitOutcome outcome = WaitOutcome::Event;
    BlockingCall waiter([&] {
        std::uint32_t events = 0;
        outcome = device.WaitEvent(events);
    });
    ASSERT_TRUE(waiter.SleepsInPoll()) << "nothing has happened that could end the wait";
    device.StopWait();
    waiter.Join();
    EXPECT_EQ(outcome, WaitOutcome::Stopped);
}

TEST_F(PosixSerialDeviceOnPty, ReceivedBytesWakeABlockedWait) {
    device.SetCommMask(DeviceEvent::RxChar);
    WaitOutcome outcome = WaitOutcome::Failed;
    std::uint32_t events = 0;
    BlockingCall waiter([&] { outcome = device.WaitEvent(events); });
    ASSERT_TRUE(waiter.SleepsInPoll()) << "nothing has been received yet";
    pty.Write("$");
    waiter.Join();
    EXPECT_EQ(outcome, WaitOutcome::Event);
    EXPECT_EQ(events, DeviceEvent::RxChar);
}

TEST_F(PosixSerialDeviceOnPty, AStopLastsUntilReset) {
    device.SetCommMask(DeviceEvent::RxChar);
    device.StopWait();
    std::uint32_t events = 0;
    EXPECT_EQ(device.WaitEvent(events), WaitOutcome::Stopped);
    EXPECT_EQ(device.WaitEvent(events), WaitOutcome::Stopped);
    device.ResetStop();
    pty.Write("x");
    EXPECT_EQ(device.WaitEvent(events), WaitOutcome::Event);
    EXPECT_EQ(events, DeviceEvent::RxChar);
}

TEST_F(PosixSerialDeviceOnPty, CloseEndsABlockedWait) {
    device.SetCommMask(DeviceEvent::RxChar);
    WaitOutcome outcome = WaitOutcome::Event;
    BlockingCall waiter([&] {
        std::uint32_t events = 0;
        outcome = device.WaitEvent(events);
    });
    ASSERT_TRUE(waiter.SleepsInPoll());
    device.Close();
    waiter.Join();
    EXPECT_EQ(outcome, WaitOutcome::Failed);
}

TEST(PosixSerialDevice, TheOtherSideGoingAwayIsReportedOnceThenEveryWaitFails) {
    for (const std::uint32_t mask :
         {DeviceEvent::RxChar | DeviceEvent::Err, DeviceEvent::RxChar, std::uint32_t{0}}) {
        PseudoTerminal other;
        PosixSerialDevice gone;
        const DeviceWatchdog watchdog(gone);
        ASSERT_EQ(gone.Open(other.Path()), 0);
        gone.SetCommMask(mask);
        other.CloseMaster();
        std::vector<WaitOutcome> outcomes;
        std::uint32_t first = 0;
        for (int i = 0; i < 5; ++i) {
            std::uint32_t events = 0;
            outcomes.push_back(gone.WaitEvent(events));
            first = i == 0 ? events : first;
        }
        EXPECT_EQ(outcomes,
                  (std::vector{WaitOutcome::Event, WaitOutcome::Failed, WaitOutcome::Failed,
                               WaitOutcome::Failed, WaitOutcome::Failed}))
            << mask;
        EXPECT_EQ(first, DeviceEvent::Err) << mask;
        std::uint32_t errors = 0;
        std::uint32_t queued = 0;
        gone.ClearCommError(errors, queued);
        EXPECT_EQ(errors, LineError::IOE) << mask;
    }
}

// The end comes with the last bytes: the port first asks for the queue to read them (which also
// gives the line errors), then for the line errors of the error event. The first question must
// not swallow the end, or the receiver's going away is never reported.
TEST(PosixSerialDevice, TheEndOutlivesTheQuestionForTheQueue) {
    PseudoTerminal other;
    PosixSerialDevice gone;
    const DeviceWatchdog watchdog(gone);
    ASSERT_EQ(gone.Open(other.Path()), 0);
    gone.SetCommMask(DeviceEvent::RxChar | DeviceEvent::Err);
    ASSERT_EQ(::write(other.Master(), "$GPGSV,", 7), 7);
    other.CloseMaster();
    std::uint32_t events = 0;
    ASSERT_EQ(gone.WaitEvent(events), WaitOutcome::Event);
    EXPECT_EQ(events & DeviceEvent::Err, DeviceEvent::Err);
    for (const char* question : {"queue", "line errors"}) {
        std::uint32_t errors = 0;
        std::uint32_t queued = 0;
        ASSERT_EQ(gone.ClearCommError(errors, queued), 0);
        EXPECT_EQ(errors & LineError::IOE, LineError::IOE) << question;
    }
}

} // namespace
