#pragma once

#include "MapObservations.h"
#include "SiteMap.h"
#include "StoredObservations.h"
#include "SystemGrids.h"
#include "platform/TStringList.h"

#include <optional>
#include <string>
#include <vector>

// The main window's two grids and the live grid's data file, and the live maps of the single
// satellite systems beside it.
class HorizonGrids {
public:
    static constexpr const char* DataFileLeafName = "Skyfence.dat";

    TStringList HorizonGrid;
    TStringList LoadedGrid;
    std::string LoadedFileName;
    std::string DataFileName;
    SystemGrids Systems;
    // The combined map's observations, kept beside its data file ("Skyfence.obs").
    MapObservations Observations;

    // Grid set-up at window creation: the live grid from "Skyfence.dat" in `folder` (which ends
    // in "/"), or 360 new lines when there is no such file, and the systems' maps found beside
    // it, each map with the observations of its ".obs" file. Reading errors of the maps are
    // dropped; observations that cannot be read start afresh, their file set aside, with a note.
    void SetUp(const std::string& folder);

    // What the user should be told of the last SetUp: observations files that could not be read
    // and where they were kept. Empty when all was read.
    const std::vector<std::string>& Notes() const { return notes_; }

    // Writes the live grid to its data file, atomically. If the file existed at set-up but could
    // not be read completely, it is first kept beside itself under a new name, so that a grid
    // that was never read in full cannot destroy it. Then its observations, when they changed,
    // and the systems' maps and observations that changed are written, each also when another
    // could not be. Raises EFileError, the live grid's first, then its observations'.
    void SaveHorizonGrid();

    // Replaces LoadedGrid with the lines of `path`; raises EFileError (LoadedGrid then holds
    // what was read).
    void LoadGrid(const std::string& path);

    // The live map of `system`, or the combined one for none. A system without a map yet gives an
    // empty grid, which plots as a new one does.
    const TStringList& LiveMap(std::optional<SatelliteSystem> system) const;

    // The combined map, then each system's that has a map or observations, each with its
    // observations.
    std::vector<SiteMap> SiteMaps() const;

    // Where the unread data file was kept by a save; empty when nothing had to be kept.
    const std::string& KeptFileName() const { return keptFileName_; }

private:
    void SetUpObservations();
    void KeepUnreadDataFile();

    bool dataFileUnread_ = false;
    std::string keptFileName_;
    StoredObservations storedObservations_;
    std::vector<std::string> notes_;
};
