#include "PositionFix.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>

// $GPRMC,093015.00,A,5557.1234,N,00311.5678,W,0.0,0.0,070107,,*
//
//   field 1  UTC time hhmmss[.ss]
//         2  status, "A" for a valid fix
//         3  latitude ddmm.mmmm     4  N or S
//         5  longitude dddmm.mmmm   6  E or W
//         9  UTC date ddmmyy, years 80..99 being 1980..1999 and the others 2000..2079

namespace {

constexpr std::size_t TimeField = 1;
constexpr std::size_t StatusField = 2;
constexpr std::size_t LatitudeField = 3;
constexpr std::size_t LongitudeField = 5;
constexpr std::size_t DateField = 9;
constexpr std::size_t FieldsRead = DateField + 1;
constexpr int FirstCenturyYear = 80;
constexpr double MinutesPerDegree = 60;

// The fields up to the date, the last one without the "*" that ends the sentence.
std::array<std::string_view, FieldsRead> Fields(std::string_view sentence) {
    if (const std::size_t star = sentence.find('*'); star != std::string_view::npos) {
        sentence = sentence.substr(0, star);
    }
    std::array<std::string_view, FieldsRead> fields{};
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const std::size_t comma = sentence.find(',');
        fields[k] = sentence.substr(0, comma);
        if (comma == std::string_view::npos) {
            break;
        }
        sentence.remove_prefix(comma + 1);
    }
    return fields;
}

// Two decimal digits at `at`, or -1.
int TwoDigits(std::string_view text, std::size_t at) {
    if (at + 2 > text.size()) {
        return -1;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + at + 2, value);
    return error == std::errc() && end == text.data() + at + 2 ? value : -1;
}

std::optional<std::chrono::sys_seconds> Utc(std::string_view time, std::string_view date) {
    using namespace std::chrono;
    const int hours = TwoDigits(time, 0);
    const int minutes = TwoDigits(time, 2);
    const int seconds = TwoDigits(time, 4);
    const int day = TwoDigits(date, 0);
    const int month = TwoDigits(date, 2);
    const int year = TwoDigits(date, 4);
    // A leap second (60) is taken as the second before it.
    if ((time.size() > 6 && time[6] != '.') || hours < 0 || hours > 23 || minutes < 0 ||
        minutes > 59 || seconds < 0 || seconds > 60 || day < 0 || month < 0 || year < 0 ||
        date.size() != 6) {
        return std::nullopt;
    }
    const year_month_day ymd{std::chrono::year(year < FirstCenturyYear ? 2000 + year : 1900 + year),
                             std::chrono::month(static_cast<unsigned>(month)),
                             std::chrono::day(static_cast<unsigned>(day))};
    if (!ymd.ok()) {
        return std::nullopt;
    }
    return sys_days(ymd) + std::chrono::hours(hours) + std::chrono::minutes(minutes) +
           std::chrono::seconds(std::min(seconds, 59));
}

// "ddmm.mmmm" (or "dddmm.mmmm"): the degrees, or nothing.
std::optional<double> Degrees(std::string_view field, std::size_t degreeDigits,
                              std::string_view hemisphere, char negative, char positive,
                              double max) {
    const std::size_t point = field.find('.');
    if (point != degreeDigits + 2 || hemisphere.size() != 1 ||
        (hemisphere[0] != negative && hemisphere[0] != positive)) {
        return std::nullopt;
    }
    int degrees = 0;
    double minutes = 0;
    const char* const first = field.data();
    const char* const last = first + field.size();
    const auto [degreesEnd, degreesError] = std::from_chars(first, first + degreeDigits, degrees);
    const auto [minutesEnd, minutesError] =
        std::from_chars(first + degreeDigits, last, minutes, std::chars_format::fixed);
    if (degreesError != std::errc() || degreesEnd != first + degreeDigits || degrees < 0 ||
        minutesError != std::errc() || minutesEnd != last || minutes < 0 ||
        minutes >= MinutesPerDegree) {
        return std::nullopt;
    }
    const double value = degrees + minutes / MinutesPerDegree;
    if (value > max) {
        return std::nullopt;
    }
    return hemisphere[0] == negative ? -value : value;
}

} // namespace

PositionFix ReadPositionFix(std::string_view sentence) {
    const std::array<std::string_view, FieldsRead> fields = Fields(sentence);
    PositionFix fix;
    fix.Utc = Utc(fields[TimeField], fields[DateField]);
    if (fields[StatusField] == "A") {
        const auto latitude =
            Degrees(fields[LatitudeField], 2, fields[LatitudeField + 1], 'S', 'N', 90);
        const auto longitude =
            Degrees(fields[LongitudeField], 3, fields[LongitudeField + 1], 'W', 'E', 180);
        if (latitude && longitude) {
            fix.Position = std::pair{*latitude, *longitude};
        }
    }
    return fix;
}
