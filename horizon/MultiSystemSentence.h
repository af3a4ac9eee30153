#pragma once

#include "InViewSatellite.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A satellites-in-view sentence as the all-systems receiver setting reads it: any talker, any
// number of messages, NMEA 4.10/4.11 signal IDs.
struct MultiSystemSentence {
    std::int32_t MessageCount = 0;
    std::int32_t MessageNumber = 0;
    std::int32_t SatellitesInView = 0;
    // The signal the sentence reports (NMEA 4.10 and later); absent in older forms.
    std::optional<std::string> SignalId;
    // Up to four, in the order of the sentence, also those with PRN 0.
    std::vector<InViewSatellite> Satellites;

    friend bool operator==(const MultiSystemSentence&, const MultiSystemSentence&) = default;
};

// Reads the body (the text between "$xxGSV," and "*") of a sentence of `talker` ("GP", "GN",
// ...). No value for a sentence that is ignored. Never raises.
std::optional<MultiSystemSentence> ParseMultiSystemSentence(std::string_view talker,
                                                            std::string_view body);
