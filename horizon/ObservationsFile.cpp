#include "ObservationsFile.h"

#include "HorizonGrid.h"
#include "platform/AtomicFileWriter.h"
#include "platform/ByteReader.h"
#include "platform/Crc32.h"
#include "platform/Exception.h"
#include "platform/FileContent.h"
#include "platform/SystemError.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>

// The observations file, version 1. Every integer is little-endian; "varint" is an unsigned
// LEB128 number (seven bits a byte, lowest first, the top bit set on every byte but the last),
// always in its shortest form.
//
//   bytes  field
//   8      magic "\x89SKYOBS\n" (the top bit and the line feed show a transfer that mangled it)
//   2      version, 1
//   1      period flags: bit 0 the first report time is known, bit 1 the last; others 0
//   8      first report time, seconds since 1970-01-01 UTC (signed, within +-2^40; 0 when
//          unknown)
//   8      last report time, likewise
//   8      observed seconds (0..2^40)
//   8      sum of the fixes' latitudes, degrees north (IEEE 754 double)
//   8      sum of their longitudes, degrees east
//   8      number of fixes
//   varint number of satellites heard (at most 999), then each satellite number as 2 bytes,
//          ascending, 1..999
//   varint number of reported cells (at most 360 x 91), then each cell in ascending order of
//          azimuth, then elevation:
//            2       azimuth 0..359
//            1       elevation 0..90
//            varint  observed seconds of the map when the cell was first reported
//            varint  reports without a signal
//            varint  number of SNRs heard, then each ascending: varint SNR (1..65535),
//                    varint reports at that SNR (at least 1)
//            (a cell holds at least one report)
//   4      CRC-32 (as zlib's) of every byte before it
//
// A week of 40 satellites at 1 Hz fills some 20,000 cells with a dozen SNRs each: about a
// megabyte. The reader takes nothing it cannot vouch for: another magic or version, a checksum
// that does not match (a damaged or cut file), a value out of its range, cells out of order or
// bytes after the last cell all refuse the whole file.

namespace {

constexpr std::string_view Magic{"\x89SKYOBS\n", 8};
constexpr std::uint16_t Version = 1;
constexpr std::uint8_t FirstKnown = 1;
constexpr std::uint8_t LastKnown = 2;
constexpr std::size_t ChecksumSize = 4;
// Larger than the observations of any map could be (99 SNRs in every cell stay below 30 MB).
constexpr std::size_t MaxFileSize = 64 * 1024 * 1024;
constexpr std::uint64_t MaxCells = static_cast<std::uint64_t>(GridAzimuths) * GridElevations;
// Azimuth, elevation and three varints.
constexpr std::size_t MinCellSize = 6;
// Times and spans beyond any clock's (some 35,000 years), so that no difference of two overflows.
constexpr std::int64_t MaxSeconds = std::int64_t{1} << 40;
constexpr double MaxLatitude = 90;
constexpr double MaxLongitude = 180;

void AppendLittleEndian(std::string& out, std::uint64_t value, std::size_t size) {
    for (std::size_t k = 0; k < size; ++k) {
        out += static_cast<char>(value & 0xFFU);
        value >>= 8U;
    }
}

void AppendVarint(std::string& out, std::uint64_t value) {
    while (value >= 0x80U) {
        out += static_cast<char>((value & 0x7FU) | 0x80U);
        value >>= 7U;
    }
    out += static_cast<char>(value);
}

std::int64_t Seconds(const std::optional<MapObservations::Time>& time) {
    return time ? time->time_since_epoch().count() : 0;
}

void AppendCell(std::string& out, int azimuth, int elevation, const CellObservations& cell) {
    AppendLittleEndian(out, static_cast<std::uint64_t>(azimuth), 2);
    AppendLittleEndian(out, static_cast<std::uint64_t>(elevation), 1);
    AppendVarint(out, cell.FirstReported());
    AppendVarint(out, cell.Unheard());
    AppendVarint(out, cell.Distribution().size());
    for (const CellObservations::SnrCount& entry : cell.Distribution()) {
        AppendVarint(out, entry.Snr);
        AppendVarint(out, entry.Count);
    }
}

void ReadHeader(ByteReader& in) {
    if (in.Bytes(Magic.size(), "magic") != Magic) {
        in.Fail("it is not a file of observations");
    }
    const std::uint16_t version = in.U16("version");
    if (version != Version) {
        in.Fail("it is of version " + std::to_string(version) + ", this program reads version " +
                std::to_string(Version));
    }
}

std::optional<MapObservations::Time> Time(bool known, std::int64_t seconds) {
    if (!known) {
        return std::nullopt;
    }
    return MapObservations::Time(std::chrono::seconds(seconds));
}

std::int64_t ReadSeconds(ByteReader& in, const char* what, std::int64_t min) {
    const std::int64_t seconds = in.I64(what);
    if (seconds < min || seconds > MaxSeconds) {
        in.Fail(std::string("the ") + what + " " + std::to_string(seconds) + " is out of range");
    }
    return seconds;
}

void ReadPeriod(ByteReader& in, MapObservations& observations) {
    const std::uint8_t flags = in.U8("period flags");
    if ((flags & ~(FirstKnown | LastKnown)) != 0) {
        in.Fail("the period flags " + std::to_string(flags) + " are not known");
    }
    MapObservations::Period period;
    period.First =
        Time((flags & FirstKnown) != 0, ReadSeconds(in, "first report time", -MaxSeconds));
    period.Last = Time((flags & LastKnown) != 0, ReadSeconds(in, "last report time", -MaxSeconds));
    period.Observed = std::chrono::seconds(ReadSeconds(in, "observed time", 0));
    if (period.First && period.Last && *period.Last < *period.First) {
        in.Fail("the last report is before the first");
    }
    observations.SetReception(period);
}

void ReadPositions(ByteReader& in, MapObservations& observations) {
    MapObservations::PositionSum sum;
    sum.Latitude = in.F64("latitude sum");
    sum.Longitude = in.F64("longitude sum");
    sum.Fixes = in.U64("number of fixes");
    const auto fixes = static_cast<double>(sum.Fixes);
    if (!std::isfinite(sum.Latitude) || !std::isfinite(sum.Longitude) ||
        std::abs(sum.Latitude) > MaxLatitude * fixes ||
        std::abs(sum.Longitude) > MaxLongitude * fixes) {
        in.Fail("the position sums are not those of " + std::to_string(sum.Fixes) + " fixes");
    }
    observations.SetPositions(sum);
}

void ReadSatellites(ByteReader& in, MapObservations& observations) {
    const auto count = in.Varint("number of satellites", MapObservations::MaxSatelliteNumber);
    std::int32_t previous = 0;
    for (std::uint64_t k = 0; k < count; ++k) {
        const std::int32_t prn = in.U16("satellite number");
        if (prn <= previous || prn > MapObservations::MaxSatelliteNumber) {
            in.Fail("the satellite number " + std::to_string(prn) +
                    " is out of order or out of range");
        }
        observations.AddSatelliteHeard(prn);
        previous = prn;
    }
}

void ReadCell(ByteReader& in, CellObservations& cell) {
    cell.SetFirstReported(static_cast<std::uint32_t>(
        in.Varint("first report of a cell", CellObservations::MaxCount)));
    cell.AddUnheard(static_cast<std::uint32_t>(in.Varint("count", CellObservations::MaxCount)));
    // Each SNR takes two bytes at least, which bounds what a damaged count can make us expect.
    const auto values = in.Varint("number of SNRs", CellObservations::MaxSnr);
    if (values > in.Remaining() / 2) {
        in.Fail("a cell has more SNRs (" + std::to_string(values) + ") than the file holds");
    }
    int previous = 0;
    for (std::uint64_t k = 0; k < values; ++k) {
        const auto snr = static_cast<int>(in.Varint("SNR", CellObservations::MaxSnr));
        const auto count =
            static_cast<std::uint32_t>(in.Varint("count", CellObservations::MaxCount));
        if (snr <= previous || count == 0) {
            in.Fail("the SNRs of a cell are out of order or counted 0 times");
        }
        cell.AddHeard(snr, count);
        previous = snr;
    }
    if (cell.Reports() == 0) {
        in.Fail("a cell is listed without reports");
    }
}

void ReadCells(ByteReader& in, MapObservations& observations) {
    const auto count = in.Varint("number of cells", MaxCells);
    if (count > in.Remaining() / MinCellSize) {
        in.Fail("there are more cells (" + std::to_string(count) + ") than the file holds");
    }
    int previous = -1;
    for (std::uint64_t k = 0; k < count; ++k) {
        const int azimuth = in.U16("azimuth");
        const int elevation = in.U8("elevation");
        if (azimuth >= GridAzimuths || elevation >= GridElevations) {
            in.Fail("there is no cell at azimuth " + std::to_string(azimuth) + ", elevation " +
                    std::to_string(elevation));
        }
        const int index = azimuth * GridElevations + elevation;
        if (index <= previous) {
            in.Fail("the cells are out of order");
        }
        previous = index;
        ReadCell(in, observations.MutableCell(azimuth, elevation));
    }
}

} // namespace

std::string ObservationsFileName(const std::string& mapFileName) {
    const std::filesystem::path map(mapFileName);
    if (map.extension() == ".dat") {
        return std::filesystem::path(map).replace_extension(".obs").string();
    }
    return mapFileName + ".obs";
}

std::string ObservationsBytes(const MapObservations& observations) {
    std::string out(Magic);
    out.reserve(observations.ReportedCells() * 48 + 1024);
    AppendLittleEndian(out, Version, 2);

    const MapObservations::Period& period = observations.Reception();
    const std::uint8_t flags = (period.First ? FirstKnown : 0U) | (period.Last ? LastKnown : 0U);
    AppendLittleEndian(out, flags, 1);
    AppendLittleEndian(out, static_cast<std::uint64_t>(Seconds(period.First)), 8);
    AppendLittleEndian(out, static_cast<std::uint64_t>(Seconds(period.Last)), 8);
    AppendLittleEndian(out, static_cast<std::uint64_t>(period.Observed.count()), 8);

    const MapObservations::PositionSum& positions = observations.Positions();
    AppendLittleEndian(out, std::bit_cast<std::uint64_t>(positions.Latitude), 8);
    AppendLittleEndian(out, std::bit_cast<std::uint64_t>(positions.Longitude), 8);
    AppendLittleEndian(out, positions.Fixes, 8);

    AppendVarint(out, observations.SatellitesHeard().size());
    for (const std::int32_t prn : observations.SatellitesHeard()) {
        AppendLittleEndian(out, static_cast<std::uint64_t>(prn), 2);
    }

    AppendVarint(out, observations.ReportedCells());
    for (int azimuth = 0; azimuth < GridAzimuths; ++azimuth) {
        for (int elevation = 0; elevation < GridElevations; ++elevation) {
            if (const CellObservations* cell = observations.Cell(azimuth, elevation)) {
                AppendCell(out, azimuth, elevation, *cell);
            }
        }
    }
    AppendLittleEndian(out, Crc32(out), ChecksumSize);
    return out;
}

MapObservations ParseObservations(std::string_view bytes) {
    if (bytes.empty()) {
        throw Exception("the file is empty");
    }
    ByteReader header(bytes);
    ReadHeader(header);
    if (bytes.size() < header.Offset() + ChecksumSize) {
        header.Fail("the file ends before its checksum");
    }
    const std::string_view content = bytes.substr(0, bytes.size() - ChecksumSize);
    ByteReader trailer(bytes.substr(content.size()));
    if (trailer.U32("checksum") != Crc32(content)) {
        throw Exception("the checksum does not match: the file is damaged or cut short");
    }

    ByteReader in(content);
    ReadHeader(in);
    MapObservations observations;
    ReadPeriod(in, observations);
    ReadPositions(in, observations);
    ReadSatellites(in, observations);
    ReadCells(in, observations);
    if (in.Remaining() != 0) {
        in.Fail("there are " + std::to_string(in.Remaining()) + " bytes after the last cell");
    }
    return observations;
}

void SaveObservations(const std::string& path, const MapObservations& observations) {
    AtomicFileWriter::WriteFile(path, ObservationsBytes(observations));
}

std::optional<MapObservations> LoadObservations(const std::string& path) {
    std::string bytes;
    if (const int error = ReadFileContent(path, MaxFileSize, bytes); error != 0) {
        if (error == ENOENT) {
            return std::nullopt;
        }
        throw EFileError(FileErrorText("read the observations", path, error));
    }
    try {
        return ParseObservations(bytes);
    } catch (const Exception& error) {
        throw EFileError(FileErrorText("read the observations", path, error.Message()));
    }
}
