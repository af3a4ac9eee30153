#include "MultiSystemSentence.h"

#include "SatelliteGroup.h"
#include "platform/CommaText.h"
#include "platform/Conversions.h"

// $GLGSV,3,1,10,74,52,302,,82,25,034,33,73,59,049,31,80,10,081,21,0*71
//
//   field   0      messages in this cycle, any number
//           1      number of this message
//           2      satellites in view
//   3 + 4k ...     satellite k (0..3): PRN, elevation, azimuth, SNR
//   last           signal ID, when the groups leave one field over
//
// The final comma drops an empty last field, so with n fields, (n - 3) mod 4 is
//   0  whole groups, no signal ID
//   1  whole groups and the signal ID
//   3  whole groups but the last, whose empty SNR was dropped
//   2  nothing a receiver sends: the sentence is ignored.

namespace {

constexpr std::size_t HeaderFields = 3;
constexpr std::size_t GroupFields = 4;
constexpr std::size_t MaxGroups = 4;

} // namespace

std::optional<MultiSystemSentence> ParseMultiSystemSentence(std::string_view talker,
                                                            std::string_view body) {
    const std::vector<std::string> fields = SplitCommaText(body);
    if (fields.size() < HeaderFields) {
        return std::nullopt;
    }
    MultiSystemSentence sentence;
    if (!TryStrToInt(fields[0], sentence.MessageCount) ||
        !TryStrToInt(fields[1], sentence.MessageNumber) ||
        !TryStrToInt(fields[2], sentence.SatellitesInView)) {
        return std::nullopt;
    }
    const std::size_t rest = fields.size() - HeaderFields;
    std::size_t groups = rest / GroupFields;
    std::size_t satelliteFields = fields.size();
    switch (rest % GroupFields) {
    case 0:
        break;
    case 1:
        sentence.SignalId = fields.back();
        --satelliteFields;
        break;
    case 3:
        ++groups;
        break;
    default:
        return std::nullopt;
    }
    if (groups > MaxGroups) {
        return std::nullopt;
    }
    sentence.Satellites.reserve(groups);
    for (std::size_t k = 0; k < groups; ++k) {
        InViewSatellite satellite =
            ReadSatelliteGroup(fields, HeaderFields + GroupFields * k, satelliteFields);
        satellite.System = SystemOfSatellite(talker, satellite.PRN);
        sentence.Satellites.push_back(satellite);
    }
    return sentence;
}
