#pragma once

#include "InViewSatellite.h"
#include "MultiSystemSentence.h"
#include "SatelliteCycle.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The satellites in view over every system, as the last complete cycle of each talker and signal
// reported them: while a cycle arrives, the count and the satellites stay those of the one before.
// A satellite reported on several signals, or under its own talker and under "GN", is one
// satellite.
//
// A receiver sends the cycles of its talkers and signals in turn, a round at a time; a round ends
// where a talker and signal starts its cycle a second time. A talker and signal that completed no
// cycle in this round or the last, and none for Grace, is forgotten, so satellites it no longer
// reports leave within two rounds. The time matters because the port hands over what arrived
// meanwhile in one block, whose sentences reach the view talker by talker: a block of several
// epochs makes many rounds in an instant, and no talker of it may be forgotten for that.
class SkyView {
public:
    // Bounds for a receiver that never ends a cycle, or invents signals: what lies beyond them is
    // not taken.
    static constexpr std::size_t MaxCycles = 64;
    static constexpr std::size_t MaxSatellitesPerCycle = 64;
    static constexpr std::chrono::seconds Grace{2};

    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    explicit SkyView(Clock clock = std::chrono::steady_clock::now);

    // A sentence of `talker`: message 1 starts that talker's cycle for its signal anew, later
    // messages add to it, and the last one shows it. Until a talker and signal sends message 1,
    // its messages are not taken.
    void Take(std::string_view talker, const MultiSystemSentence& sentence);
    void Clear();

    // One entry per satellite (system, or no system, and PRN), with its strongest signal and,
    // where that report gives none, the direction of its strongest report that does; ordered by
    // system, those of no system last, then by PRN.
    const std::vector<InViewSatellite>& Satellites() const;
    std::size_t Count() const { return Satellites().size(); }

private:
    using CycleKey = std::pair<std::string, std::optional<std::string>>;

    struct TrackedCycle {
        SatelliteCycle cycle;
        std::size_t startedRound = 0;
        // The round its last cycle completed in, or it was first seen in.
        std::size_t completedRound = 0;
        std::chrono::steady_clock::time_point completedAt;
    };

    void StartRound(std::chrono::steady_clock::time_point now);

    Clock clock_;
    std::map<CycleKey, TrackedCycle> cycles_;
    std::size_t round_ = 0;
    // The union of the cycles, made when first asked for after a change.
    mutable std::optional<std::vector<InViewSatellite>> satellites_;
};
