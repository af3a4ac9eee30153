#include "ReplayRun.h"

#include "FileIdentity.h"
#include "HorizonPicture.h"
#include "ReceptionReplay.h"
#include "horizon/DifferenceMap.h"
#include "horizon/HorizonGrid.h"
#include "horizon/HorizonMask.h"
#include "horizon/HorizonProfile.h"
#include "horizon/KeptFile.h"
#include "horizon/MapCsv.h"
#include "horizon/MapPicture.h"
#include "horizon/ObservationsFile.h"
#include "horizon/PngFile.h"
#include "horizon/SiteReport.h"
#include "horizon/SystemGrids.h"
#include "platform/AtomicFileSet.h"
#include "platform/Exception.h"
#include "platform/FileContent.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

void LoadStartSystemGrids(SystemGrids& systems, const std::string& startGrid) {
    for (const SatelliteSystem system : AllSatelliteSystems) {
        const std::string file = SystemGrids::FileNameBeside(startGrid, system);
        if (std::filesystem::exists(file)) {
            systems.Obtain(system).LoadFromFile(file);
        }
    }
}

// Observations beside a start map that could not be read and that the run replaces, with what
// was wrong with them.
struct DamagedObservations {
    std::string file;
    std::string why;
};

// Counting goes on from the observations beside a start map. Damaged ones cannot stop a replay:
// counting starts afresh, and the warning names them; those the output's observations would
// replace are set aside first, as the program sets them aside.
std::optional<MapObservations> StartObservations(const std::string& startMap,
                                                 const std::string& outputMap,
                                                 const ReplayWarning& warn,
                                                 std::vector<DamagedObservations>& replaced) {
    const std::string file = ObservationsFileName(startMap);
    try {
        return LoadObservations(file);
    } catch (const Exception& error) {
        if (FileIdentity(file) == FileIdentity(ObservationsFileName(outputMap))) {
            replaced.push_back({file, error.Message()});
        } else {
            warn(error.Message() + "; counting starts afresh");
        }
        return std::nullopt;
    }
}

std::vector<DamagedObservations> LoadAllStartObservations(ReceptionReplay& replay,
                                                          const ReplayOptions& options,
                                                          const ReplayWarning& warn) {
    std::vector<DamagedObservations> replaced;
    if (auto observations = StartObservations(*options.StartGrid, options.Output, warn, replaced)) {
        replay.Observations() = std::move(*observations);
    }
    if (!options.AllSystems) {
        return replaced;
    }
    for (const SatelliteSystem system : AllSatelliteSystems) {
        if (auto observations = StartObservations(
                SystemGrids::FileNameBeside(*options.StartGrid, system),
                SystemGrids::FileNameBeside(options.Output, system), warn, replaced)) {
            replay.Systems().ObtainObservations(system) = std::move(*observations);
        }
    }
    return replaced;
}

// The form a name's extension asks for, in any letter case.
bool EndsIn(const std::string& path, std::string_view extension) {
    return path.size() >= extension.size() &&
           SameNameIgnoringCase(std::string_view(path).substr(path.size() - extension.size()),
                                extension);
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

void RunReplay(const ReplayOptions& options, const ReplayWarning& warn) {
    TStringList startGrid = NewGrid();
    if (options.StartGrid) {
        startGrid.LoadFromFile(*options.StartGrid);
    }
    const ReceiverMode mode = options.AllSystems ? ReceiverMode::AllSystems : ReceiverMode::GpsOnly;
    ReceptionReplay replay(std::move(startGrid), mode);
    if (options.AllSystems && options.StartGrid) {
        LoadStartSystemGrids(replay.Systems(), *options.StartGrid);
    }
    const std::vector<DamagedObservations> replaced =
        options.StartGrid ? LoadAllStartObservations(replay, options, warn)
                          : std::vector<DamagedObservations>{};
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
    // Refused before anything is written when no azimuth is known to be open.
    std::optional<HorizonMask> mask;
    if (options.Mask) {
        mask.emplace(replay.Observations(), options.Plot.ProfileThreshold);
    }

    // Every file is staged before any is committed: an output that cannot be written then
    // leaves the others untouched too, not a data file without its picture.
    AtomicFileSet outputs;
    outputs.Stage(options.Output, replay.Grid().Text());
    outputs.Stage(ObservationsFileName(options.Output), ObservationsBytes(replay.Observations()));
    if (options.AllSystems) {
        for (const SatelliteSystem system : AllSatelliteSystems) {
            const std::string map = SystemGrids::FileNameBeside(options.Output, system);
            if (const TStringList* grid = replay.Systems().Find(system)) {
                outputs.Stage(map, grid->Text());
            }
            if (const MapObservations* observations = replay.Systems().FindObservations(system)) {
                outputs.Stage(ObservationsFileName(map), ObservationsBytes(*observations));
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
    if (options.Observations) {
        outputs.Stage(*options.Observations, ObservationsCsv(replay.Observations()));
    }
    if (options.Report) {
        const SiteReport report(options.SiteName, replay.SiteMaps(), options.Plot);
        outputs.Stage(*options.Report,
                      EndsIn(*options.Report, ".pdf") ? report.Pdf() : report.Html());
    }
    if (mask) {
        outputs.Stage(*options.Mask,
                      EndsIn(*options.Mask, ".aem") ? mask->AzElMask() : mask->Csv());
    }
    for (const DamagedObservations& damaged : replaced) {
        warn(damaged.why + "; counting starts afresh, and the file is kept as \"" +
             KeepFileBesideItself(damaged.file) + "\"");
    }
    outputs.Commit();
}
