#include "HorizonGrids.h"

#include "FirstFailure.h"
#include "HorizonGrid.h"
#include "KeptFile.h"
#include "ObservationsFile.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Exception.h"

#include <cerrno>
#include <sys/stat.h>

namespace {

// A save takes milliseconds: a temporary file this old is from a save that was cut short.
constexpr std::chrono::seconds LeftoverAge = std::chrono::minutes(10);

} // namespace

void HorizonGrids::SetUp(const std::string& folder) {
    LoadedGrid.Clear();
    LoadedFileName.clear();
    HorizonGrid.Clear();
    DataFileName = folder + DataFileLeafName;
    dataFileUnread_ = false;
    keptFileName_.clear();
    AtomicFileWriter::RemoveLeftovers(DataFileName, LeftoverAge);
    Systems.SetUp(DataFileName);
    SetUpObservations();

    struct stat status {};
    if (::stat(DataFileName.c_str(), &status) != 0 && errno == ENOENT) {
        HorizonGrid = NewGrid();
        return;
    }
    try {
        HorizonGrid.LoadFromFile(DataFileName);
    } catch (const Exception&) {
        dataFileUnread_ = true;
    }
}

void HorizonGrids::SetUpObservations() {
    notes_.clear();
    const std::string fileName = ObservationsFileName(DataFileName);
    AtomicFileWriter::RemoveLeftovers(fileName, LeftoverAge);
    if (std::optional<std::string> note = storedObservations_.Load(fileName, Observations)) {
        notes_.push_back(std::move(*note));
    }
    notes_.insert(notes_.end(), Systems.Notes().begin(), Systems.Notes().end());
}

void HorizonGrids::SaveHorizonGrid() {
    // A combined map that cannot be written does not keep the other files from being saved.
    FirstFailure failure;
    failure.Try([this] {
        if (dataFileUnread_) {
            KeepUnreadDataFile();
        }
        HorizonGrid.SaveToFile(DataFileName);
    });
    failure.Try([this] { storedObservations_.Save(Observations); });
    failure.Try([this] { Systems.Save(); });
    failure.Raise();
}

const TStringList& HorizonGrids::LiveMap(std::optional<SatelliteSystem> system) const {
    if (!system) {
        return HorizonGrid;
    }
    static const TStringList empty = NewGrid();
    const TStringList* map = Systems.Find(*system);
    return map != nullptr ? *map : empty;
}

std::vector<SiteMap> HorizonGrids::SiteMaps() const {
    std::vector<SiteMap> maps{{std::nullopt, &HorizonGrid, &Observations}};
    static const MapObservations none;
    for (const SatelliteSystem system : AllSatelliteSystems) {
        const MapObservations* observations = Systems.FindObservations(system);
        if (Systems.Find(system) == nullptr && observations == nullptr) {
            continue;
        }
        maps.push_back({system, &LiveMap(system), observations != nullptr ? observations : &none});
    }
    return maps;
}

void HorizonGrids::LoadGrid(const std::string& path) {
    LoadedGrid.LoadFromFile(path);
}

void HorizonGrids::KeepUnreadDataFile() {
    keptFileName_ = KeepFileBesideItself(DataFileName);
    dataFileUnread_ = false;
}
