#pragma once

#include "InViewSatellite.h"
#include "MultiSystemSentence.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The satellites one talker reports on one signal, a cycle of numbered messages at a time. What
// it shows is the last cycle received whole, so a cycle on its way neither shrinks nor grows it.
class SatelliteCycle {
public:
    // Message 1 starts a cycle anew; a message that is not the next one of the cycle on its way
    // (a message lost on the line) drops that cycle. Of each cycle the first `maxSatellites`
    // are kept. True when the sentence completed a cycle, which then shows.
    bool Take(const MultiSystemSentence& sentence, std::size_t maxSatellites);

    const std::vector<InViewSatellite>& Shown() const { return shown_; }

private:
    std::vector<InViewSatellite> shown_;
    std::vector<InViewSatellite> arriving_;
    std::int32_t messageCount_ = 0;
    // The message the cycle on its way waits for; 0 while none is.
    std::int32_t nextMessage_ = 0;
};
