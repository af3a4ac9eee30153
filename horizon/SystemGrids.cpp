#include "SystemGrids.h"

#include "FirstFailure.h"
#include "HorizonGrid.h"
#include "KeptFile.h"
#include "ObservationsFile.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Exception.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <sys/stat.h>

namespace {

// A save takes milliseconds: a temporary file this old is from a save that was cut short.
constexpr std::chrono::seconds LeftoverAge = std::chrono::minutes(10);

std::size_t Index(SatelliteSystem system) {
    return static_cast<std::size_t>(system);
}

} // namespace

TStringList* SystemGrids::Find(SatelliteSystem system) {
    auto& grid = maps_[Index(system)].grid;
    return grid ? &*grid : nullptr;
}

const TStringList* SystemGrids::Find(SatelliteSystem system) const {
    const auto& grid = maps_[Index(system)].grid;
    return grid ? &*grid : nullptr;
}

TStringList& SystemGrids::Obtain(SatelliteSystem system) {
    SystemMap& map = maps_[Index(system)];
    if (!map.grid) {
        map.grid = NewGrid();
    }
    map.changed = true;
    return *map.grid;
}

const MapObservations* SystemGrids::FindObservations(SatelliteSystem system) const {
    const auto& observations = maps_[Index(system)].observations;
    return observations ? &*observations : nullptr;
}

MapObservations& SystemGrids::ObtainObservations(SatelliteSystem system) {
    SystemMap& map = maps_[Index(system)];
    if (!map.observations) {
        map.observations.emplace();
    }
    map.observationsChanged = true;
    return *map.observations;
}

void SystemGrids::SetUp(const std::string& dataFileName) {
    dataFileName_ = dataFileName;
    notes_.clear();
    for (const SatelliteSystem system : AllSatelliteSystems) {
        SystemMap& map = maps_[Index(system)];
        map = SystemMap{};
        SetUpObservations(system, map);
        const std::string fileName = FileName(system);
        AtomicFileWriter::RemoveLeftovers(fileName, LeftoverAge);
        struct stat status {};
        if (::stat(fileName.c_str(), &status) != 0 && errno == ENOENT) {
            continue;
        }
        map.grid.emplace();
        try {
            map.grid->LoadFromFile(fileName);
        } catch (const Exception&) {
            map.unread = true;
        }
    }
}

// Without a file the observations stay absent, so that a system never heard lists no map.
void SystemGrids::SetUpObservations(SatelliteSystem system, SystemMap& map) {
    const std::string fileName = ObservationsFileName(FileName(system));
    AtomicFileWriter::RemoveLeftovers(fileName, LeftoverAge);
    MapObservations observations;
    const std::optional<std::string> note = map.stored.Load(fileName, observations);
    if (note) {
        notes_.push_back(*note);
        // Written at the next save, so that the unread file is not found again.
        map.observationsChanged = true;
    }
    if (note || !observations.Empty()) {
        map.observations = std::move(observations);
    }
}

void SystemGrids::Save() {
    FirstFailure failure;
    for (const SatelliteSystem system : AllSatelliteSystems) {
        SystemMap& map = maps_[Index(system)];
        if (map.grid && map.changed) {
            failure.Try([&] { SaveOne(system, map); });
        }
        if (map.observations && map.observationsChanged) {
            failure.Try([&map] {
                map.stored.Save(*map.observations);
                map.observationsChanged = false;
            });
        }
    }
    failure.Raise();
}

void SystemGrids::SaveOne(SatelliteSystem system, SystemMap& map) {
    const std::string fileName = FileName(system);
    if (map.unread) {
        KeepFileBesideItself(fileName);
        map.unread = false;
    }
    map.grid->SaveToFile(fileName);
    map.changed = false;
}

std::string SystemGrids::FileName(SatelliteSystem system) const {
    return FileNameBeside(dataFileName_, system);
}

std::string SystemGrids::FileNameBeside(const std::string& dataFileName, SatelliteSystem system) {
    const std::filesystem::path data(dataFileName);
    const std::string leaf = data.stem().string() + RowOf(system).fileSuffix;
    return (data.parent_path() / leaf).string();
}
