// What the web page costs the program while a browser keeps it open: the page's script asks for
// state.json every 2 seconds and for both pictures whenever its revision changed, while the
// receiver changes the maps every second. Measured on the maps of a simulated week of reception
// (SimulatedWeek: every cell of every map reported, seven maps), in the plot's two layouts; the
// figure is the CPU time per second of reception (target: under 10 ms, 1 % of a core). The
// server's own work (a few small requests) is not in it.
#include "SimulatedWeek.h"
#include "horizon/HorizonGrid.h"
#include "horizon/HorizonGrids.h"
#include "horizon/MapResults.h"
#include "web/WebSite.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QJsonObject>

#include <chrono>
#include <memory>
#include <string>

namespace {

using namespace std::chrono_literals;

constexpr auto RefreshInterval = 2s;
// Five minutes of an open page.
constexpr int Refreshes = 150;

// The live maps of a week: the observations of SimulatedWeek, the maps raised where they heard.
struct WeekMaps {
    HorizonGrids grids;
    WeekMaps() {
        const SimulatedWeek week;
        grids.HorizonGrid = NewGrid();
        grids.Observations = week.Combined();
        for (const SatelliteSystem system : AllSatelliteSystems) {
            grids.Systems.ObtainObservations(system) = week.System(system);
            TStringList& map = grids.Systems.Obtain(system);
            map = NewGrid();
            for (int azimuth = 0; azimuth < GridAzimuths; ++azimuth) {
                for (int elevation = 0; elevation < GridElevations; ++elevation) {
                    if (const CellObservations* cell = week.System(system).Cell(azimuth, elevation);
                        cell != nullptr && cell->Max()) {
                        FoldReport(map, azimuth, elevation, *cell->Max());
                        FoldReport(grids.HorizonGrid, azimuth, elevation, *cell->Max());
                    }
                }
            }
        }
    }
};

WeekMaps& Maps() {
    static WeekMaps maps;
    return maps;
}

std::vector<InViewSatellite> FortyFiveInView() {
    std::vector<InViewSatellite> satellites;
    for (int prn = 1; prn <= 45; ++prn) {
        satellites.push_back(
            {SatelliteSystem::GPS, prn, prn * 2 % 90, prn * 8 % 360, 30 + prn % 20, true, true});
    }
    return satellites;
}

void BM_OpenPageCost(benchmark::State& state) {
    const bool polar = state.range(0) != 0;
    HorizonGrids& grids = Maps().grids;
    MapResults results(grids, PaletteSetting("HKEY_CURRENT_USER\\Software\\Bench", "/dev/null"));
    results.Settings().Polar = polar;
    auto now = std::chrono::steady_clock::time_point{};
    std::uint64_t mapRevision = 0;
    const std::vector<InViewSatellite> inView = FortyFiveInView();
    WebSite site({&grids, &results, [&mapRevision] { return mapRevision; },
                  [&inView] { return inView; }, [] { return std::size_t{123456}; },
                  [] { return std::string("The maps are kept in /srv/sky/"); },
                  [] { return std::string("gpsd://localhost:2947"); }, [] { return true; },
                  "/srv/sky/"},
                 false, [&now] { return now; });
    std::size_t pictures = 0;
    for (auto _ : state) {
        qint64 shown = -1;
        for (int refresh = 0; refresh < Refreshes; ++refresh) {
            now += RefreshInterval;
            mapRevision += 2; // a change every second
            const qint64 revision = site.State()["revision"].toInteger();
            if (revision != shown) {
                shown = revision;
                benchmark::DoNotOptimize(site.Answer("/map.png", {}));
                benchmark::DoNotOptimize(site.Answer("/classes.png", {}));
                pictures += 2;
            }
        }
    }
    state.counters["pictures_per_page_minute"] =
        static_cast<double>(pictures) / static_cast<double>(state.iterations()) / 5.0;
    // Filled in from the CPU time by bench/run: ms of CPU per second of reception.
    state.counters["seconds_of_reception"] =
        static_cast<double>(Refreshes * RefreshInterval.count());
}
BENCHMARK(BM_OpenPageCost)
    ->ArgName("polar")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace

// Pictures with text need the application object, without a display.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
