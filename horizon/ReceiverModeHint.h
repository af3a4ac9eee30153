#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Notices, under the GPS-only receiver setting, a receiver whose sentences only the
// all-systems setting would use: for a minute such sentences arrive and no satellites-in-view
// sentence is accepted (position sentences say nothing: the setting may read those and still
// miss every satellite). Then OnHint is called, once: the user should change the setting.
class ReceiverModeHint {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::chrono::minutes Patience{1};

    explicit ReceiverModeHint(Clock clock = std::chrono::steady_clock::now);

    // A satellites-in-view sentence the GPS-only setting accepted: the receiver is served.
    void Accepted();
    // A sentence only the all-systems setting would use.
    void OtherModeSentence();
    // Looks through received bytes for the satellites-in-view and position sentences of the
    // other talkers of the all-systems setting ("$GLGSV,", "$GNRMC," …), each one an
    // OtherModeSentence. A sentence cut between two blocks is still found.
    void ScanBlock(std::string_view block);

    bool Fired() const { return fired_; }

    // What the user is told when the hint fires.
    static const char* Text();

    std::function<void()> OnHint;

private:
    // Each complete address in `text` that starts before `startsBefore`.
    void ScanAddresses(std::string_view text, std::size_t startsBefore);

    Clock clock_;
    // Since when only other-mode sentences have come, if they have.
    std::optional<std::chrono::steady_clock::time_point> since_;
    bool fired_ = false;
    // The end of the last block, where the start of a sentence may lie.
    std::string tail_;
};
