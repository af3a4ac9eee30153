#include "SatelliteCycle.h"

#include <utility>

bool SatelliteCycle::Take(const MultiSystemSentence& sentence, std::size_t maxSatellites) {
    if (sentence.MessageNumber == 1 && sentence.MessageCount >= 1) {
        arriving_.clear();
        messageCount_ = sentence.MessageCount;
        nextMessage_ = 1;
    }
    if (nextMessage_ == 0 || sentence.MessageNumber != nextMessage_ ||
        sentence.MessageCount != messageCount_) {
        arriving_.clear();
        nextMessage_ = 0;
        return false;
    }
    for (const InViewSatellite& satellite : sentence.Satellites) {
        // A group of empty fields fills up the last message of a cycle: no satellite.
        if (satellite.PRN != 0 && arriving_.size() < maxSatellites) {
            arriving_.push_back(satellite);
        }
    }
    if (nextMessage_ < messageCount_) {
        ++nextMessage_;
        return false;
    }
    shown_ = std::move(arriving_);
    arriving_.clear();
    nextMessage_ = 0;
    return true;
}
