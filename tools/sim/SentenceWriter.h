#pragma once

#include "Place.h"
#include "ReportedSatellite.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

// Writes what a receiver standing still at one place sends: NMEA 0183 sentences with their
// checksums, each ended by CR LF.
class SentenceWriter {
public:
    explicit SentenceWriter(Place place) : place_(place) {}

    // One second's output: the fix ($GPGGA), the satellites in view ($GPGSV) and the
    // recommended minimum ($GPRMC), in the order receivers send them.
    std::string Second(std::chrono::sys_seconds time,
                       const std::vector<ReportedSatellite>& satellites) const;

    // "$GPGGA,hhmmss.00,ddmm.mmmm,N,dddmm.mmmm,E,1,<heard>,0.9,34.0,M,39.0,M,,*hh"
    std::string FixData(std::chrono::sys_seconds time, int satellitesUsed) const;

    // "$GPRMC,hhmmss.00,A,ddmm.mmmm,N,dddmm.mmmm,E,0.0,0.0,ddmmyy,,*hh"
    std::string RecommendedMinimum(std::chrono::sys_seconds time) const;

    // "$GPGSV,<messages>,<number>,<in view>" and up to four "PRN,elevation,azimuth,SNR" groups
    // per message, the last message shorter; one message even when nothing is in view.
    static std::string SatellitesInView(const std::vector<ReportedSatellite>& satellites);

    // "$" body "*" checksum CR LF; the checksum is the XOR of the body's characters.
    static std::string Sentence(std::string_view body);

private:
    std::string Position() const;

    Place place_;
};
