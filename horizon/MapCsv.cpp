#include "MapCsv.h"

#include "GridCellValues.h"
#include "platform/AtomicFileWriter.h"

#include <functional>
#include <optional>

namespace {

// A row for each cell whose value `keep` accepts.
std::string CellRows(const std::string& header, const GridCellValues& cells,
                     const std::function<bool(int value)>& keep) {
    std::string text = header + "\n";
    for (int q = 0; q < GridAzimuths; ++q) {
        for (int e = 0; e < GridElevations; ++e) {
            if (cells.Valid(q, e) && keep(cells.Value(q, e))) {
                text += std::to_string(q) + "," + std::to_string(e) + "," +
                        std::to_string(cells.Value(q, e)) + "\n";
            }
        }
    }
    return text;
}

} // namespace

std::string CellsCsv(const TStringList& grid) {
    return CellRows("azimuth,elevation,snr", GridCellValues(grid),
                    [](int value) { return value > 0; });
}

std::string ProfileCsv(const HorizonProfile& profile) {
    std::string text = "azimuth,elevation\n";
    for (int q = 0; q < GridAzimuths; ++q) {
        const auto elevation = profile.Elevation(q);
        text += std::to_string(q) + "," + (elevation ? std::to_string(*elevation) : "") + "\n";
    }
    return text;
}

std::string DifferenceCsv(const DifferenceMap& map) {
    return CellRows("azimuth,elevation,difference", map.Cells(),
                    [](int value) { return value != 0; });
}

std::string ObservationsCsv(const MapObservations& observations) {
    const auto number = [](std::optional<int> value) {
        return value ? std::to_string(*value) : std::string();
    };
    std::string text = "azimuth,elevation,heard,unheard,median,max\n";
    for (int q = 0; q < GridAzimuths; ++q) {
        for (int e = 0; e < GridElevations; ++e) {
            const CellObservations* cell = observations.Cell(q, e);
            if (cell == nullptr) {
                continue;
            }
            text += std::to_string(q) + "," + std::to_string(e) + "," +
                    std::to_string(cell->Heard()) + "," + std::to_string(cell->Unheard()) + "," +
                    number(cell->Median()) + "," + number(cell->Max()) + "\n";
        }
    }
    return text;
}

void SaveCellsCsv(const std::string& path, const TStringList& grid) {
    AtomicFileWriter::WriteFile(path, CellsCsv(grid));
}

void SaveProfileCsv(const std::string& path, const HorizonProfile& profile) {
    AtomicFileWriter::WriteFile(path, ProfileCsv(profile));
}

void SaveDifferenceCsv(const std::string& path, const DifferenceMap& map) {
    AtomicFileWriter::WriteFile(path, DifferenceCsv(map));
}
