#pragma once

#include "MapObservations.h"

#include <optional>
#include <string>
#include <string_view>

// The file that keeps a map's observations beside it ("Skyfence.obs" beside "Skyfence.dat",
// "Skyfence-GPS.obs" beside "Skyfence-GPS.dat"). The format is described where it is written
// (ObservationsFile.cpp) and in the README; it carries a version and a checksum, so that a
// damaged or foreign file is told apart from a map's observations and never half read.

// "<stem>.obs" for the map "<stem>.dat"; any other name gets ".obs" added.
std::string ObservationsFileName(const std::string& mapFileName);

// The stored form of `observations`.
std::string ObservationsBytes(const MapObservations& observations);
// Reads the stored form; raises Exception saying what is wrong for anything else (damaged,
// truncated, another version), never giving half of it.
MapObservations ParseObservations(std::string_view bytes);

// Writes atomically; EFileError naming the file when it cannot.
void SaveObservations(const std::string& path, const MapObservations& observations);
// No value when there is no such file. Raises EFileError naming the file when it cannot be read
// or is not a map's observations (saying why).
std::optional<MapObservations> LoadObservations(const std::string& path);
