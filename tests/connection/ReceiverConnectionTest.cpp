// The connection's states on a real port: a receiver behind a link that goes away and comes
// back, tries that fail in between, and the user's Start and Stop.
#include "connection/ReceiverConnection.h"
#include "device/serial/PseudoTerminal.h"
#include "platform/MainThreadCalls.h"
#include "serial/EComPort.h"
#include "serial/TComPort.h"

#include "LocalTcpServer.h"
#include "TemporaryFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using testing::HasSubstr;

class Connection : public testing::Test {
protected:
    Connection() {
        port.SetPort(link);
        port.SetEvents(AllComEvents);
        connection.SetRetryInterval(30ms);
        connection.OnStateChange = [this](ConnectionState state) { states.push_back(state); };
        connection.OnLogLine = [this](const std::string& line) { logged.push_back(line); };
    }

    // The receiver appears behind the link, as a replugged adapter does under its udev name.
    void PlugIn() {
        terminal = std::make_unique<PseudoTerminal>();
        std::filesystem::remove(link);
        std::filesystem::create_symlink(terminal->Path(), link);
    }
    // The link goes first: left behind it would lead a retry to whatever terminal takes that
    // number next, another test's.
    void Unplug() {
        std::filesystem::remove(link);
        terminal.reset();
    }
    static bool Pump(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            MainThreadCalls::Instance().WaitAndRun(2ms);
        }
        return true;
    }
    // Sends until the connection has heard the receiver; a port opened meanwhile takes it then.
    bool Receive() {
        return Pump([&] {
            if (terminal && port.Connected()) {
                terminal->Write("$GPRMC,093015.00,A,5557.1234,N,00311.5678,W,,,070107,,*00\r\n");
            }
            return connection.State() == ConnectionState::Open;
        });
    }

    int argc = 1;
    std::string argument = "connection_tests";
    char* argv[1] = {argument.data()};
    QCoreApplication application{argc, argv};
    TemporaryFolder folder;
    const std::string link = folder.File("receiver");
    std::unique_ptr<PseudoTerminal> terminal;
    TComPort port;
    ReceiverConnection connection{port};
    std::vector<ConnectionState> states;
    std::vector<std::string> logged;
};

TEST_F(Connection, LossRetriesUntilTheReceiverIsBackAndLogsBothOnce) {
    PlugIn();
    connection.Start();
    ASSERT_TRUE(Receive());
    Unplug();
    ASSERT_TRUE(Pump([&] { return connection.State() == ConnectionState::Lost; }));
    EXPECT_THAT(connection.StatusText(), HasSubstr("The receiver on " + link + " was lost at "));
    // Tries that find nothing keep the time of the loss and say why they failed.
    ASSERT_TRUE(Pump([&] {
        return connection.StatusText().find("still could not be opened") != std::string::npos;
    }));
    EXPECT_FALSE(port.Connected());
    PlugIn();
    ASSERT_TRUE(Receive());
    EXPECT_THAT(connection.StatusText(), HasSubstr("answers again since"));
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_THAT(logged[0], HasSubstr("was lost at"));
    EXPECT_THAT(logged[1], HasSubstr("answers again"));
    EXPECT_EQ(states.front(), ConnectionState::Opening);
    EXPECT_EQ(states[1], ConnectionState::Open);
    EXPECT_EQ(states.back(), ConnectionState::Open);
    EXPECT_TRUE(std::find(states.begin(), states.end(), ConnectionState::Retrying) != states.end());
}

// A port that cannot be opened at Start is the user's to mend: the failure is raised and nothing
// is tried again behind their back.
TEST_F(Connection, StartThatFailsRaisesAndDoesNotRetry) {
    EXPECT_THROW(connection.Start(), EComPort);
    EXPECT_EQ(connection.State(), ConnectionState::Closed);
    PlugIn();
    const auto later = std::chrono::steady_clock::now() + 150ms;
    Pump([&] { return std::chrono::steady_clock::now() > later; });
    EXPECT_FALSE(port.Connected());
    EXPECT_TRUE(states.empty());
}

TEST_F(Connection, StopWhileLostEndsTheTries) {
    PlugIn();
    connection.Start();
    ASSERT_TRUE(Receive());
    Unplug();
    ASSERT_TRUE(Pump([&] { return connection.State() == ConnectionState::Lost; }));
    connection.Stop();
    EXPECT_EQ(connection.State(), ConnectionState::Closed);
    EXPECT_THAT(connection.StatusText(), HasSubstr("Reception from " + link + " stopped at"));
    EXPECT_THAT(connection.StatusText(), testing::Not(HasSubstr("trying again")));
    PlugIn();
    const auto later = std::chrono::steady_clock::now() + 150ms;
    Pump([&] { return std::chrono::steady_clock::now() > later; });
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(states.back(), ConnectionState::Closed);
}

// A peer that sends a little and closes, again and again, is lost in the same way each time: the
// log has the first loss and its end, and then a count.
TEST_F(Connection, RepeatedLossesAreCountedInTheLog) {
    LocalTcpServer server;
    port.SetPort(server.Name());
    connection.Start();
    for (int round = 0; round < 6; ++round) {
        ASSERT_TRUE(Pump([&] { return port.Connected(); }));
        server.Accept();
        server.Send("$GPRMC,093015.00,A,5557.1234,N,00311.5678,W,,,070107,,*00\r\n");
        ASSERT_TRUE(Pump([&] { return connection.State() == ConnectionState::Open; }));
        server.CloseClient();
        ASSERT_TRUE(Pump([&] { return connection.State() == ConnectionState::Lost; }));
    }
    connection.Stop();
    ASSERT_EQ(logged.size(), 3u) << testing::PrintToString(logged);
    EXPECT_THAT(logged[0], HasSubstr("was lost at"));
    EXPECT_THAT(logged[1], HasSubstr("answers again"));
    EXPECT_THAT(logged[2], HasSubstr("lost 5 more times in the same way (The connection to " +
                                     server.Name() + " was closed by the other end)"));
}

// A name that can never be reached is told as a port that cannot be opened, once, and not tried
// again; a wrong name in the settings is the user's to mend.
TEST_F(Connection, NetworkNamesThatCannotWorkAreRefusedSayingWhy) {
    std::vector<std::string> refused;
    connection.OnRefused = [&](const std::string& message) { refused.push_back(message); };
    const std::pair<std::string, std::string> names[] = {
        {"tcp://h:0", "the port must be a number from 1 to 65535"},
        {"tcp://h:65536", "the port must be a number from 1 to 65535"},
        {"gpsd://h:2947/dev/a\"b", "the receiver's path"},
        {"tcp://nowhere.invalid:10110", "Cannot find the host nowhere.invalid"},
    };
    for (const auto& [name, why] : names) {
        port.SetPort(name);
        std::string message;
        try {
            connection.Start();
            ASSERT_TRUE(Pump([&] { return !refused.empty(); })) << name;
            message = refused.back();
        } catch (const EComPort& error) {
            message = error.what();
        }
        EXPECT_THAT(message, HasSubstr("Unable to open com port: "));
        EXPECT_THAT(message, HasSubstr(why));
        EXPECT_THAT(message, HasSubstr(name.substr(0, 12)));
        EXPECT_THAT(message, testing::Not(HasSubstr("error code")));
        EXPECT_EQ(connection.State(), ConnectionState::Closed) << name;
    }
    EXPECT_EQ(refused.size(), 1u);
    const auto later = std::chrono::steady_clock::now() + 150ms;
    Pump([&] { return std::chrono::steady_clock::now() > later; });
    EXPECT_FALSE(port.Connected()) << "not tried again";
}

TEST(ConnectionState, TheLedIsLitOnlyOnceTheReceiverAnswers) {
    const std::pair<ConnectionState, bool> states[] = {
        {ConnectionState::Closed, false},   {ConnectionState::Opening, false},
        {ConnectionState::Open, true},      {ConnectionState::Lost, false},
        {ConnectionState::Retrying, false},
    };
    for (const auto& [state, lit] : states) {
        EXPECT_EQ(ShowsLedOn(state), lit) << static_cast<int>(state);
    }
}

} // namespace
