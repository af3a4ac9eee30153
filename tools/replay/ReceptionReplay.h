#pragma once

#include "SilentSatelliteTable.h"
#include "horizon/HorizonGrids.h"
#include "horizon/ReceivePath.h"
#include "horizon/ReceiverMode.h"
#include "platform/TStringList.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Received bytes through the program's own receive path into a horizon grid and its observations
// and, under the all-systems receiver setting, the maps of the single systems and theirs. There is
// no port; each block goes to the path as the port would hand it to its links.
//
// A replay has no time of its own, so that its observations depend on the log alone: the time
// of each report is the UTC of the log's last position sentence (which never grows stale, as no
// time passes between the blocks), and reports before the first of them are counted at the
// first time the log gives. A log that gives none is counted at the last time of the
// observations it goes on from, or at 1970-01-01 00:00:00 UTC.
class ReceptionReplay {
public:
    explicit ReceptionReplay(ReceiverMode mode = DefaultReceiverMode);
    // The observations and the systems' maps start empty unless given to Observations() and
    // Systems() before the first block.
    explicit ReceptionReplay(TStringList startGrid, ReceiverMode mode = DefaultReceiverMode);
    // The path holds the grid and the table.
    ReceptionReplay(const ReceptionReplay&) = delete;
    ReceptionReplay& operator=(const ReceptionReplay&) = delete;

    // One block as the port would deliver it; reports before the log's first time are counted
    // as in a log without one.
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
    using BlockSource = std::function<void(const std::function<void(const std::string&)>& take)>;

    // Feeds the blocks `source` gives, once the time of the reports before the log's first time
    // is known.
    void FeedBlocks(const BlockSource& source);

    SilentSatelliteTable table_;
    HorizonGrids grids_;
    // The time of reports that the log has not timed yet.
    MapObservations::Time untimed_{};
    // The position line only shows in the window, but decoding it is part of the path replayed.
    ReceivePath path_{grids_, table_, nullptr,
                      [] { return std::chrono::steady_clock::time_point(); },
                      [this] { return std::chrono::system_clock::time_point(untimed_); }};
};
