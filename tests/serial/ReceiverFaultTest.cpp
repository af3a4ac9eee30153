// A receiver that goes away or talks nonsense, on a real pseudo-terminal, into a port with the data
// packets the program's window sets up. The far end of the terminal runs on a thread of its own,
// as a receiver would, while this thread delivers the port's events.
#include "ReceiverPort.h"
#include "SerialTestSupport.h"

#include "device/serial/PseudoTerminal.h"
#include "platform/MainThreadCalls.h"
#include "serial/TComDataPacket.h"
#include "serial/TComPort.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <random>
#include <sstream>
#include <string_view>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

bool IsPrefix(const std::vector<std::string>& got, const std::vector<std::string>& whole) {
    return got.size() <= whole.size() && std::equal(got.begin(), got.end(), whole.begin());
}

TEST(ReceiverFault, VanishingAtRandomMomentsIsReportedOnceAndThePortCloses) {
    std::mt19937 random(90210);
    std::size_t received = 0;
    for (int round = 0; round < 30; ++round) {
        const std::string capture =
            LogWithoutComments(ReceiverCaptures[random() % ReceiverCaptures.size()]);
        const std::size_t cut =
            std::uniform_int_distribution<std::size_t>(0, capture.size())(random);
        const auto pause = std::chrono::microseconds(random() % 3000);
        const unsigned blockSeed = random();
        // Only whole sentences sent before the end can arrive, and only as they were sent.
        const std::string sent = capture.substr(0, cut);
        const std::vector<std::string> sentPositions = Cut(sent, "$GPRMC,", true);
        const std::vector<std::string> sentViews = Cut(sent, "$GPGSV,", false);

        PseudoTerminal terminal;
        MakeNonBlocking(terminal.Master());
        ReceiverPort receiver(terminal.Path());
        std::vector<TComErrors> errors;
        std::vector<std::string> positions;
        std::vector<std::string> views;
        receiver.port.OnError = [&](TCustomComPort&, TComErrors e) { errors.push_back(e); };
        receiver.positions.OnPacket = [&](TComDataPacket&, const std::string& s) {
            positions.push_back(s);
        };
        receiver.views.OnPacket = [&](TComDataPacket&, const std::string& s) {
            views.push_back(s);
        };
        receiver.port.Open();
        std::atomic<bool> stop = false;
        bool reported = false;
        {
            const std::jthread farEnd([&] {
                std::mt19937 blocks(blockSeed);
                for (std::size_t at = 0; at < cut && !stop;) {
                    const std::size_t size = std::min<std::size_t>(1 + blocks() % 300, cut - at);
                    WriteUnlessStopped(terminal.Master(), std::string_view(sent).substr(at, size),
                                       stop);
                    at += size;
                }
                std::this_thread::sleep_for(pause);
                terminal.CloseMaster();
            });
            reported = PumpUntil([&] { return !errors.empty(); });
            stop = true;
        }
        ASSERT_TRUE(reported) << "round " << round << ": the end was never reported";
        // Nothing more arrives however long the events are delivered.
        for (int i = 0; i < 20; ++i) {
            MainThreadCalls::Instance().WaitAndRun(5ms);
        }
        ASSERT_EQ(errors.size(), 1u) << "round " << round;
        EXPECT_TRUE(errors.front().Contains(TComError::errIO)) << "round " << round;
        EXPECT_TRUE(IsPrefix(positions, sentPositions)) << "round " << round;
        EXPECT_TRUE(IsPrefix(views, sentViews)) << "round " << round;
        receiver.port.Close();
        EXPECT_FALSE(receiver.port.Connected()) << "round " << round;
        received += positions.size() + views.size();
    }
    EXPECT_GT(received, 0u) << "no round delivered a sentence";
}

} // namespace
