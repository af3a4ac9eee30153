#include "PositionSentence.h"

#include "platform/CommaText.h"
#include "platform/Conversions.h"
#include "platform/Exception.h"
#include "platform/Formatting.h"
#include "platform/Mbcs.h"
#include "platform/TimeOfDay.h"

#include <vector>

// $GPRMC,093015.00,A,5557.1234,N,00311.5678,W,0.0,0.0,070107,,*
//
//   field 1  UTC time hhmmss[.ss]
//         2  status, "A" for a valid fix
//         3  latitude ddmm.mmmm     4  N or S
//         5  longitude dddmm.mmmm   6  E or W
//
// Later fields are not read.

namespace {

constexpr std::size_t UsedFields = 7;
constexpr std::size_t MaxMinuteCharacters = 99;

// Characters `first` (counted from 1) onwards, at most `count`; what lies beyond the end is
// simply not there.
std::string_view Characters(std::string_view text, std::size_t first, std::size_t count) {
    const std::size_t start = first - 1;
    if (start >= text.size()) {
        return {};
    }
    return text.substr(start, count);
}

std::string TimeText(std::string_view field) {
    const TimeOfDay time =
        TimeOfDay::EncodeTime(StrToInt(Characters(field, 1, 2)), StrToInt(Characters(field, 3, 2)),
                              StrToInt(Characters(field, 5, 2)));
    return time.Format() + " UTC  ";
}

// One coordinate, whose whole degrees take `degreeDigits` characters.
std::string CoordinateText(std::string_view field, std::size_t degreeDigits,
                           const std::string& hemisphere) {
    const int degrees = StrToInt(Characters(field, 1, degreeDigits));
    const double minutes = StrToFloat(Characters(field, degreeDigits + 1, MaxMinuteCharacters));
    return IntToStr(degrees) + DegreeSign + " " + FormatFixed(minutes, 2) + "'" + hemisphere + "  ";
}

} // namespace

std::string DecodePositionSentence(std::string_view sentence) {
    std::string label = "Could not decode $GPRMC message";
    const std::vector<std::string> fields = SplitCommaText(sentence);
    if (fields.size() < UsedFields) {
        return label;
    }
    try {
        label = TimeText(fields[1]);
        if (fields[2] != "A") {
            label += "fix invalid, too few satellites?";
            return label;
        }
        label += CoordinateText(fields[3], 2, fields[4]);
        label += CoordinateText(fields[5], 3, fields[6]);
    } catch (const Exception&) {
        // Data from the receiver: the line shows how far decoding came.
    }
    return label;
}
