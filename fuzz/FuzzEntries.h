#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// The body of each fuzz target. Every one takes any bytes: the errors the code under test
// documents as its answer to bad input are caught inside, anything else (a crash, a sanitizer
// report, another exception, a broken promise checked here) ends the process.
using FuzzEntry = void (*)(std::span<const std::uint8_t> data);

// Receiver bytes, optionally after a data file's text and a form feed: framed as the program
// frames satellites-in-view sentences, handled into a satellite table and that grid.
void FuzzSatellitesInView(std::span<const std::uint8_t> data);
// Receiver bytes framed as position sentences and decoded into the position line.
void FuzzPositionSentence(std::span<const std::uint8_t> data);
// Framing settings, then blocks of received bytes, into one data packet.
void FuzzDataPacket(std::span<const std::uint8_t> data);
// A data file, read as at start-up and as by "Load ...", plotted in both layouts, saved.
void FuzzGridFile(std::span<const std::uint8_t> data);
// An observations file through its reader and, once accepted, its writer, the classes and the
// site's numbers.
void FuzzObservationsFile(std::span<const std::uint8_t> data);
// A bitmap file through the tolerant reader, then resampled and written.
void FuzzBitmap(std::span<const std::uint8_t> data);
// A file (ELF, PE or anything) and a raw version block through the version reader.
void FuzzVersionResource(std::span<const std::uint8_t> data);
// A registry file through the registry and the port's settings store.
void FuzzRegistryFile(std::span<const std::uint8_t> data);
// An ini file through the ini reader and the port's settings store.
void FuzzIniFile(std::span<const std::uint8_t> data);

struct FuzzTarget {
    // Names the folders of the target's corpus, seeds and regression inputs.
    std::string_view name;
    FuzzEntry entry;
};

std::span<const FuzzTarget> FuzzTargets();
