#pragma once

#include <string>
#include <string_view>

// The position line for one recommended-minimum sentence, given from "$GPRMC," up to and
// including its "*": UTC time, fix state and position, or as much of it as could be decoded.
// Uses DegreeSign. Never raises.
std::string DecodePositionSentence(std::string_view sentence);
