#include "SimulatorProgram.h"

#include "DeviceLink.h"
#include "MultiSystemReceiver.h"
#include "ReplayLog.h"
#include "ReplayPacer.h"
#include "SimulatedPort.h"
#include "SimulatedReceiver.h"
#include "SimulationPacer.h"
#include "SimulatorOptions.h"
#include "StopSignals.h"

#include "platform/Exception.h"
#include "platform/SystemError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr Place SimulatedPlace{52.52, 13.405};
constexpr std::chrono::milliseconds SkyTick{100};
// Keeps the output near 200 kB/s however fast the simulated clock runs.
constexpr std::size_t SkyBytesPerTick = 20 * 1024;
constexpr std::chrono::milliseconds ReplayTick{50};
constexpr std::chrono::milliseconds ReplayDrainLimit{3000};

// Calls `tick` with the time since the start every `interval` until it returns false or a stop
// signal comes. A tick that overruns (a full terminal) moves the next one later rather than
// queueing up ticks to catch up.
void Run(std::chrono::milliseconds interval, const StopSignals& stop,
         const std::function<bool(Clock::duration)>& tick) {
    const auto start = Clock::now();
    for (auto next = start;;) {
        if (!tick(Clock::now() - start)) {
            return;
        }
        next = std::max(next + interval, Clock::now());
        if (!stop.SleepUntil(next)) {
            return;
        }
    }
}

template <class Receiver>
void Simulate(Receiver& receiver, const SimulatorOptions& options, const SimulatedPort& port,
              const StopSignals& stop) {
    // The simulated clock starts at the present, so that the sentences carry today's date.
    const auto start = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    SimulationPacer pacer(options.speed, SkyBytesPerTick);
    const auto second = [&](std::int64_t n) {
        return receiver.Second(start + std::chrono::seconds(n));
    };
    Run(SkyTick, stop,
        [&](Clock::duration elapsed) { return port.Write(pacer.Tick(elapsed, second), stop); });
}

void Replay(const SimulatorOptions& options, const ReplayLog& log, const SimulatedPort& port,
            const StopSignals& stop) {
    ReplayPacer pacer(log.Bytes(), options.bytesPerSecond, options.loop);
    bool stopped = false;
    Run(ReplayTick, stop, [&](Clock::duration elapsed) {
        stopped = !port.Write(pacer.Tick(elapsed), stop);
        return !stopped && !pacer.Finished();
    });
    if (!stopped && pacer.Finished()) {
        port.Drain(ReplayDrainLimit, stop);
    }
}

// What standard output goes to, for a message about it: the file where it is one.
std::string OutputName() {
    std::array<char, 4096> target{};
    const ssize_t length = ::readlink("/proc/self/fd/1", target.data(), target.size());
    return length > 0 && target[0] == '/'
               ? std::string(target.data(), static_cast<std::size_t>(length))
               : "standard output";
}

} // namespace

int RunSimulator(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const std::optional<SimulatorOptions> options = ParseSimulatorOptions(arguments);
    if (!options) {
        err << SimulatorUsage << std::endl;
        return 2;
    }
    try {
        std::optional<ReplayLog> log;
        if (options->replay) {
            log = ReplayLog::Load(*options->replay);
        }
        const StopSignals stop;
        const SimulatedPort port;
        const DeviceLink link(options->link, port.Path());
        out << port.Path() << std::endl;
        if (!out) {
            // The stream keeps no reason of its own; the failed write's is still in errno.
            const int error = errno;
            throw EFileError(error != 0
                                 ? FileErrorText("write the device's path to", OutputName(), error)
                                 : FileErrorText("write the device's path to", OutputName(),
                                                 "the write failed"));
        }
        if (log) {
            Replay(*options, *log, port, stop);
        } else if (options->allSystems) {
            MultiSystemReceiver receiver(SimulatedPlace, ObstructionMask::BuildingAndTrees(),
                                         options->seed);
            Simulate(receiver, *options, port, stop);
        } else {
            SimulatedReceiver receiver(SimulatedPlace, ObstructionMask::BuildingAndTrees(),
                                       options->seed);
            Simulate(receiver, *options, port, stop);
        }
        return 0;
    } catch (const Exception& error) {
        err << "skyfence-sim: " << error.Message() << std::endl;
        return 1;
    }
}
