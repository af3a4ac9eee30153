// The setup on a real port and a real settings file: reception around it, the one policy for
// storing both settings, and the rows, whose local gpsd is asked without keeping the caller.
#include "connection/ReceiverSetup.h"
#include "connection/ReceiverConnection.h"
#include "device/serial/PseudoTerminal.h"
#include "horizon/ReceivePath.h"
#include "horizon/ReceiverModeSetting.h"
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

class Setup : public testing::Test {
protected:
    Setup() {
        port.SetName("ComPort");
        setup.OnReceiverChange = [this](ReceiverMode mode) { changes.push_back(mode); };
        setup.OnStored = [this] { ++stored; };
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

enum class Ran { Stopped, Open, Waiting };

struct RunCase {
    const char* name;
    Ran before;
    // What goes wrong while the user edits, if anything, and what the setup then raises.
    std::function<void(TCustomComPort& port, const std::string& folder)> fault;
    const char* failure;
    int storedTimes;
    ConnectionState after;
};

class Reception : public Setup, public testing::WithParamInterface<RunCase> {};

// Reception ends for the setup, both settings are stored under one error policy, and reception
// starts again as it ran, unless anything failed.
TEST_P(Reception, EndsForTheSetupAndStartsAgainAsItRan) {
    const RunCase& run = GetParam();
    port.SetPort(run.before == Ran::Waiting ? folder.File("receiver") : terminal.Path());
    if (run.before == Ran::Open) {
        connection.Start();
    } else if (run.before == Ran::Waiting) {
        connection.StartUnattended();
    }
    bool openWhileEdited = true;
    std::string failure;
    try {
        setup.Run([&](TCustomComPort& edited) {
            openWhileEdited = edited.Connected();
            setup.SetReceiver(ReceiverMode::AllSystems);
            if (run.fault) {
                run.fault(edited, folder.Path());
            }
        });
    } catch (const EComPort& error) {
        failure = error.what();
    }
    EXPECT_FALSE(openWhileEdited);
    EXPECT_EQ(failure.empty(), *run.failure == '\0') << failure;
    EXPECT_THAT(failure, HasSubstr(run.failure));
    EXPECT_EQ(connection.State(), run.after);
    EXPECT_EQ(port.Connected(), run.after == ConnectionState::Opening);
    EXPECT_THAT(changes, ElementsAre(ReceiverMode::AllSystems));
    EXPECT_EQ(stored, run.storedTimes);
    if (stored == 1) {
        TRegistry registry;
        registry.OpenKey("Software\\Brennick\\Skyfence\\ComPort", false);
        EXPECT_EQ(registry.ReadString("Port"), port.Port());
        EXPECT_EQ(ReceiverModeSetting(Key, "ComPort").Read(), ReceiverMode::AllSystems);
    }
    connection.Stop();
}

void DamageTheStore(TCustomComPort&, const std::string&) {
    const std::string file = TRegistry::DefaultFile();
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    WriteFileBytes(file, "REGEDIT4\r\n\r\n\x01 not a registry line");
}

void NameAMissingReceiver(TCustomComPort& port, const std::string& folder) {
    port.SetPort(folder + "no-such-receiver");
}

INSTANTIATE_TEST_SUITE_P(
    Before, Reception,
    testing::Values(RunCase{"Stopped", Ran::Stopped, {}, "", 1, ConnectionState::Closed},
                    RunCase{"Open", Ran::Open, {}, "", 1, ConnectionState::Opening},
                    // A user's Start would raise for the missing receiver; waiting goes on.
                    RunCase{"Waiting", Ran::Waiting, {}, "", 1, ConnectionState::Lost},
                    RunCase{"StoreDamaged", Ran::Open, DamageTheStore, "Failed to store settings",
                            0, ConnectionState::Closed},
                    RunCase{"ReopeningFails", Ran::Open, NameAMissingReceiver,
                            "Unable to open com port", 1, ConnectionState::Closed}),
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
