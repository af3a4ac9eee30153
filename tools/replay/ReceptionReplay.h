#pragma once

#include "SilentSatelliteTable.h"
#include "horizon/HorizonGrids.h"
#include "horizon/ReceivePath.h"
#include "horizon/ReceiverMode.h"
#include "platform/TStringList.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Received bytes through the program's own receive path into a horizon grid and its observations
// and, under the all-systems receiver setting, the maps of the single systems and theirs. There is
// no port; each block goes to the path as the port would hand it to its links.
class ReceptionReplay {
public:
    explicit ReceptionReplay(ReceiverMode mode = DefaultReceiverMode);
    // The observations and the systems' maps start empty unless given to Observations() and
    // Systems() before the first block.
    explicit ReceptionReplay(TStringList startGrid, ReceiverMode mode = DefaultReceiverMode);
    // The path holds the grid and the table.
    ReceptionReplay(const ReceptionReplay&) = delete;
    ReceptionReplay& operator=(const ReceptionReplay&) = delete;

    // One block as the port would deliver it.
    void AppendBlock(const std::string& block);
    // `bytes` cut into blocks of `blockSize` (at least 1), the last one shorter.
    void Feed(std::string_view bytes, std::size_t blockSize);
    // The file's bytes, as Feed would take them; raises EFileError.
    void FeedFile(const std::string& path, std::size_t blockSize);

    const TStringList& Grid() const { return grids_.HorizonGrid; }
    const SystemGrids& Systems() const { return grids_.Systems; }
    SystemGrids& Systems() { return grids_.Systems; }
    // The combined map's observations; the systems' are in Systems().
    const MapObservations& Observations() const { return grids_.Observations; }
    MapObservations& Observations() { return grids_.Observations; }
    // The combined map, then each system's that has a map or observations.
    std::vector<SiteMap> SiteMaps() const { return grids_.SiteMaps(); }
    const SkyView& Sky() const { return path_.Sky(); }
    std::size_t PositionSentences() const { return path_.PositionSentences(); }
    std::size_t SatellitesInViewSentences() const { return path_.SatellitesInViewSentences(); }

private:
    SilentSatelliteTable table_;
    HorizonGrids grids_;
    // The position line only shows in the window, but decoding it is part of the path replayed.
    ReceivePath path_{grids_, table_, nullptr};
};
