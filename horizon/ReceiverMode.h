#pragma once

#include "SatelliteSystem.h"

#include <string>
#include <string_view>

// What the receiver is taken to send. GpsOnly handles exactly the GPS sentences of the
// original receivers and is the default; AllSystems takes every satellite system and the
// NMEA 4.10/4.11 forms.
enum class ReceiverMode { GpsOnly, AllSystems };

inline constexpr ReceiverMode DefaultReceiverMode = ReceiverMode::GpsOnly;

// The talker of the original receivers' sentences, the only one GpsOnly reads.
inline constexpr std::string_view GpsOnlyTalker = RowOf(SatelliteSystem::GPS).talkers[0];

// "GPS only" or "All satellite systems": the texts settings keep and the setup offers.
std::string ReceiverModeToText(ReceiverMode mode);

// The mode of one of those texts. Any other text, as from a damaged or older setting, gives the
// default, so that a receiver keeps working as it always did.
ReceiverMode TextToReceiverMode(std::string_view text);
