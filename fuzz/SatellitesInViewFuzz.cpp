#include "FuzzCheck.h"
#include "FuzzEntries.h"
#include "horizon/HorizonGrid.h"
#include "horizon/SatellitesInViewSentence.h"
#include "platform/CommaText.h"
#include "platform/Conversions.h"
#include "platform/Exception.h"
#include "serial/TComDataPacket.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Blocks no longer than a port reads at a time from a receiver at 9600 bit/s.
constexpr std::size_t BlockSize = 256;
// Enough rows to cover a whole grid and a few more.
constexpr std::size_t MaxFoldedRows = 400;

class NoControls : public SatelliteTable {
public:
    void ShowSatellitesInView(std::int32_t) override {}
    void ShowRow(std::int64_t, const SatelliteReport&) override {}
    void ClearRow(std::int64_t) override {}
};

// Joined fields split back into the same fields; only a final empty field is lost, as a final
// comma adds no field.
void CheckCommaTextRoundTrip(std::string_view text) {
    std::vector<std::string> fields = SplitCommaText(text);
    const std::vector<std::string> again = SplitCommaText(JoinCommaText(fields));
    if (!fields.empty() && fields.back().empty()) {
        fields.pop_back();
    }
    FuzzCheck(again == fields, "joined comma text splits back into its fields");
}

// FoldReport as its contract reads, by splitting and joining the line: the cell rises to `snr`
// when it holds less and the line is stored joined; no such cell, or no number in it, leaves
// the line alone.
std::optional<std::string> FoldedBySplitting(const std::string& line, int elevation, int snr) {
    std::vector<std::string> fields = SplitCommaText(line);
    const auto field = static_cast<std::size_t>(elevation) + 1;
    std::int32_t value = 0;
    if (field >= fields.size() || !TryStrToInt(fields[field], value)) {
        return std::nullopt;
    }
    if (value < snr) {
        fields[field] = IntToStr(snr);
    }
    return JoinCommaText(fields);
}

// FoldReport reads plain lines in place; it must give what splitting and joining gives.
void CheckFoldReport(const TStringList& grid) {
    const std::size_t rows = std::min(grid.Count(), MaxFoldedRows);
    TStringList folded = grid;
    for (std::size_t row = 0; row < rows; ++row) {
        const int azimuth = static_cast<int>(row);
        const int elevation = azimuth % (GridElevations + 1);
        const int snr = 30 + azimuth % 20;
        const std::string& line = grid.Get(row);
        const std::optional<std::string> expected = FoldedBySplitting(line, elevation, snr);
        bool failed = false;
        try {
            FoldReport(folded, azimuth, elevation, snr);
        } catch (const EListError&) {
            failed = true;
        } catch (const EConvertError&) {
            failed = true;
        }
        FuzzCheck(failed == !expected, "FoldReport fails exactly for a missing or bad cell");
        FuzzCheck(folded.Get(row) == (expected ? *expected : line),
                  "FoldReport stores the line split and joined, or leaves it");
        folded.Put(row, line);
    }
}

} // namespace

void FuzzSatellitesInView(std::span<const std::uint8_t> data) {
    const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    TStringList grid = NewGrid();
    std::string_view received = bytes;
    if (const std::size_t formFeed = bytes.find('\f'); formFeed != std::string_view::npos) {
        grid.SetText(bytes.substr(0, formFeed));
        received = bytes.substr(formFeed + 1);
        CheckFoldReport(grid);
    }

    NoControls table;
    TComDataPacket packet;
    packet.SetStartString("$GPGSV,");
    packet.SetStopString("*");
    packet.OnPacket = [&](TComDataPacket&, const std::string& body) {
        CheckCommaTextRoundTrip(body);
        const std::size_t lines = grid.Count();
        HandleSatellitesInView(body, table, grid);
        FuzzCheck(grid.Count() == lines, "a sentence changes no grid's line count");
    };
    for (std::size_t at = 0; at < received.size(); at += BlockSize) {
        packet.AppendData(std::string(received.substr(at, BlockSize)));
    }
}
