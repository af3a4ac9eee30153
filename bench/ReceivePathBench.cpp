// The receive path: one satellites-in-view sentence handled and folded into the grid, a recorded
// log through the whole path (packets, handlers, maps) under each receiver setting, and the
// grid's save and load. Targets: 100,000 sentences a second on one core, also for the
// all-systems setting on a multi-system capture; save and load of a full grid under 2 ms each.
#include "horizon/HorizonGrid.h"
#include "horizon/ReceivePath.h"
#include "horizon/SatelliteTexts.h"
#include "horizon/SatellitesInViewSentence.h"
#include "platform/Formatting.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Makes the texts the window shows, as the window does for every row.
class NamedControls : public SatelliteTable {
public:
    void ShowSatellitesInView(std::int32_t count) override {
        benchmark::DoNotOptimize(SatellitesInViewText(count).size());
    }
    void ShowRow(std::int64_t row, const SatelliteReport& satellite) override {
        benchmark::DoNotOptimize(SatelliteRowText(satellite).size() +
                                 static_cast<std::size_t>(row));
    }
    void ClearRow(std::int64_t row) override { benchmark::DoNotOptimize(row); }
    void ShowSky(const SkyView& sky) override { benchmark::DoNotOptimize(sky.Satellites().size()); }
};

std::string ReadLog(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A day's worth of different sentences, so that every fold reads a different line.
std::vector<std::string> Sentences() {
    std::vector<std::string> sentences;
    for (int i = 0; i < 1000; ++i) {
        std::string body = Format("3,%d,12", i % 3 + 1);
        for (int k = 0; k < 4; ++k) {
            body += Format(",%.2d,%.2d,%.3d,%d", i % 32 + 1, (i * 7 + k * 13) % 91,
                           (i * 11 + k * 97) % 360, 20 + (i + k) % 30);
        }
        sentences.push_back(body);
    }
    return sentences;
}

// A grid after hours of reception: every cell two digits.
TStringList FullGrid() {
    TStringList grid = NewGrid();
    for (int a = 0; a < GridAzimuths; ++a) {
        for (int e = 0; e < GridElevations; ++e) {
            FoldReport(grid, a, e, 10 + (a + e) % 89);
        }
    }
    return grid;
}

std::string BenchFile() {
    const char* folder = std::getenv("SKYFENCE_BENCH_DIR");
    return (std::filesystem::path(folder != nullptr ? folder : ".") / "bench-Skyfence.dat")
        .string();
}

void BM_SatellitesInViewSentence(benchmark::State& state) {
    const std::vector<std::string> sentences = Sentences();
    NamedControls table;
    TStringList grid = NewGrid();
    std::size_t next = 0;
    for (auto _ : state) {
        HandleSatellitesInView(sentences[next], table, grid);
        next = (next + 1) % sentences.size();
    }
    state.counters["sentences_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SatellitesInViewSentence);

// The log in the port's usual 64-byte blocks, again and again, through one path: the maps soon
// hold what the log can raise, as after hours of reception. Counts the sentences the path
// handles (satellites in view and position); the others only pass the packets.
void ReceiveLog(benchmark::State& state, ReceiverMode mode, const std::string& path) {
    const std::string log = ReadLog(path);
    if (log.empty()) {
        state.SkipWithError(("cannot read " + path).c_str());
        return;
    }
    std::vector<std::string> blocks;
    for (std::size_t at = 0; at < log.size(); at += 64) {
        blocks.push_back(log.substr(at, 64));
    }
    HorizonGrids grids;
    grids.HorizonGrid = NewGrid();
    NamedControls table;
    ReceivePath receivePath(grids, table,
                            [](const std::string& line) { benchmark::DoNotOptimize(line.size()); });
    receivePath.SetMode(mode);
    for (auto _ : state) {
        for (const std::string& block : blocks) {
            receivePath.AppendBlock(block);
        }
    }
    state.counters["sentences_per_second"] =
        benchmark::Counter(static_cast<double>(receivePath.PositionSentences() +
                                               receivePath.SatellitesInViewSentences()),
                           benchmark::Counter::kIsRate);
    // Satellites-in-view sentences alone: those that the observations count.
    state.counters["gsv_per_second"] = benchmark::Counter(
        static_cast<double>(receivePath.SatellitesInViewSentences()), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(ReceiveLog, all_systems_quectel, ReceiverMode::AllSystems,
                  SKYFENCE_NMEA_MULTI_DIR "/quectel-l76k-nmea.log");
BENCHMARK_CAPTURE(ReceiveLog, all_systems_ublox8, ReceiverMode::AllSystems,
                  SKYFENCE_NMEA_MULTI_DIR "/ublox-8.log");
BENCHMARK_CAPTURE(ReceiveLog, gps_only_mt3339, ReceiverMode::GpsOnly,
                  SKYFENCE_NMEA_DIR "/mt3339.log");
BENCHMARK_CAPTURE(ReceiveLog, gps_only_quectel, ReceiverMode::GpsOnly,
                  SKYFENCE_NMEA_MULTI_DIR "/quectel-l76k-nmea.log");

void BM_SaveFullGrid(benchmark::State& state) {
    const TStringList grid = FullGrid();
    const std::string path = BenchFile();
    for (auto _ : state) {
        grid.SaveToFile(path);
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveFullGrid)->Unit(benchmark::kMillisecond);

void BM_LoadFullGrid(benchmark::State& state) {
    const std::string path = BenchFile();
    FullGrid().SaveToFile(path);
    TStringList grid;
    for (auto _ : state) {
        grid.LoadFromFile(path);
        benchmark::DoNotOptimize(grid.Count());
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadFullGrid)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
