#pragma once

#include "MapObservations.h"
#include "SatelliteSystem.h"
#include "StoredObservations.h"
#include "platform/TStringList.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// The maps of the single satellite systems, each in a file beside the combined map's data file
// ("Skyfence.dat" has "Skyfence-GPS.dat", "Skyfence-GLONASS.dat" …). A system has a map once a
// file of it was found or a satellite of it was folded, and only such maps are ever written.
class SystemGrids {
public:
    // The map of `system`, or nullptr when it has none.
    TStringList* Find(SatelliteSystem system);
    const TStringList* Find(SatelliteSystem system) const;

    // The map of `system` for a change: a new grid the first time. It is written by the next
    // Save.
    TStringList& Obtain(SatelliteSystem system);

    // The observations of `system`'s map, or nullptr when it has none.
    const MapObservations* FindObservations(SatelliteSystem system) const;
    // The observations of `system`'s map for a change: new ones the first time.
    MapObservations& ObtainObservations(SatelliteSystem system);

    // Forgets every map and loads those whose files lie beside `dataFileName`, with their
    // observations ("Skyfence-GPS.obs" beside "Skyfence-GPS.dat"). Reading errors of the maps are
    // dropped, leaving what was read; such a file is kept beside itself before it is first
    // replaced, as the combined map's is. Observations that cannot be read start afresh, their
    // file set aside at once, with a note.
    void SetUp(const std::string& dataFileName);

    // The notes of the last SetUp for the user (see HorizonGrids::Notes).
    const std::vector<std::string>& Notes() const { return notes_; }

    // Writes every map and every map's observations obtained for a change since they were loaded
    // or last written, atomically. Every file is tried; the first failure is raised after the
    // others, and a file that failed is tried again by the next Save.
    void Save();

    // "<folder>/<stem>-<System>.dat" for the data file "<folder>/<stem>.dat" given to SetUp.
    std::string FileName(SatelliteSystem system) const;
    // The same beside any data file.
    static std::string FileNameBeside(const std::string& dataFileName, SatelliteSystem system);

private:
    struct SystemMap {
        std::optional<TStringList> grid;
        bool changed = false;
        std::optional<MapObservations> observations;
        bool observationsChanged = false;
        StoredObservations stored;
        // The file exists but was not read completely.
        bool unread = false;
    };

    void SetUpObservations(SatelliteSystem system, SystemMap& map);
    void SaveOne(SatelliteSystem system, SystemMap& map);

    std::string dataFileName_;
    std::vector<std::string> notes_;
    std::array<SystemMap, AllSatelliteSystems.size()> maps_;
};
