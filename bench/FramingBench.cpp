// Framing throughput: the program's two packets cutting a recorded receiver stream, fed in the
// blocks a port hands out, the same block to both. Target: 20 MB/s of received bytes.
#include "serial/TComDataPacket.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Every recorded log, comment lines left out, as the receivers sent them.
std::string RecordedStream() {
    std::vector<std::filesystem::path> logs;
    for (const auto& entry : std::filesystem::directory_iterator(SKYFENCE_NMEA_DIR)) {
        if (entry.path().extension() == ".log") {
            logs.push_back(entry.path());
        }
    }
    std::sort(logs.begin(), logs.end());
    std::string stream;
    for (const auto& log : logs) {
        std::ifstream in(log, std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            if (!line.starts_with('#')) {
                stream += line + '\n';
            }
        }
    }
    return stream;
}

void Count(TComDataPacket& packet, std::size_t& bytes) {
    packet.OnPacket = [&bytes](TComDataPacket&, const std::string& text) { bytes += text.size(); };
    packet.OnDiscard = [&bytes](TComDataPacket&, const std::string& text) { bytes += text.size(); };
}

void BM_FrameRecordedStream(benchmark::State& state) {
    static const std::string stream = RecordedStream();
    const auto block = static_cast<std::size_t>(state.range(0));
    std::size_t reported = 0;
    TComDataPacket position;
    position.SetStartString("$GPRMC,");
    position.SetStopString("*");
    position.SetIncludeStrings(true);
    Count(position, reported);
    TComDataPacket satellites;
    satellites.SetStartString("$GPGSV,");
    satellites.SetStopString("*");
    Count(satellites, reported);
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += block) {
            const char* data = stream.data() + at;
            const auto count = static_cast<std::int32_t>(std::min(block, stream.size() - at));
            // Each link makes its own copy of the port's buffer.
            position.AppendData(std::string(data, static_cast<std::size_t>(count)));
            satellites.AppendData(std::string(data, static_cast<std::size_t>(count)));
        }
    }
    benchmark::DoNotOptimize(reported);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(BM_FrameRecordedStream)->Arg(1)->Arg(64)->Arg(1024)->Arg(4096)->Arg(65536);

} // namespace

BENCHMARK_MAIN();
