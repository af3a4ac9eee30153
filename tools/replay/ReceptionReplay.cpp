#include "ReceptionReplay.h"

#include "FileBlocks.h"
#include "horizon/HorizonGrid.h"
#include "platform/Exception.h"

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
    for (std::size_t at = 0; at < bytes.size(); at += blockSize) {
        AppendBlock(std::string(bytes.substr(at, blockSize)));
    }
}

void ReceptionReplay::FeedFile(const std::string& path, std::size_t blockSize) {
    ForEachFileBlock(path, blockSize, [this](const std::string& block) { AppendBlock(block); });
}
