#include "SerialTestSupport.h"

#include "device/serial/PosixSerialDevice.h"
#include "device/serial/PseudoTerminal.h"
#include "device/serial/TermiosSettings.h"
#include "platform/MainThreadCalls.h"
#include "serial/EComPort.h"
#include "serial/TComDataPacket.h"
#include "serial/TComPort.h"

#include "ThreadSleepsInPoll.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <random>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// The shared pseudo-terminal, with its settings read back from the slave side.
class Terminal : public PseudoTerminal {
public:
    TermiosSettings Settings() const {
        TermiosSettings settings;
        ReadTermios(Slave(), settings);
        return settings;
    }
};

TEST(PortOnPty, SettingsReachTheTerminal) {
    Terminal terminal;
    TComPort port;
    port.SetPort(terminal.Path());
    port.SetEvents({});
    port.SetBaudRate(TBaudRate::br256000);
    port.FlowControl().SetFlowControl(TFlowControl::fcHardware);
    port.Open();
    TermiosSettings settings = terminal.Settings();
    EXPECT_EQ(settings.inputSpeed, 256000u);
    EXPECT_EQ(settings.outputSpeed, 256000u);
    EXPECT_NE(settings.controlFlags & CRTSCTS, 0u);

    port.SetBaudRate(TBaudRate::brCustom);
    port.SetCustomBaudRate(12345);
    settings = terminal.Settings();
    EXPECT_EQ(settings.outputSpeed, 12345u);
    port.Close();
}

TEST(PortOnPty, MissingDeviceRaisesCodeOneWithTheSystemNumber) {
    TComPort port;
    port.SetPort("/dev/skyfence-no-such-device");
    try {
        port.Open();
        FAIL() << "no error";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.ErrorCode(), 1);
        EXPECT_EQ(error.SystemErrorCode(), ENOENT);
        EXPECT_EQ(error.Message(),
                  "Unable to open com port (win error code: " + std::to_string(ENOENT) + ")");
    }
    EXPECT_FALSE(port.Connected());
}

TEST(PortOnPty, SentencesInRandomBlocksArriveAsPackets) {
    Terminal terminal;
    TComPort port;
    port.SetPort(terminal.Path());
    TComDataPacket rmc;
    rmc.SetStartString("$GPRMC,");
    rmc.SetStopString("*");
    rmc.SetIncludeStrings(true);
    TComDataPacket gsv;
    gsv.SetStartString("$GPGSV,");
    gsv.SetStopString("*");
    std::vector<std::string> positions;
    std::vector<std::string> views;
    rmc.OnPacket = [&](TComDataPacket&, const std::string& s) { positions.push_back(s); };
    gsv.OnPacket = [&](TComDataPacket&, const std::string& s) { views.push_back(s); };
    rmc.SetComPort(&port);
    gsv.SetComPort(&port);
    port.Open();

    const std::string stream = LogWithoutComments("mt3339.log");
    const std::vector<std::string> expectedPositions = Cut(stream, "$GPRMC,", true);
    const std::vector<std::string> expectedViews = Cut(stream, "$GPGSV,", false);
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> size(1, 200);
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t block = std::min(size(random), stream.size() - at);
        terminal.Write(stream.substr(at, block));
        at += block;
        MainThreadCalls::Instance().RunPending();
    }
    ASSERT_TRUE(PumpUntil([&] {
        return positions.size() >= expectedPositions.size() && views.size() >= expectedViews.size();
    })) << positions.size()
        << "/" << expectedPositions.size() << " " << views.size() << "/" << expectedViews.size();
    EXPECT_EQ(positions.size(), expectedPositions.size());
    EXPECT_EQ(views.size(), expectedViews.size());
    EXPECT_EQ(positions, expectedPositions);
    EXPECT_EQ(views, expectedViews);
    port.Close();
}

TEST(PortOnPty, ReadWaitsAsTheTimeoutsSay) {
    Terminal terminal;
    TComPort port;
    port.SetPort(terminal.Path());
    port.SetEvents({});
    TComTimeouts timeouts;
    timeouts.SetReadInterval(0);
    timeouts.SetReadTotalMultiplier(0);
    timeouts.SetReadTotalConstant(60000);
    port.SetTimeouts(timeouts);
    port.Open();
    terminal.Write("$GP");
    ASSERT_TRUE(PumpUntil([&] { return port.PendingInputCount() == 3; }));
    std::string got(6, '\0');
    std::atomic<pid_t> reader = 0;
    std::atomic<bool> returned = false;
    std::thread thread([&] {
        reader = ::gettid();
        got.resize(static_cast<std::size_t>(port.Read(got.data(), 6)));
        returned = true;
    });
    const bool waited =
        PumpUntil([&] { return returned || (reader != 0 && ThreadSleepsInPoll(reader)); });
    EXPECT_TRUE(waited && !returned) << "the read returned before all six bytes had come";
    terminal.Write("RMC");
    thread.join();
    EXPECT_EQ(got, "$GPRMC");
    port.Close();
}

TEST(PortOnPty, APacketHandlerMayCloseThePort) {
    Terminal terminal;
    TComPort port;
    port.SetPort(terminal.Path());
    TComDataPacket rmc;
    rmc.SetStartString("$GPRMC,");
    rmc.SetStopString("*");
    int packets = 0;
    rmc.OnPacket = [&](TComDataPacket&, const std::string&) {
        ++packets;
        port.Close();
    };
    bool closed = false;
    port.OnAfterClose = [&](TCustomComPort&) { closed = true; };
    rmc.SetComPort(&port);
    port.Open();
    terminal.Write("$GPRMC,1*$GPRMC,2*");
    ASSERT_TRUE(PumpUntil([&] { return closed; }));
    EXPECT_FALSE(port.Connected());
    EXPECT_FALSE(port.ThreadCreated());
    EXPECT_GE(packets, 1);
    PosixSerialDevice next;
    EXPECT_EQ(next.Open(terminal.Path()), 0) << "the terminal has been let go";
}

TEST(PortOnPty, ReceiverGoneGivesOneIoErrorAndTheThreadEnds) {
    Terminal terminal;
    TComPort port;
    port.SetPort(terminal.Path());
    std::vector<TComErrors> errors;
    port.OnError = [&](TCustomComPort&, TComErrors e) { errors.push_back(e); };
    port.Open();
    terminal.CloseSlave();
    terminal.CloseMaster();
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }));
    EXPECT_TRUE(errors.front().Contains(TComError::errIO));
    // The loop has ended: nothing more arrives however long we pump.
    for (int i = 0; i < 20; ++i) {
        MainThreadCalls::Instance().WaitAndRun(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(errors.size(), 1u);
    port.Close();
    EXPECT_FALSE(port.Connected());
}

} // namespace
