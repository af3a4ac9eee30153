// The real programs together: the simulated receiver on a pseudo-terminal, the window (in this
// process, so that its labels can be read) and the program itself, and the replay tool.
#include "ChildProgram.h"
#include "Installation.h"
#include "Simulator.h"

#include "app/TFormSkyfence.h"
#include "horizon/HorizonGrid.h"
#include "platform/CommaText.h"
#include "platform/MainThreadCalls.h"
#include "serial/TComPort.h"

#include "GridCells.h"
#include "TemporaryFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

bool Pump(const std::function<bool()>& done, std::chrono::seconds limit = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        MainThreadCalls::Instance().WaitAndRun(2ms);
    }
    return true;
}

int Cell(const TStringList& grid, int azimuth, int elevation) {
    return std::stoi(SplitCommaText(grid.Get(static_cast<std::size_t>(azimuth)))
                         .at(static_cast<std::size_t>(elevation) + 1));
}

TEST(EndToEnd, SimulatedSkyFillsTheWindowAndTheBuildingStaysDark) {
    TemporaryFolder folder;
    Simulator simulator(folder.File("receiver"), {"--speed", "3600", "--seed", "5"});
    ASSERT_THAT(simulator.device, testing::StartsWith("/dev/pts/"));
    Installation installation(folder.File("receiver"));
    ::setenv("XDG_CONFIG_HOME", installation.Config().c_str(), 1);
    TFormSkyfence form(installation.Folder());
    form.show();
    const auto label = [&](const char* name) {
        return form.findChild<QLabel*>(name)->text().toStdString();
    };
    ASSERT_TRUE(Pump([&] { return form.ComPort().Connected(); }));
    ASSERT_TRUE(Pump([&] {
        return label("LabelNumSatellites").ends_with(" satellites in view") &&
               label("LabelPosition").find(" UTC  ") != std::string::npos &&
               label("LabelSat01").starts_with("PRN:");
    }));
    // Some simulated hours, so that satellites cross most of the sky. Counting is kept cheap and
    // rare, so that a slow (sanitised) build still spends its time receiving.
    const auto raised = [&] { return RaisedCells(form.Grids().HorizonGrid); };
    auto nextCount = std::chrono::steady_clock::now();
    ASSERT_TRUE(Pump(
        [&] {
            if (std::chrono::steady_clock::now() < nextCount) {
                return false;
            }
            nextCount = std::chrono::steady_clock::now() + 500ms;
            return raised() > 300;
        },
        120s));
    // The building stands at azimuths 200 to 250 up to 40 degrees; the sentences round the
    // directions to whole degrees, so its edges are left out.
    for (int a = 202; a <= 248; ++a) {
        for (int e = 0; e < 38; ++e) {
            ASSERT_EQ(Cell(form.Grids().HorizonGrid, a, e), 0) << a << "," << e;
        }
    }
    form.close();
    EXPECT_EQ(ReadFileBytes(installation.DataFile()), form.Grids().HorizonGrid.Text());
    simulator.program.Signal(SIGTERM);
    EXPECT_TRUE(simulator.program.Wait(10s).has_value());
    EXPECT_FALSE(std::filesystem::exists(folder.File("receiver")));
}

TEST(EndToEnd, ProgramSavesACompleteDataFileOnSigterm) {
    TemporaryFolder folder;
    Simulator simulator(folder.File("receiver"), {"--speed", "3600"});
    Installation installation(folder.File("receiver"));
    ChildProgram program(
        installation.Program(), {},
        {{"XDG_CONFIG_HOME", installation.Config()}, {"QT_QPA_PLATFORM", "offscreen"}});
    ASSERT_TRUE(program.WaitUntilReading(simulator.device, 8192, 20s));
    program.Signal(SIGTERM);
    const std::optional<int> status = program.Wait(20s);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    TStringList grid;
    grid.LoadFromFile(installation.DataFile());
    ASSERT_EQ(grid.Count(), 360u);
    EXPECT_NE(grid, NewGrid()) << "nothing was received";
    for (std::size_t a = 0; a < grid.Count(); ++a) {
        ASSERT_EQ(SplitCommaText(grid.Get(a)).size(), 92u) << a;
    }
}

// A receiver of four systems and the program set for all of them: the combined map and one map
// per system, each raised, beside the program.
TEST(EndToEnd, AllSystemsReceiverWritesTheCombinedAndEachSystemsMap) {
    TemporaryFolder folder;
    Simulator simulator(folder.File("receiver"), {"--all-systems", "--speed", "3600"});
    Installation installation(folder.File("receiver"), "All satellite systems");
    ChildProgram program(
        installation.Program(), {},
        {{"XDG_CONFIG_HOME", installation.Config()}, {"QT_QPA_PLATFORM", "offscreen"}});
    ASSERT_TRUE(program.WaitUntilReading(simulator.device, 32768, 20s));
    program.Signal(SIGTERM);
    const std::optional<int> status = program.Wait(20s);
    ASSERT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    for (const char* map : {"Skyfence.dat", "Skyfence-GPS.dat", "Skyfence-GLONASS.dat",
                            "Skyfence-Galileo.dat", "Skyfence-BeiDou.dat"}) {
        TStringList grid;
        grid.LoadFromFile(installation.Folder() + map);
        EXPECT_EQ(grid.Count(), 360u) << map;
        EXPECT_NE(grid, NewGrid()) << map << ": nothing was folded";
    }
    EXPECT_FALSE(std::filesystem::exists(installation.Folder() + "Skyfence-NavIC.dat"));
}

TEST(EndToEnd, SigtermEndsTheProgramWhileItWaitsForTheLostReceiver) {
    TemporaryFolder folder;
    auto simulator = std::make_unique<Simulator>(folder.File("receiver"),
                                                 std::vector<std::string>{"--speed", "600"});
    Installation installation(folder.File("receiver"));
    ChildProgramOptions options;
    options.environment = {{"XDG_CONFIG_HOME", installation.Config()},
                           {"QT_QPA_PLATFORM", "offscreen"}};
    options.readErrors = true;
    ChildProgram program(installation.Program(), {}, options);
    ASSERT_TRUE(program.WaitUntilReading(simulator->device, 4096, 20s));
    // The receiver goes away: the program says so and waits to try it again.
    simulator->program.Signal(SIGTERM);
    ASSERT_TRUE(simulator->program.Wait(10s).has_value());
    ASSERT_TRUE(program.WaitForLine("was lost at", 20s));
    program.Signal(SIGTERM);
    const std::optional<int> status = program.Wait(20s);
    ASSERT_TRUE(status.has_value()) << "the program did not end";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    TStringList grid;
    grid.LoadFromFile(installation.DataFile());
    EXPECT_EQ(grid.Count(), 360u);
}

class ReplayedLog : public testing::TestWithParam<std::string> {};

// The replay tool and the program receiving the same log through a pseudo-terminal agree.
TEST_P(ReplayedLog, ToolAndProgramWriteTheSameDataFile) {
    const std::string log = std::string(SKYFENCE_NMEA_DIR) + "/" + GetParam();
    TemporaryFolder folder;
    ChildProgram replay(SKYFENCE_REPLAY, {log, folder.File("replayed.dat")});
    const std::optional<int> replayed = replay.Wait(60s);
    ASSERT_TRUE(replayed && WIFEXITED(*replayed) && WEXITSTATUS(*replayed) == 0);

    Installation installation(folder.File("receiver"));
    ::setenv("XDG_CONFIG_HOME", installation.Config().c_str(), 1);
    std::optional<Simulator> simulator;
    {
        TFormSkyfence form(installation.Folder());
        // Reception starts as soon as the simulator is there.
        simulator.emplace(folder.File("receiver"),
                          std::vector<std::string>{"--replay", log, "--rate", "200000"});
        form.show();
        ASSERT_TRUE(Pump([&] { return form.ComPort().Connected(); }));
        ASSERT_TRUE(Pump([&] { return simulator->program.Wait(0ms).has_value(); }, 60s));
        // Whatever is still on its way through the terminal arrives within moments.
        const auto settle = std::chrono::steady_clock::now() + 500ms;
        Pump([&] { return std::chrono::steady_clock::now() > settle; });
        form.close();
    }
    EXPECT_EQ(ReadFileBytes(installation.DataFile()), ReadFileBytes(folder.File("replayed.dat")));
}

INSTANTIATE_TEST_SUITE_P(Logs, ReplayedLog,
                         testing::Values("bn-9015.log", "bu353-glonass.log", "bu353s4.log",
                                         "com-1289.log", "garmin15x.log", "gr601-w.log",
                                         "mt3339.log", "ublox-lea-4h.log"),
                         [](const testing::TestParamInfo<std::string>& log) {
                             std::string name = log.param.substr(0, log.param.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
