#include "FuzzCheck.h"
#include "FuzzEntries.h"
#include "horizon/PositionSentence.h"
#include "serial/TComDataPacket.h"

#include <string>
#include <string_view>

namespace {

constexpr std::size_t BlockSize = 256;

void CheckDecoded(std::string_view sentence) {
    // Never raises: anything escaping it ends the run.
    FuzzCheck(!DecodePositionSentence(sentence).empty(), "every sentence gives a position line");
}

} // namespace

void FuzzPositionSentence(std::span<const std::uint8_t> data) {
    const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    // The decoder promises to take any text, not only what the framing hands it.
    CheckDecoded(bytes);

    TComDataPacket packet;
    packet.SetStartString("$GPRMC,");
    packet.SetStopString("*");
    packet.SetIncludeStrings(true);
    packet.OnPacket = [](TComDataPacket&, const std::string& sentence) { CheckDecoded(sentence); };
    for (std::size_t at = 0; at < bytes.size(); at += BlockSize) {
        packet.AppendData(std::string(bytes.substr(at, BlockSize)));
    }
}
