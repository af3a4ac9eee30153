#include "FuzzCheck.h"
#include "FuzzEntries.h"
#include "FuzzInput.h"
#include "platform/Exception.h"
#include "serial/TComDataPacket.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string>

// Input: start string, stop string, Size, MaxBufferSize, IncludeStrings, CaseInsensitive,
// handlers, then blocks of received bytes, each after its length byte. A length byte of 0
// changes CaseInsensitive between two blocks, which flushes the buffer.

namespace {

constexpr std::int32_t Largest = std::numeric_limits<std::int32_t>::max();

// Nothing, a negative value, a small one, the default buffer size, or the largest there is.
std::int32_t Length(FuzzInput& input) {
    const std::uint8_t choice = input.Byte();
    const std::int32_t amount = choice / 5;
    switch (choice % 5) {
    case 0:
        return 0;
    case 1:
        return -amount;
    case 2:
        return 1 + amount % 64;
    case 3:
        return 1024;
    default:
        return Largest;
    }
}

// Where the application handlers put a start or end: each call takes the next of four positions
// chosen by the input (-1 lets the built-in rule decide), and every `throwEvery`th call of any
// handler raises, as an application's handler may.
class Handlers {
public:
    explicit Handlers(FuzzInput& input) {
        const std::uint8_t use = input.Byte();
        customStart_ = (use & 1) != 0;
        customStop_ = (use & 2) != 0;
        throwEvery_ = use >> 5;
        for (std::int32_t& position : positions_) {
            const std::uint8_t choice = input.Byte();
            position = choice == 0xFF ? Largest : static_cast<std::int32_t>(choice % 72) - 3;
        }
    }

    void Attach(TComDataPacket& packet, std::string& out) {
        packet.OnPacket = [this, &out](TComDataPacket&, const std::string& str) {
            out += str;
            MaybeThrow();
        };
        packet.OnDiscard = [this, &out](TComDataPacket&, const std::string& str) {
            out += str;
            MaybeThrow();
        };
        const auto position = [this](TComDataPacket&, const std::string&, std::int32_t& pos) {
            pos = positions_[next_++ % positions_.size()];
            MaybeThrow();
        };
        if (customStart_) {
            packet.OnCustomStart = position;
        }
        if (customStop_) {
            packet.OnCustomStop = position;
        }
    }

private:
    void MaybeThrow() {
        if (throwEvery_ != 0 && ++calls_ % throwEvery_ == 0) {
            throw Exception("a handler failed");
        }
    }

    bool customStart_ = false;
    bool customStop_ = false;
    unsigned throwEvery_ = 0;
    unsigned calls_ = 0;
    std::size_t next_ = 0;
    std::array<std::int32_t, 4> positions_{};
};

} // namespace

void FuzzDataPacket(std::span<const std::uint8_t> data) {
    FuzzInput input(data);
    TComDataPacket packet;
    packet.SetStartString(input.Text(8));
    packet.SetStopString(input.Text(4));
    packet.SetSize(Length(input));
    packet.SetMaxBufferSize(Length(input));
    packet.SetIncludeStrings(input.Flag());
    packet.SetCaseInsensitive(input.Flag());
    Handlers handlers(input);
    std::string in;
    std::string out;
    handlers.Attach(packet, out);

    while (!input.Empty()) {
        const std::uint8_t length = input.Byte();
        try {
            if (length == 0) {
                packet.SetCaseInsensitive(!packet.CaseInsensitive());
            } else {
                const std::string block = input.Bytes(length);
                in += block;
                packet.AppendData(block);
            }
        } catch (const Exception&) {
            // A handler's error travels on to the port's dispatch; the packet goes on.
        }
        const std::size_t limit = static_cast<std::size_t>(packet.MaxBufferSize());
        FuzzCheck(packet.MaxBufferSize() <= 0 || packet.Buffer().size() < limit ||
                      packet.Buffer().size() < packet.StartString().size(),
                  "the buffer stays below MaxBufferSize but for a part of a start string");
        if (packet.IncludeStrings()) {
            FuzzCheck(out + packet.Buffer() == in,
                      "every byte is delivered, discarded or held, once and in order");
        }
    }
}
