#include "horizon/ReceiverModeHint.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A clock the test sets by hand.
struct FakeClock {
    Clock::time_point now{};
    int reads = 0;
    ReceiverModeHint::Clock Function() {
        return [this] {
            ++reads;
            return now;
        };
    }
};

// 'O': a sentence only the other setting uses, 'A': an accepted one; at the given second.
struct Event {
    int second;
    char kind;
};

struct HintCase {
    const char* name;
    std::vector<Event> events;
    int hints;
};

class ReceiverModeHintTest : public testing::TestWithParam<HintCase> {};

TEST_P(ReceiverModeHintTest, FiresOnceAfterAMinuteOfOtherSentencesOnly) {
    FakeClock clock;
    ReceiverModeHint hint(clock.Function());
    int hints = 0;
    hint.OnHint = [&] { ++hints; };
    for (const Event& event : GetParam().events) {
        clock.now = Clock::time_point{} + std::chrono::seconds(event.second);
        if (event.kind == 'O') {
            hint.OtherModeSentence();
        } else {
            hint.Accepted();
        }
    }
    EXPECT_EQ(hints, GetParam().hints);
    EXPECT_EQ(hint.Fired(), hints > 0);
}

const HintCase HintCases[] = {
    {"a_minute_of_other_sentences", {{0, 'O'}, {30, 'O'}, {60, 'O'}}, 1},
    {"just_under_a_minute", {{0, 'O'}, {30, 'O'}, {59, 'O'}}, 0},
    {"only_once", {{0, 'O'}, {60, 'O'}, {61, 'O'}, {200, 'O'}}, 1},
    {"an_accepted_sentence_starts_the_minute_again",
     {{0, 'O'}, {50, 'A'}, {51, 'O'}, {110, 'O'}, {111, 'O'}},
     1},
    {"accepted_sentences_keep_it_quiet",
     {{0, 'O'}, {40, 'A'}, {41, 'O'}, {90, 'A'}, {100, 'O'}},
     0},
    {"accepted_sentences_only", {{0, 'A'}, {100, 'A'}}, 0},
    {"a_lone_other_sentence", {{0, 'O'}}, 0},
    {"late_other_sentence_after_silence", {{0, 'O'}, {3600, 'O'}}, 1},
};

INSTANTIATE_TEST_SUITE_P(Hints, ReceiverModeHintTest, testing::ValuesIn(HintCases), CaseName());

// The scan reports each other-mode sentence it finds as one read of the clock; the clock never
// moves, so the hint never fires and every sentence is counted.
int Found(const std::string& stream, std::size_t blockSize) {
    FakeClock clock;
    ReceiverModeHint hint(clock.Function());
    for (std::size_t at = 0; at < stream.size(); at += blockSize) {
        hint.ScanBlock(std::string_view(stream).substr(at, blockSize));
    }
    return clock.reads;
}

struct ScanCase {
    const char* name;
    std::string stream;
    int found;
};

class ReceiverModeHintScanTest : public testing::TestWithParam<ScanCase> {};

TEST_P(ReceiverModeHintScanTest, FindsOtherTalkersWhereverBlocksAreCut) {
    for (std::size_t blockSize = 1; blockSize <= 12; ++blockSize) {
        EXPECT_EQ(Found(GetParam().stream, blockSize), GetParam().found)
            << "blocks of " << blockSize;
    }
    EXPECT_EQ(Found(GetParam().stream, GetParam().stream.size()), GetParam().found);
}

const ScanCase ScanCases[] = {
    {"other_talkers",
     "$GLGSV,3,1,09*6D\r\n$GNRMC,1*00\r\n$BDGSV,1*00\r\n$GAGSV,1*00\r\n$GBGSV,1*00\r\n"
     "$GQGSV,1*00\r\n$QZGSV,1*00\r\n$GIGSV,1*00\r\n$GNGSV,1*00\r\n$GLRMC,1*00\r\n",
     10},
    {"gps_and_other_sentences_are_not_counted",
     "$GPGSV,3,1,11*00\r\n$GPRMC,1*00\r\n$GNGSA,1*00\r\n$GNGGA,1*00\r\n$XXGSV,1*00\r\n"
     "$GLGSV*00\r\n$GLGSVX,1\r\n",
     0},
    {"back_to_back", "$GLGSV,$GLGSV,$$GNRMC,", 3},
    {"cut_at_the_very_end", "xx$GLGSV", 0},
};

INSTANTIATE_TEST_SUITE_P(Streams, ReceiverModeHintScanTest, testing::ValuesIn(ScanCases),
                         CaseName());

} // namespace
