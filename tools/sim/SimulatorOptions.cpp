#include "SimulatorOptions.h"

#include <charconv>
#include <cmath>
#include <set>
#include <string_view>

namespace {

std::optional<double> PositiveNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        value <= 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint64_t> Count(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<SimulatorOptions> ParseSimulatorOptions(const std::vector<std::string>& arguments) {
    SimulatorOptions options;
    std::set<std::string_view> seen;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view option = arguments[i];
        if (!seen.insert(option).second) {
            return std::nullopt;
        }
        if (option == "--loop") {
            options.loop = true;
            continue;
        }
        if (option == "--all-systems") {
            options.allSystems = true;
            continue;
        }
        if (i + 1 == arguments.size()) {
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        if (option == "--link" && !value.empty()) {
            options.link = value;
        } else if (option == "--replay" && !value.empty()) {
            options.replay = value;
        } else if (option == "--speed" && PositiveNumber(value) &&
                   *PositiveNumber(value) <= MaxSpeed) {
            options.speed = *PositiveNumber(value);
        } else if (option == "--rate" && PositiveNumber(value)) {
            options.bytesPerSecond = *PositiveNumber(value);
        } else if (option == "--seed" && Count(value)) {
            options.seed = *Count(value);
        } else {
            return std::nullopt;
        }
    }
    if (options.link.empty() ||
        (!options.replay && (seen.contains("--loop") || seen.contains("--rate"))) ||
        (options.replay && options.allSystems)) {
        return std::nullopt;
    }
    return options;
}
