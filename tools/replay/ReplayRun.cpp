#include "ReplayRun.h"

#include "HorizonPicture.h"
#include "ReceptionReplay.h"
#include "horizon/DifferenceMap.h"
#include "horizon/HorizonGrid.h"
#include "horizon/HorizonProfile.h"
#include "horizon/MapCsv.h"
#include "horizon/MapPicture.h"
#include "horizon/PngFile.h"
#include "horizon/SystemGrids.h"
#include "platform/AtomicFileSet.h"
#include "platform/Exception.h"

#include <filesystem>
#include <optional>

namespace {

void LoadStartSystemGrids(SystemGrids& systems, const std::string& startGrid) {
    for (const SatelliteSystem system : AllSatelliteSystems) {
        const std::string file = SystemGrids::FileNameBeside(startGrid, system);
        if (std::filesystem::exists(file)) {
            systems.Obtain(system).LoadFromFile(file);
        }
    }
}

const TStringList& PictureGrid(const ReceptionReplay& replay, const ReplayOptions& options) {
    if (!options.PictureSystem) {
        return replay.Grid();
    }
    const TStringList* grid = replay.Systems().Find(*options.PictureSystem);
    if (grid == nullptr) {
        throw Exception(std::string("No satellite of ") + SystemName(*options.PictureSystem) +
                        " was folded: there is no map of it to draw");
    }
    return *grid;
}

std::string PictureOf(const TStringList& grid, const ReplayOptions& options) {
    if (!options.Annotate) {
        return HorizonPicturePng(grid, options.Plot, options.PictureWidth, options.PictureHeight);
    }
    return PngBytes(MapPicture({options.PictureWidth, options.PictureHeight}, options.Plot.Polar)
                        .Draw(grid, options.Plot));
}

} // namespace

void RunReplay(const ReplayOptions& options) {
    TStringList startGrid = NewGrid();
    if (options.StartGrid) {
        startGrid.LoadFromFile(*options.StartGrid);
    }
    const ReceiverMode mode = options.AllSystems ? ReceiverMode::AllSystems : ReceiverMode::GpsOnly;
    ReceptionReplay replay(std::move(startGrid), mode);
    if (options.AllSystems && options.StartGrid) {
        LoadStartSystemGrids(replay.Systems(), *options.StartGrid);
    }
    // Read before the log, so that a missing file does not wait for a long replay.
    std::optional<TStringList> before;
    if (options.Compare) {
        before.emplace();
        before->LoadFromFile(*options.Compare);
    }
    replay.FeedFile(options.Input, options.BlockSize);
    const TStringList* pictureGrid = options.Picture ? &PictureGrid(replay, options) : nullptr;
    std::optional<DifferenceMap> difference;
    if (before) {
        difference.emplace(*before, replay.Grid());
    }

    // Every file is staged before any is committed: an output that cannot be written then
    // leaves the others untouched too, not a data file without its picture.
    AtomicFileSet outputs;
    outputs.Stage(options.Output, replay.Grid().Text());
    if (options.AllSystems) {
        for (const SatelliteSystem system : AllSatelliteSystems) {
            if (const TStringList* grid = replay.Systems().Find(system)) {
                outputs.Stage(SystemGrids::FileNameBeside(options.Output, system), grid->Text());
            }
        }
    }
    if (pictureGrid != nullptr) {
        outputs.Stage(*options.Picture, PictureOf(*pictureGrid, options));
    }
    if (options.Cells) {
        outputs.Stage(*options.Cells, CellsCsv(replay.Grid()));
    }
    if (options.Profile) {
        outputs.Stage(*options.Profile,
                      ProfileCsv(HorizonProfile(replay.Grid(), options.Plot.ProfileThreshold)));
    }
    if (difference) {
        if (options.Difference) {
            outputs.Stage(*options.Difference,
                          PngBytes(MapPicture({options.PictureWidth, options.PictureHeight},
                                              options.Plot.Polar)
                                       .Draw(*difference)));
        }
        if (options.DifferenceCells) {
            outputs.Stage(*options.DifferenceCells, DifferenceCsv(*difference));
        }
    }
    outputs.Commit();
}
