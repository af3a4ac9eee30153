#include "ReceptionReplay.h"

#include "FileBlocks.h"
#include "horizon/HorizonGrid.h"
#include "platform/Exception.h"

#include <optional>

ReceptionReplay::ReceptionReplay(ReceiverMode mode) : ReceptionReplay(NewGrid(), mode) {}

ReceptionReplay::ReceptionReplay(TStringList startGrid, ReceiverMode mode) {
    grids_.HorizonGrid = std::move(startGrid);
    path_.SetMode(mode);
}

void ReceptionReplay::AppendBlock(const std::string& block) {
    path_.AppendBlock(block);
}

void ReceptionReplay::Feed(std::string_view bytes, std::size_t blockSize) {
    if (blockSize == 0) {
        throw Exception("A block must hold at least one byte");
    }
    FeedBlocks([bytes, blockSize](const std::function<void(const std::string&)>& take) {
        for (std::size_t at = 0; at < bytes.size(); at += blockSize) {
            take(std::string(bytes.substr(at, blockSize)));
        }
    });
}

void ReceptionReplay::FeedFile(const std::string& path, std::size_t blockSize) {
    FeedBlocks([&path, blockSize](const std::function<void(const std::string&)>& take) {
        ForEachFileBlock(path, blockSize, take);
    });
}

namespace {

// Ends a look ahead once it has what it looks for.
struct Found {};

} // namespace

void ReceptionReplay::FeedBlocks(const BlockSource& source) {
    // The first time the log gives is that of the first report the path times by it: a look
    // ahead through the same path, its untimed reports marked by a time no log gives, finds it
    // in the first blocks of most logs.
    const auto never =
        std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::time_point::max());
    ReceptionReplay ahead(path_.Mode());
    ahead.untimed_ = never;
    std::optional<MapObservations::Time> first;
    try {
        source([&ahead, &first, never](const std::string& block) {
            ahead.AppendBlock(block);
            const auto& reception = ahead.Observations().Reception();
            if (reception.First && *reception.First != never) {
                first = reception.First;
                throw Found{};
            }
        });
    } catch (const Found&) {
    }
    untimed_ = first.value_or(grids_.Observations.Reception().Last.value_or(untimed_));
    source([this](const std::string& block) { AppendBlock(block); });
}
