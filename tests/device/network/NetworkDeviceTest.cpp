#include "device/network/NetworkDevice.h"
#include "device/network/GpsdStream.h"
#include "device/serial/PseudoTerminal.h"
#include "platform/FileDescriptor.h"

#include "BlockingCall.h"
#include "ChildProcess.h"
#include "DeviceWatchdog.h"
#include "LocalTcpServer.h"
#include "TestNames.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t AllOnes = 0xffffffff;
// Long enough that a read which waits for it shows as a hung test, not as a slow one.
constexpr std::uint32_t Long = 60000;
// What "returns at once" means here: far beyond a prompt return, far below any time limit.
constexpr auto Promptly = 1s;
// Short, so that the tests of an unanswered connection are quick.
constexpr auto ShortLimit = 200ms;
// Long enough for a peer played by the test to act before it, short enough to wait for.
constexpr auto SilenceLimit = 1s;

const std::string Version = R"({"class":"VERSION","release":"3.22","proto_major":3})"
                            "\r\n";

// A port on 127.0.0.1 that is taken and yet nobody listens on: connects to it are refused.
class RefusingPort {
public:
    RefusingPort() : socket_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(::bind(socket_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::getsockname(socket_.Get(), reinterpret_cast<sockaddr*>(&address), &length), 0);
        port_ = ntohs(address.sin_port);
    }
    std::string Name(const std::string& scheme) const {
        return scheme + "://127.0.0.1:" + std::to_string(port_);
    }

private:
    FileDescriptor socket_;
    std::uint16_t port_ = 0;
};

// The device as the port uses it: events, then the queue read out.
class Reception {
public:
    explicit Reception(NetworkDevice& device) : device_(device) {}

    std::uint32_t Queued() {
        std::uint32_t errors = 0;
        std::uint32_t queued = 0;
        EXPECT_EQ(device_.ClearCommError(errors, queued), 0);
        errors_ |= errors;
        return queued;
    }

    std::string Read(std::uint32_t count) {
        std::string bytes(count, '\0');
        std::uint32_t read = 0;
        EXPECT_EQ(device_.ReadFile(bytes.data(), count, read), 0);
        bytes.resize(read);
        return bytes;
    }

    // Reads what the events announce until `size` bytes have come or the connection ends.
    std::string Receive(std::size_t size) {
        std::string received;
        while (received.size() < size && !ended_) {
            std::uint32_t events = 0;
            if (device_.WaitEvent(events) != WaitOutcome::Event) {
                break;
            }
            seen_ |= events;
            ended_ = (events & DeviceEvent::Err) != 0;
            received += Read(Queued());
        }
        return received;
    }

    bool Ended() const { return ended_; }
    std::uint32_t Seen() const { return seen_; }
    std::uint32_t Errors() const { return errors_; }

private:
    NetworkDevice& device_;
    std::uint32_t seen_ = 0;
    std::uint32_t errors_ = 0;
    bool ended_ = false;
};

class NetworkDeviceOnLoopback : public testing::Test {
protected:
    NetworkDevice device{ShortLimit};
    DeviceWatchdog watchdog{device};
    LocalTcpServer server;
    Reception reception{device};
};

TEST(NetworkDevice, RefusesMalformedNamesSayingWhyAndWorksOnlyWhenOpen) {
    NetworkDevice device;
    const std::pair<std::string, std::string> names[] = {
        {"tcp://nowhere", "the port is missing"},
        {"/dev/ttyS0", "neither tcp:// nor gpsd://"},
        {"gpsd://[::1", "IPv6"},
        {"", "neither"},
        {"tcp://h:0", "the port must be a number from 1 to 65535"},
        {"tcp://h:65536", "the port must be a number from 1 to 65535"},
        {"gpsd://h:2947x", "the port must be"},
        {"gpsd://my host", "a host name holds only"},
    };
    for (const auto& [name, flaw] : names) {
        EXPECT_EQ(device.Open(name), EINVAL) << name;
        const std::string text = device.FailureText();
        EXPECT_NE(text.find("The address " + name + " is malformed"), std::string::npos) << text;
        EXPECT_NE(text.find(flaw), std::string::npos) << text;
        EXPECT_TRUE(device.FailureLasts()) << name;
    }
    EXPECT_FALSE(device.IsOpen());
    std::uint32_t value = 0;
    char byte = 0;
    const std::pair<const char*, std::function<int()>> calls[] = {
        {"SetupComm", [&] { return device.SetupComm(4096, 4096); }},
        {"SetCommState", [&] { return device.SetCommState(DeviceControlBlock{}); }},
        {"SetCommTimeouts", [&] { return device.SetCommTimeouts(CommTimeouts{}); }},
        {"ClearCommError", [&] { return device.ClearCommError(value, value); }},
        {"GetCommModemStatus", [&] { return device.GetCommModemStatus(value); }},
        {"PurgeComm", [&] { return device.PurgeComm(Purge::RxClear); }},
        {"ReadFile", [&] { return device.ReadFile(&byte, 1, value); }},
    };
    for (const auto& [name, call] : calls) {
        EXPECT_EQ(call(), EBADF) << name;
    }
    EXPECT_EQ(device.WaitEvent(value), WaitOutcome::Failed) << "nothing to wait for";
}

TEST_F(NetworkDeviceOnLoopback, SettingsWithoutMeaningAreKeptAndThereAreNoModemLines) {
    ASSERT_EQ(device.Open(server.Name()), 0);
    EXPECT_EQ(device.Open(server.Name()), EBUSY);
    EXPECT_TRUE(device.IsOpen());
    DeviceControlBlock control;
    control.BaudRate = 4800;
    control.fOutxCtsFlow = true;
    control.fDtrControl = 1;
    EXPECT_EQ(device.SetCommState(control), 0);
    EXPECT_EQ(device.SetCommTimeouts(CommTimeouts{1, 2, 3, 4, 5}), 0);
    EXPECT_EQ(device.SetupComm(0, 4096), EINVAL);
    EXPECT_EQ(device.SetupComm(InputQueue::MaximumInputSize + 1, 4096), EINVAL);
    EXPECT_EQ(device.SetupComm(1, 1), 0);
    EXPECT_EQ(device.PurgeComm(0x10), EINVAL);
    std::uint32_t status = 0xffff;
    EXPECT_EQ(device.GetCommModemStatus(status), 0);
    EXPECT_EQ(status, 0u);
    device.Close();
    EXPECT_FALSE(device.IsOpen());
}

TEST_F(NetworkDeviceOnLoopback, BytesFromATcpPeerArriveAsSent) {
    DeviceControlBlock control;
    control.EvtChar = '\n';
    ASSERT_EQ(device.Open(server.Name()), 0);
    ASSERT_EQ(device.SetCommState(control), 0);
    device.SetCommMask(DeviceEvent::RxChar | DeviceEvent::RxFlag);
    server.Accept();
    // Not lines: a TCP peer's bytes go on as they are.
    const std::string sent = "$GPGGA,1*00\r\n\x01\xff{\"class\":\"X\"}\r\n$GPR";
    server.Send(sent.substr(0, 5));
    server.Send(sent.substr(5));
    EXPECT_EQ(reception.Receive(sent.size()), sent);
    EXPECT_EQ(reception.Seen(), DeviceEvent::RxChar | DeviceEvent::RxFlag);
    EXPECT_EQ(reception.Errors(), 0u);
}

// The request the device sends, and what gpsd answers to it.
struct WatchCase {
    std::string name;
    std::string suffix;
    std::string request;
};

void PrintTo(const WatchCase& row, std::ostream* out) {
    *out << row.name;
}

class GpsdHandshake : public NetworkDeviceOnLoopback,
                      public testing::WithParamInterface<WatchCase> {};

TEST_P(GpsdHandshake, AsksForSentencesAndPassesOnlyThem) {
    const std::string gga = "$GPGGA,202640.000,4404.1306,N,12118.8515,W,2,10,,,M,,M,,*6C\r\n";
    const std::string ais = "!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*26\r\n";
    ASSERT_EQ(device.Open(server.Name("gpsd") + GetParam().suffix), 0);
    device.SetCommMask(DeviceEvent::RxChar);
    server.Accept();
    server.Send(Version);
    EXPECT_EQ(server.ReceiveLine(), GetParam().request);
    server.Send(R"({"class":"DEVICES","devices":[]})"
                "\r\n" +
                gga + R"({"class":"WATCH","enable":true,"nmea":true})" + "\r\n" + ais);
    EXPECT_EQ(reception.Receive(gga.size() + ais.size()), gga + ais);
    EXPECT_EQ(reception.Errors(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Watch, GpsdHandshake,
    testing::Values(WatchCase{"AllReceivers", "",
                              R"(?WATCH={"enable":true,"nmea":true})"
                              "\n"},
                    WatchCase{"OneReceiver", "/dev/ttyACM0",
                              R"(?WATCH={"enable":true,"nmea":true,"device":"/dev/ttyACM0"})"
                              "\n"}),
    CaseName());

TEST_F(NetworkDeviceOnLoopback, AnEndlessLineFromGpsdCostsNoMoreThanItsCap) {
    ASSERT_EQ(device.Open(server.Name("gpsd")), 0);
    device.SetCommMask(DeviceEvent::RxChar);
    server.Accept();
    server.Send(Version);
    server.ReceiveLine();
    // Without a reader the device would hold the sender back before 4 MB: it must drop it.
    server.Send(std::string(4 * 1024 * 1024, 'x'));
    server.Send("\r\n$GPZDA,1*54\r\n");
    EXPECT_EQ(reception.Receive(13), "$GPZDA,1*54\r\n");
}

TEST_F(NetworkDeviceOnLoopback, AFullQueueHoldsTheSenderBackAndLosesNothing) {
    std::string sent(1024 * 1024, '\0');
    for (std::size_t i = 0; i < sent.size(); ++i) {
        sent[i] = static_cast<char>('A' + i % 26 + (i / 26 % 2) * 32);
    }
    ASSERT_EQ(device.Open(server.Name()), 0);
    ASSERT_EQ(device.SetupComm(1024, 1024), 0);
    device.SetCommMask(DeviceEvent::RxChar);
    server.Accept();
    std::jthread sender([&] { server.Send(sent); });
    std::string received;
    while (received.size() < sent.size()) {
        std::uint32_t events = 0;
        ASSERT_EQ(device.WaitEvent(events), WaitOutcome::Event);
        ASSERT_LE(reception.Queued(), InputQueue::MinimumCapacity);
        received += reception.Read(Long);
    }
    sender.join();
    EXPECT_TRUE(received == sent);
    EXPECT_EQ(reception.Errors(), 0u);
}

// How a connection fails, and what the device must say about it.
struct Failure {
    std::string name;
    // Sets the scene and returns the name to open.
    std::function<std::string(LocalTcpServer&, RefusingPort&)> before;
    // Plays the peer once the device is open.
    std::function<void(LocalTcpServer&)> after;
    std::uint32_t mask;
    std::string delivered;
    std::vector<std::string> words;
    bool lasts = false; // trying again cannot mend it
};

void PrintTo(const Failure& row, std::ostream* out) {
    *out << row.name;
}

class Failures : public testing::TestWithParam<Failure> {};

TEST_P(Failures, AreReportedOnceThenEveryWaitFails) {
    const Failure& row = GetParam();
    NetworkDevice device(
        row.name == "UnknownHost" ? NetworkDevice::DefaultConnectLimit : ShortLimit, SilenceLimit);
    const DeviceWatchdog watchdog(device);
    LocalTcpServer server(0);
    RefusingPort refusing;
    const std::string name = row.before(server, refusing);
    ASSERT_EQ(device.Open(name), 0);
    device.SetCommMask(row.mask);
    if (row.after) {
        row.after(server);
    }
    Reception reception(device);
    EXPECT_EQ(reception.Receive(1000000), row.delivered) << "what came first is delivered";
    EXPECT_TRUE(reception.Ended());
    std::uint32_t events = 0;
    EXPECT_EQ(device.WaitEvent(events), WaitOutcome::Failed);
    EXPECT_EQ(device.WaitEvent(events), WaitOutcome::Failed);
    EXPECT_EQ(reception.Errors() & LineError::IOE, LineError::IOE);
    EXPECT_EQ(reception.Queued(), 0u);
    EXPECT_EQ(reception.Errors(), LineError::IOE) << "the I/O error stays";
    const std::string text = device.FailureText();
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    for (const std::string& word : row.words) {
        EXPECT_NE(text.find(word), std::string::npos) << text << "\nlacks: " << word;
    }
    EXPECT_EQ(device.FailureLasts(), row.lasts);
    device.Close();
    EXPECT_EQ(device.FailureText(), text) << "the port may ask after closing";
}

std::string Listening(LocalTcpServer& server, RefusingPort&) {
    return server.Name();
}

std::string ListeningGpsd(LocalTcpServer& server, RefusingPort&) {
    return server.Name("gpsd");
}

constexpr std::uint32_t ReceiveAndErrors = DeviceEvent::RxChar | DeviceEvent::Err;

INSTANTIATE_TEST_SUITE_P(
    Connections, Failures,
    testing::Values(
        Failure{"ClosedByThePeer",
                Listening,
                [](LocalTcpServer& s) {
                    s.Accept();
                    s.Send("$GPGSV,");
                    s.CloseClient();
                },
                ReceiveAndErrors,
                "$GPGSV,",
                {"closed by the other end", "tcp://127.0.0.1:"}},
        Failure{"ClosedWithoutAMask",
                Listening,
                [](LocalTcpServer& s) {
                    s.Accept();
                    s.CloseClient();
                },
                0,
                "",
                {"closed by the other end"}},
        Failure{"ResetByThePeer",
                Listening,
                [](LocalTcpServer& s) {
                    s.Accept();
                    s.ResetClient();
                },
                DeviceEvent::RxChar,
                "",
                {"tcp://127.0.0.1:", "reset"}},
        Failure{"Refused",
                [](LocalTcpServer&, RefusingPort& p) { return p.Name("tcp"); },
                nullptr,
                ReceiveAndErrors,
                "",
                {"Cannot connect to tcp://127.0.0.1:", "refused"}},
        Failure{"GpsdRefused",
                [](LocalTcpServer&, RefusingPort& p) { return p.Name("gpsd"); },
                nullptr,
                ReceiveAndErrors,
                "",
                {"Cannot connect to gpsd at 127.0.0.1:", "refused"}},
        Failure{"UnknownHost",
                [](LocalTcpServer&, RefusingPort&) { return "tcp://nowhere.invalid:10110"; },
                nullptr,
                ReceiveAndErrors,
                "",
                {"Cannot find the host nowhere.invalid", "tcp://nowhere.invalid:10110"},
                true},
        Failure{"NoGpsd",
                ListeningGpsd,
                [](LocalTcpServer& s) {
                    s.Accept();
                    s.Send("HTTP/1.1 400 Bad Request\r\n\r\n$GPZDA,1*54\r\n");
                },
                ReceiveAndErrors,
                "",
                {"gpsd at 127.0.0.1:", "answered with something else"}},
        Failure{"GpsdLeavesBeforeItsGreeting",
                ListeningGpsd,
                [](LocalTcpServer& s) {
                    s.Accept();
                    s.ReceiveLine();
                    s.CloseClient();
                },
                ReceiveAndErrors,
                "",
                {"gpsd at 127.0.0.1:", "closed by the other end"}},
        Failure{"SilentAfterData",
                Listening,
                [](LocalTcpServer& s) {
                    s.Accept();
                    s.Send("$GPGSV,");
                },
                ReceiveAndErrors,
                "$GPGSV,",
                {"tcp://127.0.0.1:", "no data for 1 s"}},
        Failure{"GpsdReportsAnError",
                [](LocalTcpServer& s, RefusingPort&) { return s.Name("gpsd") + "/dev/gone"; },
                [](LocalTcpServer& s) {
                    s.Accept();
                    s.Send(Version);
                    s.ReceiveLine();
                    s.Send("$GPZDA,1*54\r\n"
                           R"({"class":"ERROR","message":"No such device as /dev/gone"})"
                           "\r\n$GPZDA,2*54\r\n");
                },
                ReceiveAndErrors,
                "$GPZDA,1*54\r\n",
                {"gpsd at 127.0.0.1:", "No such device as /dev/gone", "/dev/gone)"}},
        Failure{"GpsdSilent",
                ListeningGpsd,
                [](LocalTcpServer& s) { s.Accept(); },
                ReceiveAndErrors,
                "",
                {"gpsd at 127.0.0.1:", "no answer within 200 ms"}},
        Failure{"NoAnswer",
                [](LocalTcpServer& s, RefusingPort&) {
                    s.FillBacklog();
                    return s.Name();
                },
                nullptr,
                DeviceEvent::RxChar,
                "",
                {"Cannot connect to tcp://127.0.0.1:", "no answer within 200 ms"}}),
    CaseName());

// What ends a wait on a connection that stays silent, and how the wait ends.
struct WaitEnding {
    std::string name;
    std::function<void(NetworkDevice&)> end;
    WaitOutcome outcome;
};

void PrintTo(const WaitEnding& row, std::ostream* out) {
    *out << row.name;
}

class EndingAnIdleWait : public NetworkDeviceOnLoopback,
                         public testing::WithParamInterface<WaitEnding> {};

TEST_P(EndingAnIdleWait, IsPrompt) {
    ASSERT_EQ(device.Open(server.Name()), 0);
    device.SetCommMask(DeviceEvent::RxChar);
    server.Accept();
    WaitOutcome outcome = WaitOutcome::Event;
    BlockingCall waiter([&] {
        std::uint32_t events = 0;
        outcome = device.WaitEvent(events);
    });
    ASSERT_TRUE(waiter.SleepsInPoll()) << "nothing has come that could end the wait";
    const auto start = Clock::now();
    GetParam().end(device);
    waiter.Join();
    EXPECT_LT(Clock::now() - start, Promptly);
    EXPECT_EQ(outcome, GetParam().outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Waits, EndingAnIdleWait,
    testing::Values(WaitEnding{"StopWait", [](NetworkDevice& d) { d.StopWait(); },
                               WaitOutcome::Stopped},
                    WaitEnding{"Close", [](NetworkDevice& d) { d.Close(); }, WaitOutcome::Failed}),
    CaseName());

TEST(NetworkDevice, NeitherOpenNorCloseWaitsForAPeerThatNeverAnswers) {
    LocalTcpServer server(0);
    server.FillBacklog();
    NetworkDevice device;
    const DeviceWatchdog watchdog(device);
    auto start = Clock::now();
    ASSERT_EQ(device.Open(server.Name()), 0);
    EXPECT_LT(Clock::now() - start, Promptly);
    device.SetCommMask(DeviceEvent::RxChar);
    WaitOutcome outcome = WaitOutcome::Event;
    BlockingCall waiter([&] {
        std::uint32_t events = 0;
        outcome = device.WaitEvent(events);
    });
    ASSERT_TRUE(waiter.SleepsInPoll()) << "the connect limit is far off";
    start = Clock::now();
    device.Close();
    EXPECT_LT(Clock::now() - start, Promptly);
    waiter.Join();
    EXPECT_EQ(outcome, WaitOutcome::Failed);
}

// A read under the read timeouts: `before` is sent before it starts, `later` once it sleeps in
// poll. Only lower bounds of the time it takes are checked, and upper bounds far beyond it.
struct TimedRead {
    std::string name;
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

class NetworkReadTimeouts : public NetworkDeviceOnLoopback,
                            public testing::WithParamInterface<TimedRead> {};

TEST_P(NetworkReadTimeouts, GovernHowLongAReadWaits) {
    const TimedRead& row = GetParam();
    ASSERT_EQ(device.Open(server.Name()), 0);
    ASSERT_EQ(device.SetCommTimeouts(row.timeouts), 0);
    server.Accept();
    if (!row.before.empty()) {
        server.Send(row.before);
        ASSERT_TRUE(Eventually([&] { return reception.Queued() == row.before.size(); }));
    }
    std::string got;
    Clock::duration took{};
    BlockingCall reader([&] {
        const auto start = Clock::now();
        got = reception.Read(row.count);
        took = Clock::now() - start;
    });
    if (!row.later.empty()) {
        ASSERT_TRUE(reader.SleepsInPoll()) << "the read must wait for more";
        server.Send(row.later);
    }
    reader.Join();
    EXPECT_EQ(got, row.expected);
    EXPECT_GE(took, row.atLeast);
    EXPECT_LT(took, std::chrono::milliseconds(Long / 2));
}

INSTANTIATE_TEST_SUITE_P(
    Reads, NetworkReadTimeouts,
    testing::Values(
        TimedRead{"ByDefaultAtOnce", {AllOnes, 0, 0, 0, 0}, 10, "ab", "", "ab", 0ms},
        TimedRead{"TotalWaitsForBytesSentLater", {0, 0, Long, 0, 0}, 5, "ab", "cde", "abcde", 0ms},
        TimedRead{"IntervalEndsOnceBytesStop", {50, 0, 0, 0, 0}, 64, "abc", "", "abc", 50ms},
        TimedRead{"AnyByteEndsTheWait", {AllOnes, AllOnes, Long, 0, 0}, 64, "", "x", "x", 0ms}),
    CaseName());

TEST_F(NetworkDeviceOnLoopback, AnAbortEndsAWaitingReadWithWhatItHas) {
    ASSERT_EQ(device.Open(server.Name()), 0);
    ASSERT_EQ(device.SetCommTimeouts(CommTimeouts{}), 0) << "no timeouts: wait for all";
    server.Accept();
    server.Send("ab");
    ASSERT_TRUE(Eventually([&] { return reception.Queued() == 2; }));
    std::string got;
    BlockingCall reader([&] { got = reception.Read(10); });
    ASSERT_TRUE(reader.SleepsInPoll());
    EXPECT_EQ(device.PurgeComm(Purge::RxAbort), 0);
    reader.Join();
    EXPECT_EQ(got, "ab");
}

// The Debian gpsd on a pseudo-terminal of the test's own, on a port of its own.
class GpsdOnPty {
public:
    GpsdOnPty() {
        // gpsd gives up root for a user of its own, which must still read the terminal.
        ::chmod(pty_.Path().c_str(), 0666);
        port_ = FreePort();
        const std::string port = std::to_string(port_);
        const std::string path = pty_.Path();
        process_ = StartChild([&] {
            // Its complaints about the machine (no system bus) are no concern of the test's.
            const FileDescriptor quiet(::open("/dev/null", O_WRONLY | O_CLOEXEC));
            ::dup2(quiet.Get(), STDERR_FILENO);
            ::execl(Program, Program, "-N", "-n", "-b", "-S", port.c_str(), path.c_str(),
                    static_cast<char*>(nullptr));
        });
    }
    GpsdOnPty(const GpsdOnPty&) = delete;
    GpsdOnPty& operator=(const GpsdOnPty&) = delete;
    ~GpsdOnPty() {
        ::kill(process_, SIGTERM);
        WaitForChild(process_);
    }

    std::string Name() const { return "gpsd://127.0.0.1:" + std::to_string(port_); }
    const PseudoTerminal& Terminal() const { return pty_; }

    static constexpr const char* Program = "/usr/sbin/gpsd";

private:
    static std::uint16_t FreePort() {
        const LocalTcpServer probe;
        return probe.Port();
    }

    PseudoTerminal pty_;
    std::uint16_t port_ = 0;
    pid_t process_ = -1;
};

TEST(NetworkDeviceWithGpsd, PassesOnTheReceiversSentences) {
    if (!std::filesystem::exists(GpsdOnPty::Program)) {
        GTEST_SKIP() << GpsdOnPty::Program << " is not installed";
    }
    std::vector<std::string> sentences;
    std::ifstream log(std::string(SKYFENCE_NMEA_DIR) + "/mt3339.log");
    for (std::string line; std::getline(log, line) && sentences.size() < 8;) {
        if (line.starts_with('$')) {
            sentences.push_back(line + "\r\n");
        }
    }
    ASSERT_FALSE(sentences.empty());
    GpsdOnPty gpsd;

    // The receiver talks on until the test has heard it through gpsd.
    std::atomic<bool> heard = false;
    std::jthread receiver([&] {
        for (int round = 0; round < 2000 && !heard; ++round) {
            for (const std::string& sentence : sentences) {
                gpsd.Terminal().Write(sentence);
            }
            std::this_thread::sleep_for(10ms);
        }
    });
    std::string received;
    // gpsd may not listen yet: the device is opened again until it answers.
    for (int attempt = 0; attempt < 200 && !heard; ++attempt) {
        NetworkDevice device;
        const DeviceWatchdog watchdog(device);
        ASSERT_EQ(device.Open(gpsd.Name()), 0);
        device.SetCommMask(DeviceEvent::RxChar);
        Reception reception(device);
        while (!reception.Ended() && !heard) {
            const std::string bytes = reception.Receive(1);
            received += bytes;
            heard = received.find(sentences[0]) != std::string::npos ||
                    received.find(sentences[1]) != std::string::npos;
            if (bytes.empty() && !reception.Ended()) {
                break;
            }
        }
        if (!heard) {
            std::this_thread::sleep_for(20ms);
        }
    }
    heard = true;
    receiver.join();
    EXPECT_NE(received.find("$GP"), std::string::npos) << received;
    EXPECT_EQ(received.find("{\"class\""), std::string::npos) << "gpsd's reports stay out";
}

} // namespace
