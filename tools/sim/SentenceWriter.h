#pragma once

#include "Place.h"
#include "ReportedSatellite.h"
#include "SignalReport.h"

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

    // The same second from a receiver of several systems, in the form of NMEA 4.11: $GNGGA,
    // a satellites-in-view cycle per system and signal, $GNRMC.
    std::string MultiSystemSecond(std::chrono::sys_seconds time,
                                  const std::vector<SignalReport>& reports) const;

    // "$GPGGA,hhmmss.00,ddmm.mmmm,N,dddmm.mmmm,E,1,<heard>,0.9,34.0,M,39.0,M,,*hh", or with
    // another talker.
    std::string FixData(std::chrono::sys_seconds time, int satellitesUsed,
                        std::string_view talker = "GP") const;

    // "$GPRMC,hhmmss.00,A,ddmm.mmmm,N,dddmm.mmmm,E,0.0,0.0,ddmmyy,,*hh"
    std::string RecommendedMinimum(std::chrono::sys_seconds time) const;

    // "$GNRMC,hhmmss.00,A,ddmm.mmmm,N,dddmm.mmmm,E,0.0,0.0,ddmmyy,,,A,V*hh": the mode
    // indicator (autonomous) and the navigational status, which receivers leave at V (none
    // given).
    std::string MultiSystemRecommendedMinimum(std::chrono::sys_seconds time) const;

    // "$GPGSV,<messages>,<number>,<in view>" and up to four "PRN,elevation,azimuth,SNR" groups
    // per message, the last message shorter; one message even when nothing is in view.
    static std::string SatellitesInView(const std::vector<ReportedSatellite>& satellites);

    // "$<talker>GSV,<messages>,<number>,<in view>", up to four groups, then the signal ID as
    // one hex digit: the cycle of one signal as NMEA 4.11 has it.
    static std::string SatellitesInView(const SignalReport& report);

    // "$" body "*" checksum CR LF; the checksum is the XOR of the body's characters.
    static std::string Sentence(std::string_view body);

private:
    std::string Position() const;

    Place place_;
};
