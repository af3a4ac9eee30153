// What counting observations costs beside the maps, after a simulated week of reception
// (SimulatedWeek): the memory of the observations of all seven maps (target: under 30 MB more),
// the size of each map's observations file (target: at most 2 MB) and the time to save every map
// with its observations (target: under 100 ms). Reading a file back is measured for start-up.
#include "SimulatedWeek.h"
#include "horizon/HorizonGrid.h"
#include "horizon/HorizonGrids.h"
#include "horizon/ObservationsFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <memory>
#include <vector>

namespace {

constexpr double Megabyte = 1024.0 * 1024.0;

// Large blocks (a map's array of cells) are mapped apart from the heap's arena.
std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// The week, made once for every benchmark, and the heap it took.
struct MeasuredWeek {
    std::size_t heapBytes = 0;
    std::unique_ptr<SimulatedWeek> week;
};

const MeasuredWeek& Week() {
    static const MeasuredWeek measured = [] {
        MeasuredWeek made;
        const std::size_t before = HeapInUse();
        made.week = std::make_unique<SimulatedWeek>();
        made.heapBytes = HeapInUse() - before;
        return made;
    }();
    return measured;
}

// The combined map's observations, then each system's.
std::vector<const MapObservations*> AllObservations() {
    std::vector<const MapObservations*> all{&Week().week->Combined()};
    for (const SatelliteSystem system : AllSatelliteSystems) {
        all.push_back(&Week().week->System(system));
    }
    return all;
}

void BM_WeekOfObservations(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(Week().week.get());
    }
    const SimulatedWeek& week = *Week().week;
    constexpr double seconds = SimulatedWeek::Days * 24.0 * 3600.0;
    state.counters["memory_mb"] = static_cast<double>(Week().heapBytes) / Megabyte;
    state.counters["reports"] = static_cast<double>(week.Reports());
    state.counters["satellites_in_view"] = static_cast<double>(week.Reports()) / seconds;
    state.counters["combined_cells"] = static_cast<double>(week.Combined().ReportedCells());
}
BENCHMARK(BM_WeekOfObservations)->Iterations(1)->Unit(benchmark::kMillisecond);

// The size of each map's file, and the memory of all seven once read back, as after a restart.
void BM_ObservationsFileSize(benchmark::State& state) {
    std::vector<std::string> files;
    for (const MapObservations* observations : AllObservations()) {
        files.push_back(ObservationsBytes(*observations));
    }
    std::size_t largest = 0;
    for (const std::string& file : files) {
        largest = std::max(largest, file.size());
    }
    std::size_t readBack = 0;
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        std::vector<MapObservations> read;
        for (const std::string& file : files) {
            read.push_back(ParseObservations(file));
        }
        readBack = HeapInUse() - before;
    }
    state.counters["combined_kb"] = static_cast<double>(files.front().size()) / 1024;
    state.counters["largest_kb"] = static_cast<double>(largest) / 1024;
    state.counters["memory_read_back_mb"] = static_cast<double>(readBack) / Megabyte;
}
BENCHMARK(BM_ObservationsFileSize)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ReadCombinedObservations(benchmark::State& state) {
    const std::string file = ObservationsBytes(Week().week->Combined());
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseObservations(file).ReportedCells());
    }
}
BENCHMARK(BM_ReadCombinedObservations)->Unit(benchmark::kMillisecond);

TStringList FullMap() {
    TStringList grid = NewGrid();
    for (int a = 0; a < GridAzimuths; ++a) {
        for (int e = 0; e < GridElevations; ++e) {
            FoldReport(grid, a, e, 20 + (a * 7 + e) % 40);
        }
    }
    return grid;
}

// Every map full and (with the argument 1) its observations a week's, each changed by a report
// before each save, so that every file is written: the save every two minutes and at exit. The
// argument 0 gives the save of the maps alone, as before observations were kept.
void BM_SaveAllMapsWithAWeek(benchmark::State& state) {
    const bool observed = state.range(0) != 0;
    const char* variable = std::getenv("SKYFENCE_BENCH_DIR");
    const std::filesystem::path folder =
        std::filesystem::path(variable != nullptr ? variable : ".") / "bench-observations";
    std::filesystem::create_directories(folder);
    HorizonGrids grids;
    grids.SetUp(folder.string() + "/");
    const TStringList map = FullMap();
    grids.HorizonGrid = map;
    for (const SatelliteSystem system : AllSatelliteSystems) {
        grids.Systems.Obtain(system) = map;
    }
    if (observed) {
        grids.Observations = Week().week->Combined();
        for (const SatelliteSystem system : AllSatelliteSystems) {
            grids.Systems.ObtainObservations(system) = Week().week->System(system);
        }
    }
    auto time = Week().week->Combined().Reception().Last.value();
    for (auto _ : state) {
        time += std::chrono::seconds(1);
        for (const SatelliteSystem system : AllSatelliteSystems) {
            grids.Systems.Obtain(system);
        }
        if (observed) {
            grids.Observations.Add(1, 10, 45, 40, time);
            for (const SatelliteSystem system : AllSatelliteSystems) {
                grids.Systems.ObtainObservations(system).Add(1, 10, 45, 40, time);
            }
        }
        grids.SaveHorizonGrid();
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SaveAllMapsWithAWeek)
    ->ArgName("observations")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
