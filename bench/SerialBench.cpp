// The serial port on a pseudo-terminal: the CPU an open port costs while a receiver sends one
// burst of sentences a second, directly or through gpsd (target under 1 ms of CPU per second), and
// the time from bytes written on the terminal to the packet event (target under 2 ms median).
#include "GpsdDaemon.h"

#include "platform/MainThreadCalls.h"
#include "platform/PseudoTerminal.h"
#include "serial/TComDataPacket.h"
#include "serial/TComPort.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// One second of a 12-channel receiver's output.
const std::string Burst =
    "$GPGGA,202640.000,4404.1306,N,12118.8515,W,2,10,0.98,1127.7,M,-19.6,M,0000,0000*6C\r\n"
    "$GPGSA,A,3,20,16,09,03,07,10,23,19,27,30,,,1.64,0.98,1.31*05\r\n"
    "$GPGSV,3,1,12,09,88,089,31,07,60,281,44,23,55,123,33,10,44,274,32*78\r\n"
    "$GPGSV,3,2,12,16,39,051,29,30,30,262,20,20,23,308,30,27,23,093,34*7F\r\n"
    "$GPGSV,3,3,12,19,13,123,27,03,07,176,19,05,05,328,13,47,,,*41\r\n"
    "$GPRMC,202640.000,A,4404.1306,N,12118.8515,W,0.03,225.97,130415,,,D*73\r\n";

// The program's two packets on one port.
struct Reception {
    explicit Reception(const std::string& path) {
        port.SetPort(path);
        for (TComDataPacket* packet : {&rmc, &gsv}) {
            packet->SetStopString("*");
            packet->OnPacket = [this](TComDataPacket&, const std::string&) { ++packets; };
        }
        rmc.SetStartString("$GPRMC,");
        rmc.SetIncludeStrings(true);
        gsv.SetStartString("$GPGSV,");
        rmc.SetComPort(&port);
        gsv.SetComPort(&port);
        port.Open();
    }
    ~Reception() { port.Close(); }

    TComPort port;
    TComDataPacket rmc;
    TComDataPacket gsv;
    int packets = 0;
};

double ProcessCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The CPU of this process (the port, its event thread, the device's own threads) per second of
// wall time while `feed` writes one burst a second to `terminal`, for the seconds of `state`.
void MeasureIdleCost(benchmark::State& state, const PseudoTerminal& terminal,
                     const Reception& reception) {
    MainThreadCalls& calls = MainThreadCalls::Instance();
    const auto wall = std::chrono::seconds(state.range(0));
    double cpuPerSecond = 0;
    for (auto _ : state) {
        std::atomic<bool> stop{false};
        std::thread receiver([&] {
            while (!stop) {
                terminal.Write(Burst);
                std::this_thread::sleep_for(1s);
            }
        });
        const double cpuBefore = ProcessCpuSeconds();
        const auto start = Clock::now();
        while (Clock::now() - start < wall) {
            calls.WaitAndRun(100ms);
        }
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        stop = true;
        receiver.join();
        cpuPerSecond = cpu / seconds;
    }
    state.counters["cpu_ms_per_s"] = cpuPerSecond * 1000.0;
    state.counters["packets"] = reception.packets;
}

void BM_IdleCostOfAnOpenPort(benchmark::State& state) {
    const PseudoTerminal terminal;
    Reception reception(terminal.Path());
    MeasureIdleCost(state, terminal, reception);
}
BENCHMARK(BM_IdleCostOfAnOpenPort)->Arg(5)->Iterations(1)->Unit(benchmark::kMillisecond);

// The same receiver behind a gpsd of the benchmark's own: the connection to gpsd must cost no
// more than the serial port (gpsd's own work is not counted, as it is not ours).
void BM_IdleCostOfAnOpenGpsdConnection(benchmark::State& state) {
    if (!GpsdDaemon::Installed()) {
        state.SkipWithError("gpsd is not installed; scripts/install-deps installs it");
        return;
    }
    const PseudoTerminal terminal;
    GpsdDaemon gpsd(terminal.Path());
    if (!gpsd.Start()) {
        state.SkipWithError("gpsd did not start");
        return;
    }
    Reception reception(gpsd.Address());
    MeasureIdleCost(state, terminal, reception);
}
BENCHMARK(BM_IdleCostOfAnOpenGpsdConnection)->Arg(5)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LatencyToPacketEvent(benchmark::State& state) {
    const PseudoTerminal terminal;
    Reception reception(terminal.Path());
    MainThreadCalls& calls = MainThreadCalls::Instance();
    std::vector<double> latencies;
    const std::string sentence =
        "$GPRMC,202640.000,A,4404.1306,N,12118.8515,W,0.03,225.97,130415,,,D*73\r\n";
    for (auto _ : state) {
        const int before = reception.packets;
        const auto written = Clock::now();
        terminal.Write(sentence);
        while (reception.packets == before) {
            calls.WaitAndRun(100ms);
        }
        latencies.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - written).count());
    }
    std::sort(latencies.begin(), latencies.end());
    state.counters["median_ms"] = latencies[latencies.size() / 2];
    state.counters["p99_ms"] = latencies[latencies.size() * 99 / 100];
}
BENCHMARK(BM_LatencyToPacketEvent)->Iterations(500)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
