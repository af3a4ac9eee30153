#pragma once

#include "InViewSatellite.h"
#include "MultiSystemSentence.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The satellites in view over every system, as the last cycle of each talker and signal
// reported them. A satellite reported on several signals, or under its own talker and under
// "GN", is one satellite.
class SkyView {
public:
    // Bounds for a receiver that never starts a new cycle, or invents signals: what lies beyond
    // them is not taken.
    static constexpr std::size_t MaxCycles = 64;
    static constexpr std::size_t MaxSatellitesPerCycle = 64;

    // A sentence of `talker`: message 1 starts that talker's cycle for its signal anew, later
    // messages add to it.
    void Take(std::string_view talker, const MultiSystemSentence& sentence);
    void Clear();

    // One entry per satellite (system, or no system, and PRN), with its strongest signal;
    // ordered by system, those of no system last, then by PRN.
    const std::vector<InViewSatellite>& Satellites() const;
    std::size_t Count() const { return Satellites().size(); }

private:
    using CycleKey = std::pair<std::string, std::optional<std::string>>;

    std::map<CycleKey, std::vector<InViewSatellite>> cycles_;
    // The union of the cycles, made when first asked for after a change.
    mutable std::optional<std::vector<InViewSatellite>> satellites_;
};
