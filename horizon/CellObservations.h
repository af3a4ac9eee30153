#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// What was reported of one cell of a map: each SNR heard there and how often, how often a
// satellite stood there without being heard, and when (in observed seconds) it was first reported.
// The map keeps only the strongest signal; these keep enough to tell a clear view from one strong
// reflection, and a blocked direction from one no satellite ever crossed.
class CellObservations {
public:
    struct SnrCount {
        std::uint16_t Snr = 0;
        std::uint32_t Count = 0;

        friend bool operator==(const SnrCount&, const SnrCount&) = default;
    };

    // Counts saturate rather than wrap: a cell can never seem to have been reported less.
    static constexpr std::uint32_t MaxCount = UINT32_MAX;
    // Receivers give 0..99 dB; a larger value from a damaged field is kept as this.
    static constexpr int MaxSnr = UINT16_MAX;

    // A report with a signal (`snr` above 0; clamped to MaxSnr) or without one (0 or below).
    void Add(int snr);
    // For readers of the stored form: `count` reports heard at `snr` (1..MaxSnr), or without a
    // signal. Raises Exception for an SNR out of range.
    void AddHeard(int snr, std::uint32_t count);
    void AddUnheard(std::uint32_t count);

    std::uint64_t Heard() const;
    std::uint32_t Unheard() const { return unheard_; }
    std::uint64_t Reports() const { return Heard() + unheard_; }
    // The median SNR of the reports heard, for an even count the lower of the two middle values;
    // empty when nothing was heard.
    std::optional<int> Median() const;
    std::optional<int> Max() const;
    // Ascending SNR, each at most once, every count above 0.
    const std::vector<SnrCount>& Distribution() const { return heard_; }

    // The observed time (seconds) of the map when the cell was first reported.
    std::uint32_t FirstReported() const { return firstReported_; }
    void SetFirstReported(std::uint32_t seconds) { firstReported_ = seconds; }

    friend bool operator==(const CellObservations&, const CellObservations&) = default;

private:
    std::vector<SnrCount> heard_;
    std::uint32_t unheard_ = 0;
    std::uint32_t firstReported_ = 0;
};
