#pragma once

#include "SatelliteTable.h"
#include "platform/TStringList.h"
#include "serial/TComDataPacket.h"

#include <cstddef>
#include <functional>
#include <string>

class TCustomComPort;

// The way received bytes take to the map: the data packets that cut the sentences out of the
// stream, the handlers that decode them, the satellite table and position line they show in, and
// the live grid they raise. The window and the replay tool both use it, so both handle every
// byte alike.
class ReceivePath {
public:
    using PositionLine = std::function<void(const std::string& line)>;

    // `grid` and `table` must outlive the path; `showPosition` gets each decoded position line.
    ReceivePath(TStringList& grid, SatelliteTable& table, PositionLine showPosition);
    // The packets' handlers hold this object.
    ReceivePath(const ReceivePath&) = delete;
    ReceivePath& operator=(const ReceivePath&) = delete;
    ~ReceivePath();

    // The packets take their bytes from `port` (nullptr: from AppendBlock only). The position
    // packet is attached first, so the port serves it first.
    void SetComPort(TCustomComPort* port);

    // One block as the port would deliver it to its links.
    void AppendBlock(const std::string& block);

    // The packet events, as the packets call them.
    void SatellitesInViewPacket(const std::string& body);
    void PositionPacket(const std::string& sentence);

    std::size_t PositionSentences() const { return positionSentences_; }
    std::size_t SatellitesInViewSentences() const { return satellitesInViewSentences_; }

private:
    TStringList& grid_;
    SatelliteTable& table_;
    PositionLine showPosition_;
    std::size_t positionSentences_ = 0;
    std::size_t satellitesInViewSentences_ = 0;
    TComDataPacket comDataPacketGPRMC_;
    TComDataPacket comDataPacketGPGSV_;
};
