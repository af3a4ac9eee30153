#include "SatelliteTexts.h"

#include "platform/Formatting.h"

std::string SatellitesInViewText(std::int32_t count) {
    std::string text;
    AppendInteger(text, count);
    text += " satellites in view";
    return text;
}

// "PRN:%.2d   SNR:%d dB   AZ:%d  EL:%d", made for every satellite of every sentence.
std::string SatelliteRowText(const SatelliteReport& satellite) {
    std::string caption = "PRN:";
    caption.reserve(48);
    AppendInteger(caption, satellite.PRN, 2);
    caption += "   SNR:";
    AppendInteger(caption, satellite.SNR);
    caption += " dB   AZ:";
    AppendInteger(caption, satellite.Azimuth);
    caption += "  EL:";
    AppendInteger(caption, satellite.Elevation);
    return caption;
}
