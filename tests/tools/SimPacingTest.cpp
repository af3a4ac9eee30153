#include "tools/sim/ReplayLog.h"
#include "tools/sim/ReplayPacer.h"
#include "tools/sim/SimulationPacer.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Simulated second n as "n;" padded with blanks to `size` bytes, so the seconds read back.
SimulationPacer::SecondText Seconds(std::size_t size) {
    return [size](std::int64_t n) {
        std::string text = std::to_string(n) + ";";
        text.resize(std::max(size, text.size()), ' ');
        return text;
    };
}

std::vector<int> Written(const std::string& text) {
    std::vector<int> seconds;
    for (std::size_t start = 0, end = 0; (end = text.find(';', start)) != std::string::npos;
         start = text.find_first_not_of(' ', end + 1)) {
        seconds.push_back(std::stoi(text.substr(start, end - start)));
    }
    return seconds;
}

TEST(SimSimulationPacer, EachSecondOnceAtNormalSpeed) {
    SimulationPacer pacer(1, 20000);
    const auto second = Seconds(0);
    EXPECT_EQ(Written(pacer.Tick(0ms, second)), std::vector<int>{0});
    EXPECT_EQ(Written(pacer.Tick(999ms, second)), std::vector<int>{});
    EXPECT_EQ(Written(pacer.Tick(1000ms, second)), std::vector<int>{1});
    EXPECT_EQ(Written(pacer.Tick(3050ms, second)), (std::vector<int>{2, 3}));
    EXPECT_EQ(pacer.DroppedSeconds(), 0);
}

TEST(SimSimulationPacer, FastSpeedDropsTheOldestBeyondTheBudget) {
    // 60 seconds come due per tick, 50 fit.
    SimulationPacer pacer(600, 50 * 400);
    const auto second = Seconds(400);
    pacer.Tick(0ms, second);
    const std::vector<int> first = Written(pacer.Tick(100ms, second));
    ASSERT_EQ(first.size(), 50u);
    EXPECT_EQ(first.front(), 11);
    EXPECT_EQ(first.back(), 60);
    EXPECT_EQ(pacer.DroppedSeconds(), 10);
    // Minutes later the output is still at the present, not behind it.
    const std::vector<int> later = Written(pacer.Tick(300s, second));
    ASSERT_EQ(later.size(), 50u);
    EXPECT_EQ(later.back(), 180000);
    // The newest second goes out even when it alone is over the budget.
    EXPECT_EQ(Written(SimulationPacer(10, 100).Tick(1s, Seconds(500))), std::vector<int>{10});
}

TEST(SimReplayPacer, BytesAtTheRate) {
    ReplayPacer pacer("0123456789", 100, false);
    EXPECT_EQ(pacer.Tick(50ms), "01234");
    EXPECT_EQ(pacer.Tick(79ms), "56");
    EXPECT_FALSE(pacer.Finished());
    EXPECT_EQ(pacer.Tick(1s), "789");
    EXPECT_TRUE(pacer.Finished());
    EXPECT_EQ(pacer.Tick(2s), "");
}

TEST(SimReplayPacer, LoopStartsAgain) {
    ReplayPacer pacer("abc", 10, true);
    EXPECT_EQ(pacer.Tick(1s), "abcabcabca");
    EXPECT_EQ(pacer.Tick(1200ms), "bc");
    EXPECT_FALSE(pacer.Finished());
}

struct LogCase {
    const char* name;
    const char* recorded;
    const char* replayed;
};

class SimReplayLog : public testing::TestWithParam<LogCase> {};

TEST_P(SimReplayLog, NotesLeftOutBytesKept) {
    EXPECT_EQ(ReplayLog(GetParam().recorded).Bytes(), GetParam().replayed);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, SimReplayLog,
    testing::Values(LogCase{"HeaderOnly", "# Name: x\r\n#\n", ""},
                    LogCase{"CrLfKept", "# note\r\n$A*00\r\n$B*00\r\n", "$A*00\r\n$B*00\r\n"},
                    LogCase{"LfKept", "$A*00\n#x\n$B*00\n", "$A*00\n$B*00\n"},
                    LogCase{"LastLineUnterminated", "$A*00\r\n$B*0", "$A*00\r\n$B*0"},
                    LogCase{"LastNoteUnterminated", "$A*00\r\n# end", "$A*00\r\n"},
                    LogCase{"HashInsideALine", " #x\n$A,#*00\n", " #x\n$A,#*00\n"}),
    CaseName());

} // namespace
