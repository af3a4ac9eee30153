#pragma once

#include "InViewSatellite.h"
#include "SatelliteTable.h"

#include <array>
#include <optional>
#include <vector>

// The rows of the window's table as the GPS-only receiver setting fills them, kept for those who
// show the satellites elsewhere, every call passed on to the table that shows them.
class KeptSatelliteRows : public SatelliteTable {
public:
    // The rows the window's table has.
    static constexpr std::size_t Rows = 12;

    // `shown` outlives this.
    explicit KeptSatelliteRows(SatelliteTable& shown) : shown_(shown) {}

    void ShowSatellitesInView(std::int32_t count) override;
    void ShowRow(std::int64_t row, const SatelliteReport& satellite) override;
    void ClearRow(std::int64_t row) override;
    void ShowSky(const SkyView& sky) override;

    void Clear() { rows_ = {}; }
    // The satellites of the rows shown, by row; their system told by their number, as the GPS
    // talker carries it.
    std::vector<InViewSatellite> Satellites() const;

private:
    SatelliteTable& shown_;
    std::array<std::optional<SatelliteReport>, Rows> rows_{};
};
