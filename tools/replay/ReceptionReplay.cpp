#include "ReceptionReplay.h"

#include "FileBlocks.h"
#include "app/HorizonGrid.h"
#include "app/PositionSentence.h"
#include "app/SatellitesInViewSentence.h"
#include "platform/Exception.h"

ReceptionReplay::ReceptionReplay() : ReceptionReplay(NewGrid()) {}

ReceptionReplay::ReceptionReplay(TStringList startGrid) : grid_(std::move(startGrid)) {
    position_.SetStartString("$GPRMC,");
    position_.SetStopString("*");
    position_.SetIncludeStrings(true);
    position_.OnPacket = [this](TComDataPacket&, const std::string& sentence) {
        // The line only shows in the window, but decoding it is part of the path replayed.
        static_cast<void>(DecodePositionSentence(sentence));
        ++positionSentences_;
    };
    satellitesInView_.SetStartString("$GPGSV,");
    satellitesInView_.SetStopString("*");
    satellitesInView_.SetIncludeStrings(false);
    satellitesInView_.OnPacket = [this](TComDataPacket&, const std::string& body) {
        HandleSatellitesInView(body, table_, grid_);
        ++satellitesInViewSentences_;
    };
}

void ReceptionReplay::AppendBlock(const std::string& block) {
    position_.AppendData(block);
    satellitesInView_.AppendData(block);
}

void ReceptionReplay::Feed(std::string_view bytes, std::size_t blockSize) {
    if (blockSize == 0) {
        throw Exception("A block must hold at least one byte");
    }
    for (std::size_t at = 0; at < bytes.size(); at += blockSize) {
        AppendBlock(std::string(bytes.substr(at, blockSize)));
    }
}

void ReceptionReplay::FeedFile(const std::string& path, std::size_t blockSize) {
    ForEachFileBlock(path, blockSize, [this](const std::string& block) { AppendBlock(block); });
}
