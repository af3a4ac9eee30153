#include "SimulationPacer.h"

#include <algorithm>
#include <cmath>
#include <vector>

std::string SimulationPacer::Tick(std::chrono::steady_clock::duration elapsed,
                                  const SecondText& second) {
    const double simulated = std::chrono::duration<double>(elapsed).count() * speed_;
    const auto due = static_cast<std::int64_t>(std::floor(simulated));
    // Newest first, so that the budget goes to the present rather than to the backlog.
    std::vector<std::string> texts;
    std::size_t bytes = 0;
    std::int64_t oldest = due + 1;
    while (oldest > next_) {
        std::string text = second(oldest - 1);
        if (!texts.empty() && bytes + text.size() > bytesPerTick_) {
            break;
        }
        bytes += text.size();
        texts.push_back(std::move(text));
        --oldest;
    }
    if (oldest > next_) {
        dropped_ += oldest - next_;
    }
    next_ = std::max(next_, due + 1);
    std::string out;
    out.reserve(bytes);
    for (auto text = texts.rbegin(); text != texts.rend(); ++text) {
        out += *text;
    }
    return out;
}
