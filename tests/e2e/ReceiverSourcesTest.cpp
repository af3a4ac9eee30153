// The window fed through each kind of receiver source, with the source going away and coming
// back: a real gpsd of the test's own, a TCP stream, and the simulator restarted on its link.
// Reception must resume by itself and the map go on growing from where it was.
#include "GpsdDaemon.h"
#include "Installation.h"
#include "Simulator.h"

#include "LocalTcpServer.h"

#include "app/TFormSkyfence.h"
#include "connection/ReceiverConnection.h"
#include "horizon/HorizonGrid.h"
#include "platform/CommaText.h"
#include "platform/MainThreadCalls.h"
#include "serial/TComPort.h"

#include "GridCells.h"
#include "TemporaryFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QStatusBar>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>

namespace {

using namespace std::chrono_literals;
using testing::HasSubstr;

class ReceiverSources : public testing::Test {
protected:
    // The window of an installation whose port is `port`, shown, trying again quickly.
    TFormSkyfence& Show(const std::string& port) {
        installation = std::make_unique<Installation>(port);
        ::setenv("XDG_CONFIG_HOME", installation->Config().c_str(), 1);
        form = std::make_unique<TFormSkyfence>(installation->Folder());
        form->Connection().SetRetryInterval(200ms);
        form->show();
        return *form;
    }
    // Runs the window until `done`, asking it every `every`: counting the map costs, and a slow
    // (sanitised) build must still spend its time receiving.
    static bool Pump(const std::function<bool()>& done, std::chrono::milliseconds every = 200ms) {
        const std::chrono::seconds limit = 30s;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        auto nextCheck = std::chrono::steady_clock::now();
        for (;;) {
            if (std::chrono::steady_clock::now() >= nextCheck) {
                if (done()) {
                    return true;
                }
                nextCheck = std::chrono::steady_clock::now() + every;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            MainThreadCalls::Instance().WaitAndRun(2ms);
        }
    }
    bool Reaches(ConnectionState state) {
        return Pump([&] { return form->Connection().State() == state; }, 0ms);
    }
    int Raised() const { return RaisedCells(form->Grids().HorizonGrid); }
    std::string Status() const { return form->statusBar()->currentMessage().toStdString(); }
    // Losing and regaining the receiver never lowers a cell.
    void ExpectNoCellLowerThan(const TStringList& before) const {
        const TStringList& now = form->Grids().HorizonGrid;
        for (std::size_t a = 0; a < before.Count(); ++a) {
            const std::vector<std::string> was = SplitCommaText(before.Get(a));
            const std::vector<std::string> is = SplitCommaText(now.Get(a));
            for (std::size_t e = 1; e < was.size(); ++e) {
                ASSERT_GE(std::stoi(is.at(e)), std::stoi(was[e])) << a << "," << e;
            }
        }
    }

    TemporaryFolder folder;
    std::unique_ptr<Installation> installation;
    std::unique_ptr<TFormSkyfence> form;
};

TEST_F(ReceiverSources, MapFillsThroughGpsdAndResumesWhenGpsdIsRestarted) {
    if (!GpsdDaemon::Installed()) {
        GTEST_SKIP() << "gpsd is not installed; scripts/install-deps installs it";
    }
    Simulator simulator(folder.File("receiver"), {"--speed", "3600"});
    GpsdDaemon gpsd(folder.File("receiver"));
    ASSERT_TRUE(gpsd.Start());
    Show(gpsd.Address());
    ASSERT_TRUE(Pump([&] { return Raised() > 20; }));
    EXPECT_EQ(form->Connection().State(), ConnectionState::Open);

    gpsd.Kill();
    ASSERT_TRUE(Reaches(ConnectionState::Lost));
    EXPECT_THAT(Status(), HasSubstr("The receiver on " + gpsd.Address() + " was lost at"));
    EXPECT_EQ(form->findChild<QPushButton*>("BitBtnStartStop")->text(), "  Stop");
    const TStringList before = form->Grids().HorizonGrid;
    const int raisedBefore = Raised();

    ASSERT_TRUE(gpsd.Start());
    ASSERT_TRUE(Reaches(ConnectionState::Open));
    EXPECT_THAT(Status(), HasSubstr("answers again"));
    ASSERT_TRUE(Pump([&] { return Raised() > raisedBefore + 10; }));
    ExpectNoCellLowerThan(before);
}

// Nobody at the address: the window says so, keeps answering, and the user can stop the tries.
TEST_F(ReceiverSources, AbsentGpsdIsToldWithoutAHang) {
    const std::string address = "gpsd://127.0.0.1:" + std::to_string(FreeLoopbackPort());
    Show(address);
    ASSERT_TRUE(Reaches(ConnectionState::Lost));
    EXPECT_THAT(Status(), HasSubstr(address));
    EXPECT_THAT(Status(), HasSubstr("refused"));
    form->findChild<QPushButton*>("BitBtnStartStop")->click();
    EXPECT_EQ(form->Connection().State(), ConnectionState::Closed);
    EXPECT_FALSE(form->ComPort().Connected());
}

// A TCP stream of NMEA: sentences arrive, the server ends the connection, and reception resumes
// when it serves again, with the next log adding to the same map.
TEST_F(ReceiverSources, TcpStreamResumesWhenTheServerServesAgain) {
    LocalTcpServer server;
    Show(server.Name());
    ASSERT_TRUE(Pump([&] { return form->ComPort().Connected(); }));
    server.Accept();
    server.Send(ReadFileBytes(std::string(SKYFENCE_NMEA_DIR) + "/mt3339.log"));
    ASSERT_TRUE(Pump([&] { return Raised() > 5; }));
    EXPECT_EQ(form->Connection().State(), ConnectionState::Open);

    server.CloseClient();
    ASSERT_TRUE(Pump([&] { return form->Connection().State() != ConnectionState::Open; }));
    EXPECT_THAT(Status(), HasSubstr("The receiver on " + server.Name() + " was lost at"));
    EXPECT_THAT(Status(), HasSubstr("closed"));
    const TStringList before = form->Grids().HorizonGrid;
    const int raisedBefore = Raised();
    ASSERT_TRUE(Reaches(ConnectionState::Retrying));
    server.Accept();
    server.Send(ReadFileBytes(std::string(SKYFENCE_NMEA_DIR) + "/bu353s4.log"));
    ASSERT_TRUE(Reaches(ConnectionState::Open));
    ASSERT_TRUE(Pump([&] { return Raised() > raisedBefore; }));
    ExpectNoCellLowerThan(before);
}

struct PeerFault {
    const char* name;
    std::function<void(LocalTcpServer& peer)> act;
    const char* told; // in the status area
};

void PrintTo(const PeerFault& fault, std::ostream* out) {
    *out << fault.name;
}

class FaultyPeer : public ReceiverSources, public testing::WithParamInterface<PeerFault> {};

// A peer that is no gpsd, that floods one endless line, resets, or greets and then stays silent
// (stopped): the window says what happened, stays responsive, and Stop ends it at once.
TEST_P(FaultyPeer, IsToldAndNeverHangsTheWindow) {
    LocalTcpServer peer;
    Show(peer.Name("gpsd"));
    form->ComPort().SetNetworkSilenceLimit(1s);
    // The listener stays: a quick retry would find it again and tell of that instead.
    form->Connection().SetRetryInterval(60s);
    ASSERT_TRUE(Pump([&] { return form->ComPort().Connected(); }));
    peer.Accept();
    GetParam().act(peer);
    ASSERT_TRUE(Reaches(ConnectionState::Lost));
    EXPECT_THAT(Status(), HasSubstr(GetParam().told));
    const auto before = std::chrono::steady_clock::now();
    form->findChild<QPushButton*>("BitBtnStartStop")->click();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
    EXPECT_EQ(form->Connection().State(), ConnectionState::Closed);
}

INSTANTIATE_TEST_SUITE_P(
    Peers, FaultyPeer,
    testing::Values(PeerFault{"Garbage",
                              [](LocalTcpServer& peer) { peer.Send("HTTP/1.1 400 Bad\r\n"); },
                              "answered with something else"},
                    PeerFault{"EndlessLine",
                              [](LocalTcpServer& peer) {
                                  peer.Send("{\"class\":\"VERSION\"}\n");
                                  // Ten times the longest line, without an end: dropped as it
                                  // comes.
                                  peer.Send(std::string(40960, 'x'));
                                  peer.ResetClient();
                              },
                              "reset"},
                    PeerFault{"Silent",
                              [](LocalTcpServer& peer) { peer.Send("{\"class\":\"VERSION\"}\n"); },
                              "no data for 1 s"}),
    [](const testing::TestParamInfo<PeerFault>& fault) { return fault.param.name; });

// gpsd asked for a receiver it does not have: its answer is told, with the path.
TEST_F(ReceiverSources, GpsdWithoutTheReceiverAskedForSaysSo) {
    if (!GpsdDaemon::Installed()) {
        GTEST_SKIP() << "gpsd is not installed; scripts/install-deps installs it";
    }
    Simulator simulator(folder.File("receiver"), {"--speed", "3600"});
    GpsdDaemon gpsd(folder.File("receiver"));
    ASSERT_TRUE(gpsd.Start());
    Show(gpsd.Address() + "/dev/no-such-receiver");
    ASSERT_TRUE(Reaches(ConnectionState::Lost));
    EXPECT_THAT(Status(), HasSubstr("No such device"));
    EXPECT_THAT(Status(), HasSubstr("/dev/no-such-receiver"));
}

// The receiver unplugged and plugged in again: the simulator ended and started anew on the link.
TEST_F(ReceiverSources, SerialReceiverPluggedInAgainResumesByItself) {
    const std::string link = folder.File("receiver");
    auto simulator = std::make_unique<Simulator>(link, std::vector<std::string>{"--speed", "3600"});
    Show(link);
    ASSERT_TRUE(Pump([&] { return Raised() > 20; }));
    simulator->program.Signal(SIGTERM);
    ASSERT_TRUE(simulator->program.Wait(10s).has_value());
    ASSERT_TRUE(Reaches(ConnectionState::Lost));
    const TStringList before = form->Grids().HorizonGrid;
    const int raisedBefore = Raised();

    simulator = std::make_unique<Simulator>(link, std::vector<std::string>{"--speed", "3600"});
    ASSERT_TRUE(Reaches(ConnectionState::Open));
    ASSERT_TRUE(Pump([&] { return Raised() > raisedBefore + 10; }));
    ExpectNoCellLowerThan(before);
}

} // namespace
