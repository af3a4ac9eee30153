#include "SentenceWriter.h"

#include "platform/Formatting.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr std::size_t SatellitesPerMessage = 4;

// Whole ten-thousandths of a minute, so rounding never writes "60.0000" minutes.
std::string Angle(double degrees, int degreeDigits) {
    constexpr long long PerDegree = 60 * 10000;
    const long long total = std::llround(std::abs(degrees) * PerDegree);
    return Format("%0*lld%02lld.%04lld", degreeDigits, total / PerDegree, total % PerDegree / 10000,
                  total % 10000);
}

std::string TimeOfDay(std::chrono::sys_seconds time) {
    const auto day = std::chrono::floor<std::chrono::days>(time);
    const std::chrono::hh_mm_ss clock(time - day);
    return Format("%02d%02d%02d.00", static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
}

int Heard(const std::vector<ReportedSatellite>& satellites) {
    return static_cast<int>(
        std::count_if(satellites.begin(), satellites.end(),
                      [](const ReportedSatellite& s) { return s.snr.has_value(); }));
}

// The messages of one cycle; `tail` ends each of them.
std::string Cycle(std::string_view talker, const std::vector<ReportedSatellite>& satellites,
                  std::string_view tail) {
    const std::size_t messages = std::max<std::size_t>(
        1, (satellites.size() + SatellitesPerMessage - 1) / SatellitesPerMessage);
    std::string text;
    for (std::size_t message = 0; message < messages; ++message) {
        std::string body(talker);
        body += Format("GSV,%zu,%zu,%02zu", messages, message + 1, satellites.size());
        const std::size_t first = message * SatellitesPerMessage;
        const std::size_t end = std::min(satellites.size(), first + SatellitesPerMessage);
        for (std::size_t i = first; i < end; ++i) {
            const ReportedSatellite& satellite = satellites[i];
            body +=
                Format(",%02d,%02d,%03d,", satellite.prn, satellite.elevation, satellite.azimuth);
            if (satellite.snr) {
                body += Format("%02d", *satellite.snr);
            }
        }
        body += tail;
        text += SentenceWriter::Sentence(body);
    }
    return text;
}

std::string Date(std::chrono::sys_seconds time) {
    const std::chrono::year_month_day date(std::chrono::floor<std::chrono::days>(time));
    return Format("%02u%02u%02d", static_cast<unsigned>(date.day()),
                  static_cast<unsigned>(date.month()), static_cast<int>(date.year()) % 100);
}

} // namespace

std::string SentenceWriter::Second(std::chrono::sys_seconds time,
                                   const std::vector<ReportedSatellite>& satellites) const {
    return FixData(time, Heard(satellites)) + SatellitesInView(satellites) +
           RecommendedMinimum(time);
}

std::string SentenceWriter::MultiSystemSecond(std::chrono::sys_seconds time,
                                              const std::vector<SignalReport>& reports) const {
    // A satellite heard on two signals is still one satellite used; each system's first signal
    // holds every satellite it tracks.
    int heard = 0;
    std::string talker;
    std::string cycles;
    for (const SignalReport& report : reports) {
        if (report.talker != talker) {
            heard += Heard(report.satellites);
            talker = report.talker;
        }
        cycles += SatellitesInView(report);
    }
    return FixData(time, heard, "GN") + cycles + MultiSystemRecommendedMinimum(time);
}

std::string SentenceWriter::FixData(std::chrono::sys_seconds time, int satellitesUsed,
                                    std::string_view talker) const {
    return Sentence(std::string(talker) + "GGA," + TimeOfDay(time) + "," + Position() +
                    Format(",1,%02d,0.9,34.0,M,39.0,M,,", satellitesUsed));
}

std::string SentenceWriter::RecommendedMinimum(std::chrono::sys_seconds time) const {
    return Sentence("GPRMC," + TimeOfDay(time) + ",A," + Position() + ",0.0,0.0," + Date(time) +
                    ",,");
}

std::string SentenceWriter::MultiSystemRecommendedMinimum(std::chrono::sys_seconds time) const {
    return Sentence("GNRMC," + TimeOfDay(time) + ",A," + Position() + ",0.0,0.0," + Date(time) +
                    ",,,A,V");
}

std::string SentenceWriter::SatellitesInView(const std::vector<ReportedSatellite>& satellites) {
    return Cycle("GP", satellites, "");
}

std::string SentenceWriter::SatellitesInView(const SignalReport& report) {
    return Cycle(report.talker, report.satellites, Format(",%X", report.signalId));
}

std::string SentenceWriter::Sentence(std::string_view body) {
    unsigned char checksum = 0;
    for (const char c : body) {
        checksum ^= static_cast<unsigned char>(c);
    }
    return "$" + std::string(body) + Format("*%02X\r\n", checksum);
}

std::string SentenceWriter::Position() const {
    return Angle(place_.latitude, 2) + (place_.latitude < 0 ? ",S," : ",N,") +
           Angle(place_.longitude, 3) + (place_.longitude < 0 ? ",W" : ",E");
}
