#include "ReplayRun.h"

#include "HorizonPicture.h"
#include "ReceptionReplay.h"
#include "horizon/HorizonGrid.h"
#include "platform/AtomicFileWriter.h"

#include <optional>

void RunReplay(const ReplayOptions& options) {
    TStringList startGrid = NewGrid();
    if (options.StartGrid) {
        startGrid.LoadFromFile(*options.StartGrid);
    }
    ReceptionReplay replay(std::move(startGrid));
    replay.FeedFile(options.Input, options.BlockSize);

    // Both files are staged before either is committed: an output that cannot be written then
    // leaves the other one untouched too, not a data file without its picture.
    AtomicFileWriter data(options.Output);
    data.Write(replay.Grid().Text());
    std::optional<AtomicFileWriter> picture;
    if (options.Picture) {
        picture.emplace(*options.Picture);
        picture->Write(HorizonPicturePng(replay.Grid(), options.Plot));
    }
    data.Commit();
    if (picture) {
        picture->Commit();
    }
}
