#pragma once

#include "SilentSatelliteTable.h"
#include "platform/TStringList.h"
#include "serial/TComDataPacket.h"

#include <cstddef>
#include <string>
#include <string_view>

// Received bytes through the program's own receive path: its two data packets, its sentence
// handlers and a horizon grid. There is no port; each block goes to the packets in the order
// the port hands a block to its links.
class ReceptionReplay {
public:
    ReceptionReplay();
    explicit ReceptionReplay(TStringList startGrid);
    // The packets' handlers hold this object.
    ReceptionReplay(const ReceptionReplay&) = delete;
    ReceptionReplay& operator=(const ReceptionReplay&) = delete;

    // One block as the port would deliver it.
    void AppendBlock(const std::string& block);
    // `bytes` cut into blocks of `blockSize` (at least 1), the last one shorter.
    void Feed(std::string_view bytes, std::size_t blockSize);
    // The file's bytes, as Feed would take them; raises EFileError.
    void FeedFile(const std::string& path, std::size_t blockSize);

    const TStringList& Grid() const { return grid_; }
    std::size_t PositionSentences() const { return positionSentences_; }
    std::size_t SatellitesInViewSentences() const { return satellitesInViewSentences_; }

private:
    SilentSatelliteTable table_;
    TStringList grid_;
    std::size_t positionSentences_ = 0;
    std::size_t satellitesInViewSentences_ = 0;
    // The program attaches the position packet first, so the port serves it first.
    TComDataPacket position_;
    TComDataPacket satellitesInView_;
};
