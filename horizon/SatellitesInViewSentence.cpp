#include "SatellitesInViewSentence.h"

#include "HorizonGrid.h"
#include "SatelliteGroup.h"
#include "SatelliteReport.h"
#include "platform/CommaText.h"
#include "platform/Conversions.h"
#include "platform/Exception.h"

#include <array>
#include <cstdint>
#include <vector>

// $GPGSV,3,1,11,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*74
//
//   field   0      messages in this cycle, must be the text "3"
//           1      number of this message
//           2      satellites in view
//   3 + 4k ...     satellite k (0..3): PRN, elevation, azimuth, SNR
//
// Only 11, 15, 18 or 19 fields are taken: two, three or four whole groups (18 when the fourth
// SNR is empty and the final comma drops it).

namespace {

bool AcceptedFieldCount(std::size_t count) {
    return count == 11 || count == 15 || count == 18 || count == 19;
}

SatelliteReport ReadReport(const std::vector<std::string>& fields, std::size_t first) {
    const InViewSatellite group = ReadSatelliteGroup(fields, first, fields.size());
    return {group.PRN, group.Elevation, group.Azimuth, group.SNR, group.HasPosition};
}

} // namespace

bool HandleSatellitesInView(std::string_view body, SatelliteTable& table, TStringList& grid,
                            std::vector<SatelliteReport>* reports) {
    const std::vector<std::string> fields = SplitCommaText(body);
    if (!AcceptedFieldCount(fields.size()) || fields[0] != "3") {
        return false;
    }
    bool taken = false;
    try {
        const std::int64_t message = StrToInt(fields[1]);
        const std::int32_t inView = StrToInt(fields[2]);
        table.ShowSatellitesInView(inView);
        taken = true;

        // Read before any row is shown: the reports counted do not depend on the table or the grid.
        const std::size_t groups = (fields.size() - 3) / 4;
        std::array<SatelliteReport, 4> read;
        for (std::size_t k = 0; k < groups; ++k) {
            read[k] = ReadReport(fields, 3 + 4 * k);
            if (reports != nullptr && read[k].PRN != 0 && read[k].HasPosition) {
                reports->push_back(read[k]);
            }
        }

        // Row numbers come from the sentence, so they are computed wide enough never to overflow.
        const std::int64_t firstRow = (message - 1) * 4 + 1;
        for (std::int64_t k = 0; k < 4; ++k) {
            table.ClearRow(firstRow + k);
        }

        for (std::size_t k = 0; k < groups; ++k) {
            const SatelliteReport& report = read[k];
            const std::int64_t row = firstRow + static_cast<std::int64_t>(k);
            if (report.PRN == 0) {
                table.ClearRow(row);
                continue;
            }
            table.ShowRow(row, report);
            if (report.HasPosition) {
                FoldReport(grid, report.Azimuth, report.Elevation, report.SNR);
            }
        }
    } catch (const Exception&) {
        // Data from the receiver: a sentence that cannot be handled is dropped.
    }
    return taken;
}
