// The setup on a real port and a real settings file: reception around it, the one policy for
// storing both settings, and the rows, whose local gpsd is asked without keeping the caller.
#include "connection/ReceiverSetup.h"
#include "connection/ReceiverConnection.h"
#include "horizon/ReceivePath.h"
#include "horizon/ReceiverModeSetting.h"
#include "platform/PseudoTerminal.h"
#include "platform/TRegistry.h"
#include "serial/EComPort.h"
#include "serial/TComPort.h"

#include "EnvironmentVariable.h"
#include "LocalTcpServer.h"
#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using testing::ElementsAre;
using testing::HasSubstr;

constexpr const char* Key = "HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence";

class NoTable : public SatelliteTable {
public:
    void ShowSatellitesInView(std::int32_t) override {}
    void ShowRow(std::int64_t, const SatelliteReport&) override {}
    void ClearRow(std::int64_t) override {}
};

// Failures name the table row instead of dumping its bytes.
template <class Case>
requires requires(const Case& row) {
    row.name;
}
void PrintTo(const Case& row, std::ostream* out) {
    *out << row.name;
}

class Setup : public testing::Test {
protected:
    Setup() {
        port.SetName("ComPort");
        setup.OnReceiverChange = [this](ReceiverMode mode) { changes.push_back(mode); };
        setup.OnStored = [this] { ++stored; };
    }
    std::string StoredPort() {
        TRegistry registry;
        registry.OpenKey("Software\\Brennick\\Skyfence\\ComPort", false);
        return registry.ReadString("Port");
    }

    int argc = 1;
    std::string argument = "connection_tests";
    char* argv[1] = {argument.data()};
    QCoreApplication application{argc, argv};
    TemporaryFolder folder;
    const EnvironmentVariable configuration{"XDG_CONFIG_HOME", folder.Path()};
    const PseudoTerminal terminal;
    TComPort port;
    ReceiverConnection connection{port};
    HorizonGrids grids;
    NoTable table;
    ReceivePath reception{grids, table, [](const std::string&) {}};
    ReceiverSetup setup{port, connection, reception, Key};
    std::vector<ReceiverMode> changes;
    int stored = 0;
};

struct RunCase {
    const char* name;
    // How reception ran before the setup, on `port` named for the terminal or a missing link.
    std::function<void(ReceiverConnection& connection, TComPort& port, const std::string& missing)>
        before;
    bool connectedAfter;
    ConnectionState stateAfter;
};

class Reception : public Setup, public testing::WithParamInterface<RunCase> {};

// Reception ends for the setup, both settings are stored, and it starts again as it ran.
TEST_P(Reception, EndsForTheSetupAndStartsAgainAsItRan) {
    port.SetPort(terminal.Path());
    GetParam().before(connection, port, folder.File("receiver"));
    const std::string name = port.Port();
    bool openWhileEdited = true;
    setup.Run([&](TCustomComPort& edited) {
        openWhileEdited = edited.Connected();
        setup.SetReceiver(ReceiverMode::AllSystems);
    });
    EXPECT_FALSE(openWhileEdited);
    EXPECT_EQ(port.Connected(), GetParam().connectedAfter);
    EXPECT_EQ(connection.State(), GetParam().stateAfter);
    EXPECT_EQ(StoredPort(), name);
    EXPECT_EQ(ReceiverModeSetting(Key, "ComPort").Read(), ReceiverMode::AllSystems);
    EXPECT_THAT(changes, ElementsAre(ReceiverMode::AllSystems));
    EXPECT_EQ(stored, 1);
    connection.Stop();
}

INSTANTIATE_TEST_SUITE_P(
    Before, Reception,
    testing::Values(
        RunCase{"Stopped", [](auto&, auto&, const auto&) {}, false, ConnectionState::Closed},
        RunCase{"Open", [](auto& connection, auto&, const auto&) { connection.Start(); }, true,
                ConnectionState::Opening},
        // A user's Start would raise for the missing receiver; waiting goes on.
        RunCase{"Waiting",
                [](auto& connection, auto& port, const std::string& missing) {
                    port.SetPort(missing);
                    connection.StartUnattended();
                },
                false, ConnectionState::Lost}),
    CaseName());

struct FaultCase {
    const char* name;
    std::function<void(TCustomComPort& port, const std::string& folder)> duringSetup;
    const char* message;
    int storedAfter;
};

class Fault : public Setup, public testing::WithParamInterface<FaultCase> {};

// Either setting that cannot be stored fails the setup alike; nothing starts after a failure.
TEST_P(Fault, RaisesAndLeavesReceptionStopped) {
    port.SetPort(terminal.Path());
    connection.Start();
    try {
        setup.Run([&](TCustomComPort& edited) { GetParam().duringSetup(edited, folder.Path()); });
        ADD_FAILURE() << "no error";
    } catch (const EComPort& error) {
        EXPECT_THAT(error.what(), HasSubstr(GetParam().message));
    }
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(connection.State(), ConnectionState::Closed);
    EXPECT_EQ(stored, GetParam().storedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Setup, Fault,
    testing::Values(FaultCase{"StoreDamaged",
                              [](TCustomComPort&, const std::string&) {
                                  const std::string file = TRegistry::DefaultFile();
                                  std::filesystem::create_directories(
                                      std::filesystem::path(file).parent_path());
                                  WriteFileBytes(file, "REGEDIT4\r\n\r\n\x01 not a registry line");
                              },
                              "Failed to store settings", 0},
                    FaultCase{"ReopeningFails",
                              [](TCustomComPort& port, const std::string& folder) {
                                  port.SetPort(folder + "no-such-receiver");
                              },
                              "Unable to open com port", 1}),
    CaseName());

struct GpsdCase {
    const char* name;
    const char* greeting; // null: nobody listens
    std::vector<std::string> later;
};

class LocalGpsd : public Setup, public testing::WithParamInterface<GpsdCase> {};

// The rows come at once: the gpsd greets only after they have, and is offered all the same.
TEST_P(LocalGpsd, JoinsTheNetworkRowWhenItAnswers) {
    std::unique_ptr<LocalTcpServer> gpsd = std::make_unique<LocalTcpServer>();
    const std::string address = gpsd->Name("gpsd");
    if (GetParam().greeting == nullptr) {
        gpsd.reset();
    }
    port.SetPort("COM1");
    setup.SetReceiver(ReceiverMode::AllSystems);
    ReceiverSetup asking(port, connection, reception, Key, address);
    ReceiverSetup::Rows rows = asking.MakeRows();
    EXPECT_EQ(rows.receiver.chosen, 1);
    EXPECT_THAT(rows.network.items, ElementsAre(""));
    if (gpsd) {
        gpsd->Accept();
        gpsd->Send(GetParam().greeting);
    }
    rows.network.laterItems.waitForFinished();
    EXPECT_EQ(rows.network.laterItems.result(), GetParam().later);

    rows.receiver.chosen = 0;
    rows.network.text = " tcp://192.0.2.7:10110 ";
    asking.Apply(rows);
    EXPECT_EQ(port.Port(), "tcp://192.0.2.7:10110");
    EXPECT_EQ(asking.Receiver(), ReceiverMode::GpsOnly);
}

INSTANTIATE_TEST_SUITE_P(
    Probe, LocalGpsd,
    testing::Values(GpsdCase{"Answers",
                             "{\"class\":\"VERSION\",\"release\":\"3.22\"}\r\n",
                             {"", "gpsd://localhost:2947"}},
                    GpsdCase{"Absent", nullptr, {""}}),
    CaseName());

} // namespace
