#include "CellObservations.h"

#include "platform/Exception.h"

#include <algorithm>
#include <string>

namespace {

std::uint32_t SaturatingAdd(std::uint32_t a, std::uint32_t b) {
    return a > CellObservations::MaxCount - b ? CellObservations::MaxCount : a + b;
}

} // namespace

void CellObservations::Add(int snr) {
    if (snr > 0) {
        AddHeard(std::min(snr, MaxSnr), 1);
    } else {
        AddUnheard(1);
    }
}

void CellObservations::AddHeard(int snr, std::uint32_t count) {
    if (snr < 1 || snr > MaxSnr) {
        throw Exception("An SNR of " + std::to_string(snr) + " dB cannot have been heard");
    }
    if (count == 0) {
        return;
    }
    const auto value = static_cast<std::uint16_t>(snr);
    const auto at =
        std::lower_bound(heard_.begin(), heard_.end(), value,
                         [](const SnrCount& entry, std::uint16_t v) { return entry.Snr < v; });
    if (at != heard_.end() && at->Snr == value) {
        at->Count = SaturatingAdd(at->Count, count);
    } else {
        heard_.insert(at, SnrCount{value, count});
    }
}

void CellObservations::AddUnheard(std::uint32_t count) {
    unheard_ = SaturatingAdd(unheard_, count);
}

std::uint64_t CellObservations::Heard() const {
    std::uint64_t total = 0;
    for (const SnrCount& entry : heard_) {
        total += entry.Count;
    }
    return total;
}

std::optional<int> CellObservations::Median() const {
    const std::uint64_t total = Heard();
    if (total == 0) {
        return std::nullopt;
    }
    // The lower middle one: the ((total + 1) / 2)-th value in ascending order.
    const std::uint64_t rank = (total + 1) / 2;
    std::uint64_t seen = 0;
    for (const SnrCount& entry : heard_) {
        seen += entry.Count;
        if (seen >= rank) {
            return entry.Snr;
        }
    }
    return heard_.back().Snr;
}

std::optional<int> CellObservations::Max() const {
    if (heard_.empty()) {
        return std::nullopt;
    }
    return heard_.back().Snr;
}
