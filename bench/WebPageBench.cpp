// The cost of the web page to the program that serves it: the real program, receiving from the
// simulated receiver at a real receiver's pace (one second of sky a second), its processor time
// over spells with the page open and without, taken in turn so that a map that grows over the
// run weighs on both alike. The page open is a client that does what the page's script does:
// the page once, the state every 2 s and both pictures again whenever the map changed. Target:
// at most 1 % of a core more with the page open.
#include "ChildProgram.h"
#include "HttpGet.h"
#include "Installation.h"
#include "ProcessStatus.h"
#include "Simulator.h"
#include "TemporaryFolder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto PageRefresh = 2s;
// Start-up (the window, the first pictures) is not what an open page costs.
constexpr auto Settling = 5s;

// The map's revision as state.json tells it, as text; empty when the answer has none.
std::string Revision(const std::string& state) {
    const std::string key = "\"revision\":";
    const std::size_t at = state.find(key);
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t end = state.find_first_of(",}", at);
    return state.substr(at + key.size(), end - at - key.size());
}

// Until `end`, what the open page asks of the program; the number of requests made.
int BrowsePage(std::uint16_t port, Clock::time_point end) {
    int requests = 0;
    std::string shown;
    HttpGet(port, "/");
    ++requests;
    for (auto next = Clock::now(); next < end; next += PageRefresh) {
        std::this_thread::sleep_until(next);
        const std::string revision = Revision(HttpGet(port, "/state.json").body);
        ++requests;
        if (revision != shown) {
            HttpGet(port, "/map.png");
            HttpGet(port, "/classes.png");
            requests += 2;
            shown = revision;
        }
    }
    std::this_thread::sleep_until(end);
    return requests;
}

// The program's processor time in ms over `spell`, with the page open or not.
double ProgramMilliseconds(const ChildProgram& program, std::uint16_t port, bool pageOpen,
                           Clock::duration spell, int& requests) {
    const auto before = ProcessCpuTime(program.Pid());
    const auto end = Clock::now() + spell;
    if (pageOpen) {
        requests += BrowsePage(port, end);
    } else {
        std::this_thread::sleep_until(end);
    }
    return std::chrono::duration<double, std::milli>(ProcessCpuTime(program.Pid()) - before)
        .count();
}

// range(0): seconds of each spell; range(1): spells of each kind.
void BM_WebPageCost(benchmark::State& state) {
    TemporaryFolder folder;
    Simulator simulator(folder.File("receiver"), {});
    const Installation installation(folder.File("receiver"));
    const std::uint16_t port = FreeTcpPort();
    ChildProgram program(installation.Program(), {"--http", "127.0.0.1:" + std::to_string(port)},
                         installation.ProgramOptions());
    if (!program.WaitUntilReading(simulator.device, 1024, 20s) ||
        !WaitUntilServing(port, "/state.json", 20s)) {
        state.SkipWithError("the program did not receive and serve within 20 s");
        return;
    }
    std::this_thread::sleep_for(Settling);
    const auto spell = std::chrono::seconds(state.range(0));
    double without = 0;
    double with = 0;
    int requests = 0;
    for (auto _ : state) {
        for (int round = 0; round < state.range(1); ++round) {
            without += ProgramMilliseconds(program, port, false, spell, requests);
            with += ProgramMilliseconds(program, port, true, spell, requests);
        }
    }
    const double seconds =
        static_cast<double>(state.range(0) * state.range(1) * state.iterations());
    state.counters["cpu_ms_per_s_without"] = without / seconds;
    state.counters["cpu_ms_per_s_with_page"] = with / seconds;
    // A core is 1000 ms of processor time a second: one percent of it is 10 ms a second.
    state.counters["extra_percent_of_core"] = (with - without) / seconds / 10.0;
    state.counters["requests"] = requests;
    program.Signal(SIGTERM);
    program.Wait(10s);
}
BENCHMARK(BM_WebPageCost)->Args({15, 2})->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
