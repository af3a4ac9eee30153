#include "SatelliteTexts.h"

#include "platform/Formatting.h"

std::string SatellitesInViewText(std::int32_t count) {
    std::string text;
    AppendInteger(text, count);
    text += " satellites in view";
    return text;
}

namespace {

// A satellite without a direction says so: "AZ:0  EL:0" would be a direction.
void AppendRow(std::string& caption, std::int32_t prn, std::int32_t snr, bool hasPosition,
               std::int32_t azimuth, std::int32_t elevation) {
    caption += "PRN:";
    AppendInteger(caption, prn, 2);
    caption += "   SNR:";
    AppendInteger(caption, snr);
    if (!hasPosition) {
        caption += " dB   position unknown";
        return;
    }
    caption += " dB   AZ:";
    AppendInteger(caption, azimuth);
    caption += "  EL:";
    AppendInteger(caption, elevation);
}

} // namespace

// "PRN:%.2d   SNR:%d dB   AZ:%d  EL:%d", made for every satellite of every sentence.
std::string SatelliteRowText(const SatelliteReport& satellite) {
    std::string caption;
    caption.reserve(48);
    AppendRow(caption, satellite.PRN, satellite.SNR, satellite.HasPosition, satellite.Azimuth,
              satellite.Elevation);
    return caption;
}

std::string SkySatelliteText(const InViewSatellite& satellite) {
    std::string caption = satellite.System ? SystemName(*satellite.System) : "GNSS";
    caption += ' ';
    AppendRow(caption, satellite.PRN, satellite.SNR, satellite.HasPosition, satellite.Azimuth,
              satellite.Elevation);
    return caption;
}
