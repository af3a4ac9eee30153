#pragma once

#include <chrono>
#include <optional>
#include <string_view>
#include <utility>

// What the observations take of one recommended-minimum sentence ("$xxRMC,…*" as the packets
// give it): its UTC time and date, and the position of a valid fix.
struct PositionFix {
    std::optional<std::chrono::sys_seconds> Utc;
    // Degrees, north and east positive; only for a valid fix (status "A").
    std::optional<std::pair<double, double>> Position;
};

// Reads what it can; a field that is empty or not what a receiver sends leaves its part empty.
// Never raises.
PositionFix ReadPositionFix(std::string_view sentence);
