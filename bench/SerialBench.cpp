// The serial port on a pseudo-terminal: the CPU an open port costs while a receiver sends one
// burst of sentences a second, directly or through gpsd (target under 1 ms of CPU per second; the
// receiver and gpsd run in processes of their own and are not counted), and the time from bytes
// written on the terminal to the packet event (target under 2 ms median).
#include "ChildProcess.h"
#include "GpsdDaemon.h"

#include "device/serial/PseudoTerminal.h"
#include "platform/FileDescriptor.h"
#include "platform/MainThreadCalls.h"
#include "serial/TComDataPacket.h"
#include "serial/TComPort.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/resource.h>
#include <unistd.h>
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

// The receiver, in a process of its own so that its writes and sleeps are not counted as the
// port's: once started, it writes one burst a second to the terminal until it ends with the
// object. Made before any thread of this process, as it is forked.
class Receiver {
public:
    explicit Receiver(const PseudoTerminal& terminal) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe failed");
        }
        const FileDescriptor control(ends[0]);
        start_.Reset(ends[1]);
        child_ = StartChild([&] {
            start_.Reset();
            Feed(terminal, control.Get());
        });
    }
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;
    ~Receiver() {
        start_.Reset();
        WaitForChild(child_);
    }

    void Start() const {
        const char go = 1;
        if (::write(start_.Get(), &go, 1) != 1) {
            throw std::runtime_error("the receiver process cannot be started");
        }
    }

private:
    // Waits for the start, then sends until `control` is closed.
    static void Feed(const PseudoTerminal& terminal, int control) {
        bool sending = false;
        for (;;) {
            if (sending) {
                terminal.Write(Burst);
            }
            pollfd watched{control, POLLIN, 0};
            if (::poll(&watched, 1, sending ? 1000 : -1) > 0) {
                char go = 0;
                if (::read(control, &go, 1) != 1) {
                    return;
                }
                sending = true;
            }
        }
    }

    FileDescriptor start_;
    pid_t child_ = -1;
};

double ProcessCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// How often the threads of this process went to sleep: each is one wake-up later.
long ProcessSleeps() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

// The CPU of this process (the port, its event thread, the device's own threads, and the main
// thread running what they hand it) per second of wall time while the receiver sends, for the
// seconds of `state` after the first packet, and how often these threads woke. The main thread
// sleeps until a call comes, as the program's event loop does: a wake-up of the benchmark's own
// would be counted as the port's.
void MeasureIdleCost(benchmark::State& state, const Receiver& receiver,
                     const Reception& reception) {
    MainThreadCalls& calls = MainThreadCalls::Instance();
    const auto wall = std::chrono::seconds(state.range(0));
    double cpuPerSecond = 0;
    double sleepsPerSecond = 0;
    for (auto _ : state) {
        receiver.Start();
        // Connecting and the first burst are not idling: measured from the first packet on.
        const auto given = Clock::now() + 20s;
        while (reception.packets == 0 && Clock::now() < given) {
            calls.WaitAndRun(100ms);
        }
        if (reception.packets == 0) {
            state.SkipWithError("no packet came");
            break;
        }
        const double cpuBefore = ProcessCpuSeconds();
        const long sleepsBefore = ProcessSleeps();
        const auto start = Clock::now();
        const auto end = start + wall;
        for (auto now = start; now < end; now = Clock::now()) {
            calls.WaitAndRun(std::chrono::ceil<std::chrono::milliseconds>(end - now));
        }
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        const long sleeps = ProcessSleeps() - sleepsBefore;
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        cpuPerSecond = cpu / seconds;
        sleepsPerSecond = static_cast<double>(sleeps) / seconds;
    }
    state.counters["cpu_ms_per_s"] = cpuPerSecond * 1000.0;
    state.counters["wakeups_per_s"] = sleepsPerSecond;
    state.counters["packets"] = reception.packets;
}

void BM_IdleCostOfAnOpenPort(benchmark::State& state) {
    const PseudoTerminal terminal;
    const Receiver receiver(terminal);
    Reception reception(terminal.Path());
    MeasureIdleCost(state, receiver, reception);
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
    const Receiver receiver(terminal);
    GpsdDaemon gpsd(terminal.Path());
    if (!gpsd.Start()) {
        state.SkipWithError("gpsd did not start");
        return;
    }
    Reception reception(gpsd.Address());
    MeasureIdleCost(state, receiver, reception);
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
