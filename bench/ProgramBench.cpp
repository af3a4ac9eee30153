// The real program, started without a display beside a data file whose every cell holds a signal:
// the time from its start to open reception (window built, grid loaded, first plot drawn, port
// opened; target under 500 ms), and its memory once it has received for a few seconds (target a
// resident set under 64 MB).
#include "app/HorizonGrid.h"
#include "platform/FileDescriptor.h"
#include "platform/PseudoTerminal.h"
#include "platform/TStringList.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The program in a folder of its own, as a user would place it: a full data file beside it and
// its settings naming the pseudo-terminal as its port.
class ProgramFolder {
public:
    explicit ProgramFolder(const std::string& port) {
        std::string pattern = (fs::temp_directory_path() / "skyfence-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder");
        }
        path_ = pattern;
        fs::copy_file(SKYFENCE_PROGRAM, Program());
        TStringList grid = NewGrid();
        for (int azimuth = 0; azimuth < GridAzimuths; ++azimuth) {
            for (int elevation = 0; elevation < GridElevations; ++elevation) {
                FoldReport(grid, azimuth, elevation, 20 + (azimuth + elevation) % 30);
            }
        }
        grid.SaveToFile(path_ / "Skyfence.dat");
        fs::create_directories(path_ / "config/skyfence");
        std::ofstream(path_ / "config/skyfence/registry.reg")
            << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence\\ComPort]\r\n"
            << "\"Port\"=\"" << port << "\"\r\n\"BaudRate\"=\"9600\"\r\n";
    }
    ~ProgramFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    std::string Program() const { return (path_ / "skyfence").string(); }
    std::string Config() const { return (path_ / "config").string(); }

private:
    fs::path path_;
};

// A started program, ended with SIGTERM (it saves its grid and closes) when it goes out of scope.
class RunningProgram {
public:
    explicit RunningProgram(const ProgramFolder& folder) {
        std::vector<std::string> environment = {"QT_QPA_PLATFORM=offscreen",
                                                "XDG_CONFIG_HOME=" + folder.Config()};
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            if (!text.starts_with("QT_QPA_PLATFORM=") && !text.starts_with("XDG_CONFIG_HOME=")) {
                environment.push_back(text);
            }
        }
        std::vector<char*> envp;
        for (std::string& text : environment) {
            envp.push_back(text.data());
        }
        envp.push_back(nullptr);
        std::string program = folder.Program();
        char* argv[] = {program.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const int error =
            ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0) {
            throw std::runtime_error("cannot start " + program);
        }
    }
    ~RunningProgram() {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // A value in kB from /proc/<pid>/status ("VmRSS", "VmHWM").
    long StatusKilobytes(const std::string& field) const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.starts_with(field + ":")) {
                return std::stol(line.substr(field.size() + 1));
            }
        }
        throw std::runtime_error("no " + field + " for the program");
    }

private:
    pid_t pid_ = -1;
};

// The master of a pseudo-terminal reports a hang-up while no one has its slave open, so the
// program's opening of its port shows as the end of the hang-up.
bool WaitUntilOpened(const PseudoTerminal& terminal, std::chrono::milliseconds limit) {
    const Clock::time_point end = Clock::now() + limit;
    while (Clock::now() < end) {
        pollfd master{terminal.Master(), POLLIN, 0};
        if (::poll(&master, 1, 0) == 0 || (master.revents & POLLHUP) == 0) {
            return true;
        }
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

std::string RecordedLog() {
    std::ifstream file(std::string(SKYFENCE_NMEA_DIR) + "/mt3339.log", std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void BM_StartUpToReception(benchmark::State& state) {
    PseudoTerminal terminal;
    terminal.CloseSlave();
    const ProgramFolder folder(terminal.Path());
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const RunningProgram program(folder);
        if (!WaitUntilOpened(terminal, 10s)) {
            state.SkipWithError("the program did not open its port within 10 s");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_StartUpToReception)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MemoryWithFullGrid(benchmark::State& state) {
    PseudoTerminal terminal;
    terminal.CloseSlave();
    const ProgramFolder folder(terminal.Path());
    const std::string log = RecordedLog();
    for (auto _ : state) {
        const RunningProgram program(folder);
        if (!WaitUntilOpened(terminal, 10s)) {
            state.SkipWithError("the program did not open its port within 10 s");
            return;
        }
        const Clock::time_point end = Clock::now() + 3s;
        while (Clock::now() < end) {
            terminal.Write(log);
        }
        std::this_thread::sleep_for(500ms);
        state.counters["rss_kb"] = static_cast<double>(program.StatusKilobytes("VmRSS"));
        state.counters["peak_rss_kb"] = static_cast<double>(program.StatusKilobytes("VmHWM"));
    }
}
BENCHMARK(BM_MemoryWithFullGrid)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
