#include "ReceiverMode.h"

namespace {

constexpr std::string_view GpsOnlyText = "GPS only";
constexpr std::string_view AllSystemsText = "All satellite systems";

} // namespace

std::string ReceiverModeToText(ReceiverMode mode) {
    return std::string(mode == ReceiverMode::AllSystems ? AllSystemsText : GpsOnlyText);
}

ReceiverMode TextToReceiverMode(std::string_view text) {
    return text == AllSystemsText ? ReceiverMode::AllSystems : DefaultReceiverMode;
}
