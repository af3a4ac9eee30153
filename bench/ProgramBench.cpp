// The real program, started without a display beside a data file whose every cell holds a signal:
// the time from its start to open reception (window built, grid loaded, first plot drawn, port
// opened; target under 500 ms), and its memory once it has received for a few seconds (target a
// resident set under 64 MB).
#include "ChildProgram.h"
#include "Installation.h"
#include "ProcessStatus.h"
#include "TemporaryFolder.h"
#include "device/serial/PseudoTerminal.h"
#include "horizon/HorizonGrid.h"
#include "platform/TStringList.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The program as the end-to-end tests install it, with a signal in every cell of its grid.
class FullInstallation : public Installation {
public:
    explicit FullInstallation(const std::string& port) : Installation(port) {
        TStringList grid = NewGrid();
        for (int azimuth = 0; azimuth < GridAzimuths; ++azimuth) {
            for (int elevation = 0; elevation < GridElevations; ++elevation) {
                FoldReport(grid, azimuth, elevation, 20 + (azimuth + elevation) % 30);
            }
        }
        grid.SaveToFile(DataFile());
    }
};

// Without a display; what it prints goes to its unread pipe, away from the figures.
ChildProgramOptions Headless(const Installation& installation) {
    ChildProgramOptions options;
    options.environment = {{"QT_QPA_PLATFORM", "offscreen"},
                           {"XDG_CONFIG_HOME", installation.Config()}};
    options.readErrors = true;
    return options;
}

// Ends the program as a user would, so that it saves its grid and closes its port.
void Stop(ChildProgram& program) {
    program.Signal(SIGTERM);
    program.Wait(10s);
}

bool WaitUntilOpened(const ChildProgram& program, const std::string& port,
                     std::chrono::milliseconds limit) {
    const Clock::time_point end = Clock::now() + limit;
    while (Clock::now() < end) {
        if (program.HasOpen(port)) {
            return true;
        }
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

void BM_StartUpToReception(benchmark::State& state) {
    PseudoTerminal terminal;
    // Otherwise the program would inherit it and seem to have opened its port at once.
    terminal.CloseSlave();
    const FullInstallation installation(terminal.Path());
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        ChildProgram program(installation.Program(), {}, Headless(installation));
        if (!WaitUntilOpened(program, terminal.Path(), 10s)) {
            state.SkipWithError("the program did not open its port within 10 s");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        Stop(program);
    }
}
BENCHMARK(BM_StartUpToReception)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MemoryWithFullGrid(benchmark::State& state) {
    PseudoTerminal terminal;
    // Otherwise the program would inherit it and seem to have opened its port at once.
    terminal.CloseSlave();
    const FullInstallation installation(terminal.Path());
    const std::string log = ReadFileBytes(std::string(SKYFENCE_NMEA_DIR) + "/mt3339.log");
    for (auto _ : state) {
        ChildProgram program(installation.Program(), {}, Headless(installation));
        if (!WaitUntilOpened(program, terminal.Path(), 10s)) {
            state.SkipWithError("the program did not open its port within 10 s");
            return;
        }
        const Clock::time_point end = Clock::now() + 3s;
        while (Clock::now() < end) {
            terminal.Write(log);
        }
        std::this_thread::sleep_for(500ms);
        state.counters["rss_kb"] = static_cast<double>(ProcessKilobytes(program.Pid(), "VmRSS"));
        state.counters["peak_rss_kb"] =
            static_cast<double>(ProcessKilobytes(program.Pid(), "VmHWM"));
        Stop(program);
    }
}
BENCHMARK(BM_MemoryWithFullGrid)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
