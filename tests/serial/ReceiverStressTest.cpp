// Random bytes at full speed from a receiver gone wrong, for as long as SKYFENCE_STRESS_SECONDS
// says (ten seconds otherwise). Kept out of the everyday test run (label "stress"); scripts/soak
// runs it.
#include "ProcessStatus.h"
#include "ReceiverPort.h"
#include "SerialTestSupport.h"

#include "device/serial/PseudoTerminal.h"
#include "platform/MainThreadCalls.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// How long the random stream runs: SKYFENCE_STRESS_SECONDS for a soak, a few seconds otherwise.
std::chrono::seconds StressDuration() {
    const char* text = std::getenv("SKYFENCE_STRESS_SECONDS");
    const int seconds = text != nullptr ? std::atoi(text) : 0;
    return std::chrono::seconds(seconds > 0 ? seconds : 10);
}

long ResidentKilobytes() {
    return ProcessKilobytes(::getpid(), "VmRSS");
}

// What a receiver gone wrong sends, block by block: noise, sentences whole and cut short,
// sentences that never end, and starts of sentences at the end of a block.
class NoisyReceiver {
public:
    explicit NoisyReceiver(unsigned seed) : random_(seed) {
        for (const std::string& capture : ReceiverCaptures) {
            std::istringstream lines(LogWithoutComments(capture));
            for (std::string line; std::getline(lines, line);) {
                sentences_.push_back(line + "\n");
            }
        }
    }

    std::string NextBlock() {
        const std::string& sentence = sentences_[random_() % sentences_.size()];
        switch (random_() % 5) {
        case 0:
            return Noise(1 + random_() % 2048, false);
        case 1:
            return sentence;
        case 2:
            return (random_() % 2 == 0 ? "$GPGSV," : "$GPRMC,") + Noise(random_() % 3000, true);
        case 3:
            return sentence.substr(0, random_() % sentence.size());
        default:
            return std::string("$GPGSV,").substr(0, 1 + random_() % 6);
        }
    }

private:
    std::string Noise(std::size_t size, bool withoutStop) {
        std::string bytes(size, '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>(random_());
            if (withoutStop && byte == '*') {
                byte = '+';
            }
        }
        return bytes;
    }

    std::mt19937 random_;
    std::vector<std::string> sentences_;
};

// Packets and buffers stay bounded, nothing crashes, and memory stays flat while the terminal
// delivers random bytes as fast as this thread takes them.
TEST(ReceiverFault, RandomBytesAtFullSpeedStayWithinTheBufferLimits) {
    const std::chrono::seconds duration = StressDuration();
    PseudoTerminal terminal;
    MakeNonBlocking(terminal.Master());
    ReceiverPort receiver(terminal.Path());
    receiver.port.SetBaudRate(TBaudRate::br256000);

    std::size_t block = 0;
    std::size_t blocks = 0;
    std::size_t packets = 0;
    std::size_t discards = 0;
    std::string firstFault;
    const auto fault = [&](const std::string& what) {
        if (firstFault.empty()) {
            firstFault = what + " after " + std::to_string(blocks) + " blocks";
        }
    };
    // The block being delivered, seen before any packet has it.
    receiver.port.OnRxBuf = [&](TCustomComPort&, const void*, std::int32_t count) {
        block = static_cast<std::size_t>(count);
        ++blocks;
    };
    // A packet or a discarded text holds at most the buffer kept from before and this block.
    const auto bounded = [&](std::size_t& counter, const char* what) {
        return [&counter, &block, &fault, what](TComDataPacket& packet, const std::string& s) {
            ++counter;
            if (s.size() >= static_cast<std::size_t>(packet.MaxBufferSize()) + block) {
                fault(std::string(what) + " of " + std::to_string(s.size()) + " bytes");
            }
        };
    };
    receiver.positions.OnPacket = bounded(packets, "position packet");
    receiver.views.OnPacket = bounded(packets, "view packet");
    receiver.positions.OnDiscard = bounded(discards, "discarded position text");
    receiver.views.OnDiscard = bounded(discards, "discarded view text");
    // Attached after the packets: it sees what they keep once they have taken a block.
    TComLink buffers;
    buffers.OnRxData = [&](TCustomComPort&, const void*, std::int32_t) {
        for (const TComDataPacket* packet : {&receiver.positions, &receiver.views}) {
            if (packet->Buffer().size() >= static_cast<std::size_t>(packet->MaxBufferSize())) {
                fault("a buffer of " + std::to_string(packet->Buffer().size()) + " bytes");
            }
        }
    };
    receiver.port.AttachLink(buffers);
    receiver.port.Open();

    std::atomic<bool> stop = false;
    long warmedUp = 0;
    long atEnd = 0;
    {
        const std::jthread farEnd([&] {
            NoisyReceiver noise(31337);
            while (!stop) {
                WriteUnlessStopped(terminal.Master(), noise.NextBlock(), stop);
            }
        });
        const auto deliverUntil = [](std::chrono::steady_clock::time_point end) {
            while (std::chrono::steady_clock::now() < end) {
                MainThreadCalls::Instance().WaitAndRun(5ms);
            }
        };
        const auto start = std::chrono::steady_clock::now();
        deliverUntil(start + duration / 5);
        warmedUp = ResidentKilobytes();
        deliverUntil(start + duration);
        atEnd = ResidentKilobytes();
        stop = true;
    }
    receiver.port.Close();
    receiver.port.DetachLink(buffers);

    EXPECT_EQ(firstFault, "");
    EXPECT_GT(packets, 0u);
    EXPECT_GT(discards, 0u);
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer holds freed memory back in its quarantine: the resident size says nothing.
    (void)warmedUp;
    (void)atEnd;
#else
    EXPECT_LT(atEnd - warmedUp, 32 * 1024)
        << "resident kB after warm-up " << warmedUp << ", at the end " << atEnd;
#endif
    std::printf("%zu blocks, %zu packets, %zu discarded texts; resident kB %ld -> %ld\n", blocks,
                packets, discards, warmedUp, atEnd);
}

} // namespace
