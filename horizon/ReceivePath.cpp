#include "ReceivePath.h"

#include "PositionSentence.h"
#include "SatellitesInViewSentence.h"

ReceivePath::ReceivePath(TStringList& grid, SatelliteTable& table, PositionLine showPosition)
    : grid_(grid), table_(table), showPosition_(std::move(showPosition)) {
    comDataPacketGPRMC_.SetName("ComDataPacketGPRMC");
    comDataPacketGPRMC_.SetStartString("$GPRMC,");
    comDataPacketGPRMC_.SetStopString("*");
    comDataPacketGPRMC_.SetIncludeStrings(true);
    comDataPacketGPRMC_.OnPacket = [this](TComDataPacket&, const std::string& sentence) {
        PositionPacket(sentence);
    };
    comDataPacketGPGSV_.SetName("ComDataPacketGPGSV");
    comDataPacketGPGSV_.SetStartString("$GPGSV,");
    comDataPacketGPGSV_.SetStopString("*");
    comDataPacketGPGSV_.SetIncludeStrings(false);
    comDataPacketGPGSV_.OnPacket = [this](TComDataPacket&, const std::string& body) {
        SatellitesInViewPacket(body);
    };
}

// The packets leave their port before the handlers they call go.
ReceivePath::~ReceivePath() {
    SetComPort(nullptr);
}

void ReceivePath::SetComPort(TCustomComPort* port) {
    comDataPacketGPRMC_.SetComPort(port);
    comDataPacketGPGSV_.SetComPort(port);
}

void ReceivePath::AppendBlock(const std::string& block) {
    comDataPacketGPRMC_.AppendData(block);
    comDataPacketGPGSV_.AppendData(block);
}

void ReceivePath::SatellitesInViewPacket(const std::string& body) {
    HandleSatellitesInView(body, table_, grid_);
    ++satellitesInViewSentences_;
}

void ReceivePath::PositionPacket(const std::string& sentence) {
    const std::string line = DecodePositionSentence(sentence);
    ++positionSentences_;
    if (showPosition_) {
        showPosition_(line);
    }
}
