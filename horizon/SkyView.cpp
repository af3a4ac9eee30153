#include "SkyView.h"

#include <algorithm>
#include <tuple>

namespace {

// Systems in their order, then the satellites no system could be told for.
auto SortKey(const InViewSatellite& satellite) {
    return std::make_tuple(!satellite.System.has_value(), satellite.System, satellite.PRN);
}

bool Stronger(const InViewSatellite& a, const InViewSatellite& b) {
    return std::make_pair(a.HasSnr, a.SNR) > std::make_pair(b.HasSnr, b.SNR);
}

} // namespace

void SkyView::Take(std::string_view talker, const MultiSystemSentence& sentence) {
    CycleKey key{std::string(talker), sentence.SignalId};
    auto cycle = cycles_.find(key);
    if (cycle == cycles_.end()) {
        if (cycles_.size() >= MaxCycles) {
            return;
        }
        cycle = cycles_.emplace(std::move(key), std::vector<InViewSatellite>{}).first;
    }
    if (sentence.MessageNumber == 1) {
        cycle->second.clear();
    }
    for (const InViewSatellite& satellite : sentence.Satellites) {
        // A group of empty fields fills up the last message of a cycle: no satellite.
        if (satellite.PRN != 0 && cycle->second.size() < MaxSatellitesPerCycle) {
            cycle->second.push_back(satellite);
        }
    }
    satellites_.reset();
}

void SkyView::Clear() {
    cycles_.clear();
    satellites_.reset();
}

const std::vector<InViewSatellite>& SkyView::Satellites() const {
    if (satellites_) {
        return *satellites_;
    }
    std::vector<InViewSatellite> all;
    for (const auto& [key, cycle] : cycles_) {
        all.insert(all.end(), cycle.begin(), cycle.end());
    }
    // The strongest report of each satellite comes first among its equals and is kept.
    std::sort(all.begin(), all.end(), [](const InViewSatellite& a, const InViewSatellite& b) {
        const auto keyA = SortKey(a);
        const auto keyB = SortKey(b);
        return keyA != keyB ? keyA < keyB : Stronger(a, b);
    });
    all.erase(std::unique(all.begin(), all.end(),
                          [](const InViewSatellite& a, const InViewSatellite& b) {
                              return SortKey(a) == SortKey(b);
                          }),
              all.end());
    satellites_ = std::move(all);
    return *satellites_;
}
