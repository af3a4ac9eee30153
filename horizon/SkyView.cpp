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

SkyView::SkyView(Clock clock) : clock_(std::move(clock)) {}

void SkyView::Take(std::string_view talker, const MultiSystemSentence& sentence) {
    const auto now = clock_();
    CycleKey key{std::string(talker), sentence.SignalId};
    auto tracked = cycles_.find(key);
    if (sentence.MessageNumber == 1) {
        if (tracked != cycles_.end() && tracked->second.startedRound == round_) {
            StartRound(now);
            tracked = cycles_.find(key);
        }
        if (tracked == cycles_.end()) {
            if (cycles_.size() >= MaxCycles) {
                return;
            }
            tracked = cycles_.emplace(std::move(key), TrackedCycle{{}, round_, round_, now}).first;
        }
        tracked->second.startedRound = round_;
    } else if (tracked == cycles_.end()) {
        return;
    }
    if (tracked->second.cycle.Take(sentence, MaxSatellitesPerCycle)) {
        tracked->second.completedRound = round_;
        tracked->second.completedAt = now;
        satellites_.reset();
    }
}

void SkyView::StartRound(std::chrono::steady_clock::time_point now) {
    ++round_;
    std::erase_if(cycles_, [this, now](const auto& tracked) {
        return tracked.second.completedRound + 1 < round_ &&
               now - tracked.second.completedAt >= Grace;
    });
    satellites_.reset();
}

void SkyView::Clear() {
    cycles_.clear();
    round_ = 0;
    satellites_.reset();
}

const std::vector<InViewSatellite>& SkyView::Satellites() const {
    if (satellites_) {
        return *satellites_;
    }
    std::vector<InViewSatellite> all;
    for (const auto& [key, tracked] : cycles_) {
        all.insert(all.end(), tracked.cycle.Shown().begin(), tracked.cycle.Shown().end());
    }
    // The reports of each satellite together, the strongest first.
    std::sort(all.begin(), all.end(), [](const InViewSatellite& a, const InViewSatellite& b) {
        const auto keyA = SortKey(a);
        const auto keyB = SortKey(b);
        return keyA != keyB ? keyA < keyB : Stronger(a, b);
    });
    std::vector<InViewSatellite> satellites;
    for (auto first = all.begin(); first != all.end();) {
        const auto end = std::find_if(first, all.end(), [&](const InViewSatellite& other) {
            return SortKey(other) != SortKey(*first);
        });
        InViewSatellite satellite = *first;
        // A second signal is often reported without the direction the first one gives.
        const auto placed = std::find_if(
            first, end, [](const InViewSatellite& report) { return report.HasPosition; });
        if (!satellite.HasPosition && placed != end) {
            satellite.Elevation = placed->Elevation;
            satellite.Azimuth = placed->Azimuth;
            satellite.HasPosition = true;
        }
        satellites.push_back(satellite);
        first = end;
    }
    satellites_ = std::move(satellites);
    return *satellites_;
}
