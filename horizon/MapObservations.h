#pragma once

#include "CellObservations.h"
#include "HorizonGrid.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <vector>

// The observations beside one map (the combined one or one system's): per cell what
// CellObservations keeps, the satellites heard, the period of the reports and, for the combined
// map, the mean of the positions received. A report is one satellite's group in one
// satellites-in-view sentence, with a satellite number and a direction; its cell is the one the
// map would raise.
class MapObservations {
public:
    using Time = std::chrono::sys_seconds;

    // Reports further apart than this are not one stretch of reception: the time between them
    // does not count as observed.
    static constexpr std::chrono::seconds MaxGap{10};
    // Satellite numbers a receiver may give; others are counted in their cell but not as a
    // satellite heard, so that damaged numbers cannot make the list grow without end.
    static constexpr std::int32_t MaxSatelliteNumber = 999;

    // One report of satellite `prn` in the cell (`azimuth` 0..359, `elevation` 0..90) at `time`:
    // heard when `snr` is above 0. A report outside the grid is not counted.
    void Add(std::int32_t prn, int azimuth, int elevation, int snr, Time time);
    // A position fix (degrees, north and east positive) for the mean position.
    void AddPosition(double latitude, double longitude);

    // Nothing reported and no position: a new map's observations.
    bool Empty() const;

    // The cell (azimuth 0..359, elevation 0..90); nullptr when it was never reported (also for
    // a cell outside the grid).
    const CellObservations* Cell(int azimuth, int elevation) const;
    // For readers of the stored form: the cell to fill in; raises Exception outside the grid.
    CellObservations& MutableCell(int azimuth, int elevation);
    // Cells with at least one report.
    std::size_t ReportedCells() const;

    struct Period {
        std::optional<Time> First;
        std::optional<Time> Last;
        // The sum of the gaps between successive reports of at most MaxGap.
        std::chrono::seconds Observed{0};

        friend bool operator==(const Period&, const Period&) = default;
    };
    const Period& Reception() const { return period_; }
    void SetReception(const Period& period) { period_ = period; }

    struct PositionSum {
        double Latitude = 0;
        double Longitude = 0;
        std::uint64_t Fixes = 0;

        friend bool operator==(const PositionSum&, const PositionSum&) = default;
    };
    const PositionSum& Positions() const { return positions_; }
    void SetPositions(const PositionSum& sum) { positions_ = sum; }
    // The mean of the fixes; empty without one.
    std::optional<std::pair<double, double>> MeanPosition() const;

    // The numbers (1..MaxSatelliteNumber) of the satellites heard at least once.
    const std::set<std::int32_t>& SatellitesHeard() const { return satellitesHeard_; }
    void AddSatelliteHeard(std::int32_t prn);

    friend bool operator==(const MapObservations&, const MapObservations&) = default;

private:
    static std::size_t Index(int azimuth, int elevation);
    void Advance(Time time);

    // GridAzimuths x GridElevations cells once the first is reported, empty before.
    std::vector<CellObservations> cells_;
    Period period_;
    PositionSum positions_;
    std::set<std::int32_t> satellitesHeard_;
};
