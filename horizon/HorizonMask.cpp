#include "HorizonMask.h"

#include "SkyClasses.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Exception.h"
#include "platform/FileContent.h"
#include "platform/Formatting.h"

#include <cmath>
#include <string_view>

namespace {

constexpr const char* Convention = "horizon mask: azimuth from true north, clockwise, in degrees; "
                                   "elevation in degrees above the horizon";

std::size_t At(int azimuth) {
    return static_cast<std::size_t>(azimuth);
}

// Degrees clockwise from `from` to `to`, 0..359.
int Clockwise(int from, int to) {
    return (to - from + GridAzimuths) % GridAzimuths;
}

double OneDecimal(double value) {
    return std::round(value * 10) / 10;
}

// "5" for a whole number, "12.5" otherwise.
std::string DegreesText(double value) {
    const double whole = std::round(value);
    return value == whole ? std::to_string(static_cast<int>(whole)) : FormatFixed(value, 1);
}

// "100-109, 300" for the ascending azimuths.
std::string RangesText(const std::vector<int>& azimuths) {
    std::string text;
    for (std::size_t i = 0; i < azimuths.size();) {
        std::size_t last = i;
        while (last + 1 < azimuths.size() && azimuths[last + 1] == azimuths[last] + 1) {
            ++last;
        }
        text += (text.empty() ? "" : ", ") + std::to_string(azimuths[i]);
        if (last > i) {
            text += "-" + std::to_string(azimuths[last]);
        }
        i = last + 1;
    }
    return text;
}

std::string CommentLines(const std::vector<int>& interpolated) {
    std::string text = std::string("# ") + Convention + "\n";
    if (!interpolated.empty()) {
        text += "# interpolated between the nearest known azimuths (no open view seen there): " +
                RangesText(interpolated) + "\n";
    }
    return text;
}

bool IsAzElMaskName(const std::string& path) {
    constexpr std::string_view ending = ".aem";
    return path.size() >= ending.size() &&
           SameNameIgnoringCase(std::string_view(path).substr(path.size() - ending.size()), ending);
}

} // namespace

HorizonMask::HorizonMask(const MapObservations& observations, int threshold)
    : HorizonMask(OpenProfile(SkyClasses(observations, threshold))) {}

HorizonMask::HorizonMask(const OpenProfile& profile) {
    std::vector<int> known;
    for (int q = 0; q < GridAzimuths; ++q) {
        if (const auto elevation = profile.Elevation(q)) {
            known.push_back(q);
            elevations_[At(q)] = *elevation;
        } else {
            interpolated_.push_back(q);
        }
    }
    if (known.empty()) {
        throw Exception("No horizon mask can be made: no direction has been seen open yet");
    }
    // Each unknown azimuth lies between the known one before it and the next, going round the
    // circle; with a single known azimuth both are that one and the span is the whole circle.
    for (std::size_t k = 0; k < known.size(); ++k) {
        const int from = known[k];
        const int to = known[(k + 1) % known.size()];
        const int span = Clockwise(from, to) == 0 ? GridAzimuths : Clockwise(from, to);
        const double low = elevations_[At(from)];
        const double high = elevations_[At(to)];
        for (int step = 1; step < span; ++step) {
            elevations_[At((from + step) % GridAzimuths)] =
                OneDecimal(low + (high - low) * step / span);
        }
    }
}

std::string HorizonMask::Csv() const {
    std::string text = CommentLines(interpolated_) + "azimuth_deg,elevation_deg\n";
    for (int q = 0; q < GridAzimuths; ++q) {
        text += std::to_string(q) + "," + DegreesText(elevations_[At(q)]) + "\n";
    }
    return text;
}

std::string HorizonMask::AzElMask() const {
    std::string text = "stk.v.11.0\n" + CommentLines(interpolated_) + "BEGIN AzElMask\n" +
                       "NumberOfPoints " + std::to_string(GridAzimuths) + "\n" +
                       "BEGIN AzElMaskData\n";
    for (int q = 0; q < GridAzimuths; ++q) {
        text += std::to_string(q) + " " + DegreesText(elevations_[At(q)]) + "\n";
    }
    return text + "END AzElMaskData\nEND AzElMask\n";
}

void HorizonMask::Save(const std::string& path) const {
    AtomicFileWriter::WriteFile(path, IsAzElMaskName(path) ? AzElMask() : Csv());
}
