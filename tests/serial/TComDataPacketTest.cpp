#include "serial/TComDataPacket.h"

#include "TestNames.h"
#include "serial/TCustomComPort.h"
#include "support/FakeSerialDevice.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using Texts = std::vector<std::string>;
// What a packet reported, in order: ("packet" or "discard", text).
using Events = std::vector<std::pair<std::string, std::string>>;

struct Framing {
    std::string start = "";
    std::string stop = "";
    std::int32_t size = 0;
    bool includeStrings = false;
    bool caseInsensitive = false;
    std::int32_t maxBufferSize = 1024;
};

void Configure(TComDataPacket& packet, const Framing& framing) {
    packet.SetStartString(framing.start);
    packet.SetStopString(framing.stop);
    packet.SetSize(framing.size);
    packet.SetIncludeStrings(framing.includeStrings);
    packet.SetCaseInsensitive(framing.caseInsensitive);
    packet.SetMaxBufferSize(framing.maxBufferSize);
}

// Hooks a packet's two reports and keeps them.
struct Recorder {
    explicit Recorder(TComDataPacket& packet) {
        packet.OnPacket = [this](TComDataPacket&, const std::string& text) {
            packets.push_back(text);
            events.emplace_back("packet", text);
        };
        packet.OnDiscard = [this](TComDataPacket&, const std::string& text) {
            discards.push_back(text);
            events.emplace_back("discard", text);
        };
    }

    std::string Discarded() const {
        std::string all;
        for (const std::string& text : discards) {
            all += text;
        }
        return all;
    }

    Texts packets;
    Texts discards;
    Events events;
};

std::string Chars(std::string_view text) {
    return std::string(text);
}

Texts EachCharacter(std::string_view text) {
    Texts blocks;
    for (const char c : text) {
        blocks.emplace_back(1, c);
    }
    return blocks;
}

struct FramingCase {
    const char* name;
    Framing framing;
    Texts blocks;
    Texts packets;
    Texts discards;
    std::string left; // what the buffer still holds
};

void PrintTo(const FramingCase& c, std::ostream* out) {
    *out << c.name;
}

class FramingTest : public testing::TestWithParam<FramingCase> {};

TEST_P(FramingTest, CutsPacketsAndDiscards) {
    const FramingCase& c = GetParam();
    TComDataPacket packet;
    Configure(packet, c.framing);
    Recorder recorder(packet);
    for (const std::string& block : c.blocks) {
        packet.AppendData(block);
    }
    EXPECT_EQ(recorder.packets, c.packets);
    EXPECT_EQ(recorder.discards, c.discards);
    EXPECT_EQ(packet.Buffer(), c.left);
}

const std::string Gsa = "0F\r\n$GPGSA,A,3*1E\r\n";
const std::string GsaAndGsv = Gsa + "$GPGSV,3,1,12,01*7A\r\n";
const Framing Gsv{.start = "$GPGSV,", .stop = "*"};
const Framing GsvWithStrings{.start = "$GPGSV,", .stop = "*", .includeStrings = true};
const Framing GsvAnyCase{.start = "$gpgsv,", .stop = "*", .caseInsensitive = true};
const Framing Dollar{.start = "$", .stop = "*"};
const Framing Dollar16{.start = "$", .stop = "*", .maxBufferSize = 16};
const Framing Gsv16{.start = "$GPGSV,", .stop = "*", .maxBufferSize = 16};
const Framing Star{.stop = "*"};
const Framing Star10{.stop = "*", .size = 10};

const FramingCase FramingRows[] = {
    {"GsvAfterGsa", Gsv, {GsaAndGsv}, {"3,1,12,01"}, {Gsa}, "7A\r\n"},
    {"GsvAfterGsaWithStrings", GsvWithStrings, {GsaAndGsv}, {"$GPGSV,3,1,12,01*"}, {Gsa}, "7A\r\n"},
    {"NoStopConditionPassesBlocksThrough",
     {.start = "$GPGSV,"},
     {"x$GPGSV,1*", "\r\n$GP"},
     {"x$GPGSV,1*", "\r\n$GP"},
     {},
     ""},
    {"StartSplitOverTwoBlocks", Gsv, {"\r\n$GP", "GSV,1*55\r\n"}, {"1"}, {"\r\n"}, "55\r\n"},
    {"StopSplitOverTwoBlocks",
     {.start = "$", .stop = "*\r\n"},
     {"$G,1*", "\r\n$G,2*\r", "\n"},
     {"G,1", "G,2"},
     {},
     ""},
    {"AdjacentShortPacketAfterLongOne", Dollar, {"$abcdefgh", "*$a*"}, {"abcdefgh", "a"}, {}, ""},
    {"TwoSentencesInOneBlock",
     Gsv,
     {"$GPGSV,1*4A\r\n$GPGSV,2*4B\r\n"},
     {"1", "2"},
     {"4A\r\n"},
     "4B\r\n"},
    {"TextBetweenSentencesIsOneDiscard",
     Gsv,
     {"$GPGSV,1*4A\r\n", "$GPRMC,x*00\r\n", "$GPGSV,2*"},
     {"1", "2"},
     {"4A\r\n$GPRMC,x*00\r\n"},
     ""},
    {"CaseInsensitiveStartStripped", GsvAnyCase, {"$GPGSV,1*"}, {"1"}, {}, ""},
    {"CaseInsensitiveKeepsReceivedCase",
     {.start = "$gpgsv,", .stop = "*", .includeStrings = true, .caseInsensitive = true},
     {"x$GpGsV,a*"},
     {"$GpGsV,a*"},
     {"x"},
     ""},
    {"CaseInsensitiveStopString",
     {.start = "$", .stop = "*z", .caseInsensitive = true},
     {"$a*Z"},
     {"a"},
     {},
     ""},
    {"CaseInsensitiveFoldsLettersOnly",
     {.start = "[", .stop = "*", .caseInsensitive = true},
     {"{a*[b*"},
     {"b"},
     {"{a*"},
     ""},
    {"CaseSensitiveMissesOtherCase",
     {.start = "$gpgsv,", .stop = "*"},
     {"$GPGSV,1*"},
     {},
     {},
     "$GPGSV,1*"},
    {"SizeCutsLongBlock", Star10, {"ABCDEFGHIJKLMNOP"}, {"ABCDEFGHIJ"}, {}, "KLMNOP"},
    {"SizeWinsOverEarlierStopString", Star10, {"AB*DEFGHIJKL"}, {"AB*DEFGHIJ"}, {}, "KL"},
    {"StopStringEndsShortPacket", Star10, {"AB*DE"}, {"AB"}, {}, "DE"},
    {"SizeAfterStartString", {.start = "$", .size = 4}, {"xx$abcdef"}, {"abc"}, {"xx"}, "def"},
    {"SizeCutKeepsHalfAStopString", {.stop = "**", .size = 2}, {"a**"}, {"a*"}, {}, "*"},
    {"PacketShorterThanStopStringKept",
     {.stop = "**", .size = 1},
     {"a**"},
     {"a", "*", "*"},
     {},
     ""},
    {"EmptyStartEachStopEndsPacket", Star, {"A*B*"}, {"A", "B"}, {}, ""},
    {"EmptyStartWithStrings",
     {.stop = "*", .includeStrings = true},
     {"A*B*"},
     {"A*", "B*"},
     {},
     ""},
    {"StopNotSoughtInsideStartString", {.start = "*S", .stop = "*"}, {"*Sab*"}, {"ab"}, {}, ""},
    {"OnlyLeadingStartStringStripped", Dollar, {"$$a*"}, {"$a"}, {}, ""},
    {"NulIsOrdinary",
     Dollar,
     {Chars({"\0$a\0b*", 6})},
     {Chars({"a\0b", 3})},
     {Chars({"\0", 1})},
     ""},
    {"LimitReachedByOneCharacterAtATime",
     Dollar16,
     EachCharacter("0123456789ABCDEF"),
     {},
     {"0123456789ABCDEF"},
     ""},
    {"BelowLimitKept", Dollar16, EachCharacter("0123456789ABCDE"), {}, {}, "0123456789ABCDE"},
    {"BlockPastLimitDiscardedWhole",
     Dollar16,
     {"0123456789", "ABCDEFGHIJ"},
     {},
     {"0123456789ABCDEFGHIJ"},
     ""},
    {"NoLimitAtZero",
     {.start = "$", .stop = "*", .maxBufferSize = 0},
     {std::string(3000, 'x')},
     {},
     {},
     std::string(3000, 'x')},
    {"UnfinishedPacketAtLimitDiscardedWhole",
     {.start = "$G", .stop = "*", .maxBufferSize = 8},
     {"x$G1234", "5$"},
     {},
     {"x", "$G12345$"},
     ""},
    {"LimitKeepsStartCutByBlockEnd",
     Gsv16,
     {"0123456789ABC$GP", "GSV,1*"},
     {"1"},
     {"0123456789ABC"},
     ""},
    {"LimitKeepsStartCutByBlockEndInOtherCase",
     {.start = "$gpgsv,", .stop = "*", .caseInsensitive = true, .maxBufferSize = 16},
     {"0123456789ABC$Gp", "gSv,1*"},
     {"1"},
     {"0123456789ABC"},
     ""},
    {"LimitKeepsLongestPartialStart",
     {.start = "$$X", .stop = "*", .maxBufferSize = 4},
     {"12$$", "X1*"},
     {"1"},
     {"12"},
     ""},
    {"LimitDropsTailThatBeginsNoStart", Gsv16, {"0123456789ABC$GX"}, {}, {"0123456789ABC$GX"}, ""},
};

INSTANTIATE_TEST_SUITE_P(Rows, FramingTest, testing::ValuesIn(FramingRows), CaseName());

TEST(TComDataPacket, PacketsAndDiscardsInStreamOrder) {
    TComDataPacket packet;
    Configure(packet, Gsv);
    Recorder recorder(packet);
    packet.AppendData("$GPGSV,1*4A\r\n$GPGSV,2*4B\r\n");
    EXPECT_EQ(recorder.events, (Events{{"packet", "1"}, {"discard", "4A\r\n"}, {"packet", "2"}}));
    EXPECT_FALSE(packet.InPacket());
}

TEST(TComDataPacket, TextAfterStopWaitsForNextStart) {
    TComDataPacket packet;
    Configure(packet, Gsv);
    Recorder recorder(packet);
    packet.AppendData("$GPGSV,1*4A\r\n");
    packet.AppendData("$GPRMC,x*00\r\n");
    EXPECT_TRUE(recorder.discards.empty());
    packet.AppendData("$GPGSV,2*4B");
    EXPECT_EQ(recorder.discards, Texts{"4A\r\n$GPRMC,x*00\r\n"});
}

TEST(TComDataPacket, BlockOfThousandsOfPacketsNeedsLittleStack) {
    // A pass per packet must not mean a stack frame per packet: run on a small stack.
    constexpr int Count = 10000;
    std::string block;
    for (int i = 0; i < Count; ++i) {
        block += "A*";
    }
    int packets = 0;
    std::function<void()> work = [&] {
        TComDataPacket packet;
        packet.SetStopString("*");
        packet.OnPacket = [&](TComDataPacket&, const std::string& text) {
            packets += text == "A" ? 1 : 1000000;
        };
        packet.AppendData(block);
    };
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 256 * 1024), 0);
    pthread_t thread;
    ASSERT_EQ(pthread_create(
                  &thread, &attributes,
                  [](void* argument) -> void* {
                      (*static_cast<std::function<void()>*>(argument))();
                      return nullptr;
                  },
                  &work),
              0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(packets, Count);
}

TEST(TComDataPacket, LimitAfterManyPacketsDiscardsOnce) {
    TComDataPacket packet;
    Configure(packet, Dollar16);
    Recorder recorder(packet);
    packet.AppendData("$1*$2*$3*" + std::string(20, 'x'));
    EXPECT_EQ(recorder.packets, (Texts{"1", "2", "3"}));
    EXPECT_EQ(recorder.discards, Texts{std::string(20, 'x')});
}

// Custom starts and stops.

TEST(TComDataPacket, CustomStartSeesWholeBuffer) {
    TComDataPacket packet;
    Configure(packet, Gsv);
    Texts seen;
    packet.OnCustomStart = [&](TComDataPacket&, const std::string& text, std::int32_t&) {
        seen.push_back(text);
    };
    packet.AppendData("ab");
    packet.AppendData("$GPGSV,1*");
    EXPECT_EQ(seen, (Texts{"ab", "ab$GPGSV,1*", ""}));
}

struct CustomStartCase {
    const char* name;
    std::int32_t pos;
    Texts packets;
    Texts discards;
    std::string left;
    bool inPacket;
};

void PrintTo(const CustomStartCase& c, std::ostream* out) {
    *out << c.name;
}

class CustomStartTest : public testing::TestWithParam<CustomStartCase> {};

TEST_P(CustomStartTest, OverridesStartString) {
    const CustomStartCase& c = GetParam();
    TComDataPacket packet;
    Configure(packet, Dollar);
    Recorder recorder(packet);
    bool answered = false;
    packet.OnCustomStart = [&](TComDataPacket&, const std::string&, std::int32_t& pos) {
        // Only the first start is the handler's; later ones fall back to the start string.
        if (!answered) {
            pos = c.pos;
            answered = true;
        }
    };
    packet.AppendData("xy*$ab");
    EXPECT_EQ(recorder.packets, c.packets);
    EXPECT_EQ(recorder.discards, c.discards);
    EXPECT_EQ(packet.Buffer(), c.left);
    EXPECT_EQ(packet.InPacket(), c.inPacket);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CustomStartTest,
    testing::Values(
        // Wherever the handler puts the start, the stop search skips the start string's length.
        CustomStartCase{"AtFirstCharacterDiscardsNothing", 1, {"xy"}, {}, "$ab", true},
        CustomStartCase{"LaterDiscardsBefore", 2, {"y"}, {"x"}, "$ab", true},
        CustomStartCase{"MinusOneUsesStartString", -1, {}, {"xy*"}, "$ab", true},
        CustomStartCase{"ZeroKeepsWaitingThoughStartStringOccurs", 0, {}, {}, "xy*$ab", false},
        CustomStartCase{"OtherNegativeKeepsWaiting", -2, {}, {}, "xy*$ab", false}),
    CaseName());

TEST(TComDataPacket, CustomStartPastBufferEndDiscardsAll) {
    TComDataPacket packet;
    Configure(packet, {.stop = "*"});
    Recorder recorder(packet);
    packet.OnCustomStart = [](TComDataPacket&, const std::string& text, std::int32_t& pos) {
        if (!text.empty()) {
            pos = 100;
        }
    };
    packet.AppendData("abc");
    EXPECT_EQ(recorder.discards, Texts{"abc"});
    EXPECT_TRUE(packet.InPacket());
    EXPECT_EQ(packet.Buffer(), "");
}

TEST(TComDataPacket, CustomStopCutsAndKeepsEarlierStopString) {
    TComDataPacket packet;
    Configure(packet, {.stop = "*", .size = 2});
    Recorder recorder(packet);
    packet.OnCustomStop = [](TComDataPacket&, const std::string& text, std::int32_t& pos) {
        if (text.size() >= 3) {
            pos = 3;
        }
    };
    packet.AppendData("*b*d");
    // The handler wins over the size too: a 2-character size would have cut "*b".
    EXPECT_EQ(recorder.packets, Texts{"*b*"});
    EXPECT_EQ(packet.Buffer(), "d");
}

TEST(TComDataPacket, CustomStopZeroKeepsPacketOpen) {
    TComDataPacket packet;
    Configure(packet, Dollar);
    Recorder recorder(packet);
    packet.OnCustomStop = [](TComDataPacket&, const std::string&, std::int32_t& pos) { pos = 0; };
    packet.AppendData("$a*b*");
    EXPECT_TRUE(recorder.packets.empty());
    EXPECT_TRUE(packet.InPacket());
    EXPECT_EQ(packet.Buffer(), "$a*b*");
}

TEST(TComDataPacket, CustomStopAloneMakesPacketsWait) {
    TComDataPacket packet;
    Recorder recorder(packet);
    packet.OnCustomStop = [](TComDataPacket&, const std::string& text, std::int32_t& pos) {
        if (text.size() >= 2) {
            pos = 2;
        }
    };
    packet.AppendData("a");
    packet.AppendData("bc");
    EXPECT_EQ(recorder.packets, Texts{"ab"});
    EXPECT_EQ(packet.Buffer(), "c");
}

// A handler that ends a packet whatever the buffer holds gets one empty packet per block once
// the buffer is used up, not an endless run of them.
TEST(TComDataPacket, CustomStopOnEmptyBufferEndsOnce) {
    TComDataPacket packet;
    Recorder recorder(packet);
    packet.OnCustomStop = [](TComDataPacket&, const std::string&, std::int32_t& pos) { pos = 2; };
    packet.AppendData("abc");
    EXPECT_EQ(recorder.packets, (Texts{"ab", "c", ""}));
    EXPECT_EQ(packet.Buffer(), "");
}

// Settings.

struct SettingCase {
    const char* name;
    std::function<void(TComDataPacket&)> change;
    bool flushes;
};

void PrintTo(const SettingCase& c, std::ostream* out) {
    *out << c.name;
}

class SettingTest : public testing::TestWithParam<SettingCase> {};

TEST_P(SettingTest, FlushesOnlyWhenFramingChanges) {
    TComDataPacket packet;
    Configure(packet, Dollar);
    Recorder recorder(packet);
    packet.AppendData("x$ab");
    ASSERT_TRUE(packet.InPacket());
    GetParam().change(packet);
    if (GetParam().flushes) {
        EXPECT_EQ(recorder.discards, (Texts{"x", "$ab"}));
        EXPECT_EQ(packet.Buffer(), "");
        EXPECT_FALSE(packet.InPacket());
    } else {
        EXPECT_EQ(recorder.discards, Texts{"x"});
        EXPECT_EQ(packet.Buffer(), "$ab");
        EXPECT_TRUE(packet.InPacket());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingTest,
    testing::Values(
        SettingCase{"StartString", [](TComDataPacket& p) { p.SetStartString("#"); }, true},
        SettingCase{"SameStartString", [](TComDataPacket& p) { p.SetStartString("$"); }, false},
        SettingCase{"StopString", [](TComDataPacket& p) { p.SetStopString("#"); }, true},
        SettingCase{"SameStopString", [](TComDataPacket& p) { p.SetStopString("*"); }, false},
        SettingCase{"Size", [](TComDataPacket& p) { p.SetSize(20); }, true},
        SettingCase{"SameSize", [](TComDataPacket& p) { p.SetSize(0); }, false},
        SettingCase{"CaseInsensitive", [](TComDataPacket& p) { p.SetCaseInsensitive(true); }, true},
        SettingCase{"IncludeStrings", [](TComDataPacket& p) { p.SetIncludeStrings(true); }, false},
        SettingCase{"MaxBufferSizeBelowBuffer", [](TComDataPacket& p) { p.SetMaxBufferSize(2); },
                    false},
        SettingCase{"FramingWhileLoading",
                    [](TComDataPacket& p) {
                        p.BeginLoading();
                        p.SetStartString("#");
                        p.SetStopString("#");
                        p.SetSize(20);
                        p.SetCaseInsensitive(true);
                        p.EndLoading();
                    },
                    false}),
    CaseName());

TEST(TComDataPacket, StartChangedWhileLoadingAppliesToHeldText) {
    TComDataPacket packet;
    Configure(packet, Dollar);
    Recorder recorder(packet);
    packet.AppendData("ab#c");
    packet.BeginLoading();
    packet.SetStartString("#");
    packet.EndLoading();
    packet.AppendData("*");
    EXPECT_EQ(recorder.discards, Texts{"ab"});
    EXPECT_EQ(recorder.packets, Texts{"c"});
}

TEST(TComDataPacket, FlushOfEmptyBufferKeepsPacketOpen) {
    TComDataPacket packet;
    packet.SetStopString("*");
    Recorder recorder(packet);
    packet.AppendData("A*");
    ASSERT_TRUE(packet.InPacket());
    packet.FlushBuffer();
    EXPECT_TRUE(recorder.discards.empty());
    EXPECT_TRUE(packet.InPacket());
}

// Handlers that throw.

TEST(TComDataPacket, ThrowingPacketHandlerStillLetsLimitRun) {
    TComDataPacket packet;
    Configure(packet, Dollar16);
    Texts discards;
    packet.OnPacket = [](TComDataPacket&, const std::string&) {
        throw std::runtime_error("packet");
    };
    packet.OnDiscard = [&](TComDataPacket&, const std::string& text) { discards.push_back(text); };
    EXPECT_THROW(packet.AppendData("$a*" + std::string(20, 'x')), std::runtime_error);
    EXPECT_EQ(discards, Texts{std::string(20, 'x')});
    EXPECT_EQ(packet.Buffer(), "");
}

TEST(TComDataPacket, ThrowingDiscardHandlerStillEmptiesBuffer) {
    TComDataPacket packet;
    Configure(packet, Dollar);
    packet.AppendData("$abc");
    packet.OnDiscard = [](TComDataPacket&, const std::string&) {
        throw std::runtime_error("discard");
    };
    EXPECT_THROW(packet.FlushBuffer(), std::runtime_error);
    EXPECT_EQ(packet.Buffer(), "");
    EXPECT_FALSE(packet.InPacket());
}

TEST(TComDataPacket, ThrowingDiscardAtLimitStillEmptiesBuffer) {
    TComDataPacket packet;
    Configure(packet, Dollar16);
    packet.OnDiscard = [](TComDataPacket&, const std::string&) {
        throw std::runtime_error("discard");
    };
    EXPECT_THROW(packet.AppendData(std::string(16, 'x')), std::runtime_error);
    EXPECT_EQ(packet.Buffer(), "");
}

TEST(TComDataPacket, ErrorAtLimitReplacesPacketError) {
    TComDataPacket packet;
    Configure(packet, Dollar16);
    packet.OnPacket = [](TComDataPacket&, const std::string&) {
        throw std::runtime_error("packet");
    };
    packet.OnDiscard = [](TComDataPacket&, const std::string&) {
        throw std::logic_error("discard");
    };
    EXPECT_THROW(packet.AppendData("$a*" + std::string(20, 'x')), std::logic_error);
}

// Whole receiver streams: the packets must not depend on how the port split the bytes.

std::string LogStream(const std::string& name) {
    std::ifstream in(std::string(SKYFENCE_NMEA_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    std::string stream;
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with('#')) {
            stream += line + '\n';
        }
    }
    return stream;
}

std::string Sentence(const std::string& body) {
    unsigned char sum = 0;
    for (const char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    char checksum[3];
    std::snprintf(checksum, sizeof checksum, "%02X", sum);
    return "$" + body + "*" + checksum + "\r\n";
}

// Several constellations. GPS satellites come every third second, with well over a kilobyte of
// other sentences between their cycles, many of them "$GP" ones that begin like the starts sought.
std::string MultiConstellationStream() {
    std::string stream;
    for (int second = 0; second < 60; ++second) {
        const std::string time = std::to_string(120000 + second) + ".00";
        stream +=
            Sentence("GNGGA," + time + ",4404.1306,N,12118.8515,W,1,18,0.7,1127.7,M,-19.6,M,,");
        stream +=
            Sentence("GPGGA," + time + ",4404.1306,N,12118.8515,W,1,10,0.9,1127.7,M,-19.6,M,,");
        stream += Sentence("GNGSA,A,3,20,16,09,03,07,10,23,19,27,30,,,1.64,0.98,1.31");
        stream += Sentence("GNGSA,A,3,65,66,72,81,88,,,,,,,,1.64,0.98,1.31");
        stream += Sentence("GPGSA,A,3,20,16,09,03,07,10,23,19,27,30,,,1.64,0.98,1.31");
        if (second % 3 == 0) {
            for (int message = 1; message <= 3; ++message) {
                stream += Sentence("GPGSV,3," + std::to_string(message) + ",12,0" +
                                   std::to_string(message) + ",88,089," +
                                   std::to_string(20 + second % 30) + ",07,60,281,44,23,55,123,33");
            }
        }
        for (const char* talker : {"GL", "GA", "GB"}) {
            for (int message = 1; message <= 3; ++message) {
                stream += Sentence(std::string(talker) + "GSV,3," + std::to_string(message) +
                                   ",10,65,45,120,38,66,30,210,41,72,12,300,25,81,05,030,19");
            }
        }
        stream += Sentence("GPRMC," + time + ",A,4404.1306,N,12118.8515,W,0.03,225.97,130415,,,D");
        stream += Sentence("GNRMC," + time + ",A,4404.1306,N,12118.8515,W,0.03,225.97,130415,,,D");
        stream += Sentence("GPVTG,225.97,T,,M,0.03,N,0.05,K,D");
    }
    return stream;
}

Texts RandomBlocks(const std::string& stream, unsigned seed, std::size_t largest) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> length(1, largest);
    Texts blocks;
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t taken = std::min(length(random), stream.size() - at);
        blocks.push_back(stream.substr(at, taken));
        at += taken;
    }
    return blocks;
}

struct Framed {
    Texts packets;
    std::string discarded;
    Events events;
};

Framed Frame(const Framing& framing, const Texts& blocks) {
    TComDataPacket packet;
    Configure(packet, framing);
    Recorder recorder(packet);
    for (const std::string& block : blocks) {
        packet.AppendData(block);
    }
    packet.FlushBuffer();
    return {recorder.packets, recorder.Discarded(), recorder.events};
}

// The stream rebuilt from what was reported: every byte exactly once, framing put back.
std::string Rebuilt(const Framing& framing, const Events& events) {
    std::string stream;
    for (const auto& [kind, text] : events) {
        stream += kind == "packet" && !framing.includeStrings ? framing.start + text + framing.stop
                                                              : text;
    }
    return stream;
}

struct StreamCase {
    const char* name;
    std::function<std::string()> stream;
    Framing framing;
};

void PrintTo(const StreamCase& c, std::ostream* out) {
    *out << c.name;
}

class StreamTest : public testing::TestWithParam<StreamCase> {};

TEST_P(StreamTest, PacketsDoNotDependOnBlocks) {
    const StreamCase& c = GetParam();
    const std::string stream = c.stream();
    const Framed whole = Frame(c.framing, {stream});
    EXPECT_EQ(Rebuilt(c.framing, whole.events), stream);
    const Framed bytes = Frame(c.framing, EachCharacter(stream));
    EXPECT_EQ(bytes.packets, whole.packets);
    EXPECT_EQ(bytes.discarded, whole.discarded);
    for (const unsigned seed : {1u, 2u, 3u}) {
        for (const std::size_t largest : {std::size_t{16}, std::size_t{300}, std::size_t{2500}}) {
            const Framed split = Frame(c.framing, RandomBlocks(stream, seed, largest));
            EXPECT_EQ(split.packets, whole.packets) << "seed " << seed << ", blocks to " << largest;
            EXPECT_EQ(split.discarded, whole.discarded)
                << "seed " << seed << ", blocks to " << largest;
        }
    }
}

const Framing Rmc{.start = "$GPRMC,", .stop = "*", .includeStrings = true};

std::function<std::string()> Log(const char* name) {
    return [name] { return LogStream(name); };
}

INSTANTIATE_TEST_SUITE_P(Streams, StreamTest,
                         testing::Values(StreamCase{"Mt3339Rmc", Log("mt3339.log"), Rmc},
                                         StreamCase{"Mt3339Gsv", Log("mt3339.log"), Gsv},
                                         StreamCase{"GlonassRmc", Log("bu353-glonass.log"), Rmc},
                                         StreamCase{"GlonassGsv", Log("bu353-glonass.log"), Gsv},
                                         StreamCase{"SyntheticRmc", MultiConstellationStream, Rmc},
                                         StreamCase{"SyntheticGsv", MultiConstellationStream, Gsv}),
                         CaseName());

TEST(TComDataPacket, StreamsHoldWhatTheyAreMeantToTest) {
    EXPECT_EQ(Frame(Gsv, {LogStream("mt3339.log")}).packets.size(), 18u);
    EXPECT_EQ(Frame(Rmc, {LogStream("mt3339.log")}).packets.size(), 30u);
    const std::string synthetic = MultiConstellationStream();
    const std::size_t cycleEnd = synthetic.find("$GPGSV,3,3");
    EXPECT_GT(synthetic.find("$GPGSV,3,1", cycleEnd) - cycleEnd, 1024u);
    EXPECT_EQ(Frame(Gsv, {synthetic}).packets.size(), 60u);
}

TEST(TComDataPacket, GsvSurvivesLimitBetweenCycles) {
    std::string stream = Sentence("GPGSV,1,1,01,09,88,089,31");
    while (stream.size() < 1500) {
        stream += Sentence("GPGSA,A,3,20,16,09,03,07,10,23,19,27,30,,,1.64,0.98,1.31");
    }
    const std::size_t second = stream.size();
    stream += Sentence("GPGSV,1,1,01,07,60,281,44");
    // The block that crosses the kilobyte ends inside the start string.
    const std::size_t cut = second + 4;
    ASSERT_EQ(stream.substr(second, 4), "$GPG");
    const Framed framed = Frame(Gsv, {stream.substr(0, cut), stream.substr(cut)});
    EXPECT_EQ(framed.packets, (Texts{"1,1,01,09,88,089,31", "1,1,01,07,60,281,44"}));
}

// The port.

// A port on a scripted device; binding never opens it, and received bytes are handed out as the
// event thread would on a received-character event.
struct FakePort {
    FakePort() {
        auto device = std::make_unique<FakeSerialDevice>();
        script = device->GetScript();
        port = std::make_unique<TCustomComPort>(nullptr, std::move(device));
        port->OnRxChar = [this](TCustomComPort&, std::int32_t count) { unclaimed += count; };
    }

    void Receive(const std::string& bytes) {
        script->QueueInput(bytes);
        port->DispatchEvents(TComEvents{TComEvent::evRxChar});
    }

    std::shared_ptr<FakeSerialDevice::Script> script;
    std::unique_ptr<TCustomComPort> port;
    // Bytes no link took: the port reports them as received characters instead.
    std::int32_t unclaimed = 0;
};

TEST(TComDataPacket, BoundPacketFramesWhatPortReceives) {
    FakePort fake;
    TComDataPacket packet;
    Configure(packet, Gsv);
    Recorder recorder(packet);
    packet.SetComPort(fake.port.get());
    EXPECT_EQ(packet.ComPort(), fake.port.get());
    EXPECT_FALSE(fake.port->Connected());
    fake.Receive(Chars({"\0\r\n$GPGSV,1,1,01\0*", 18}));
    EXPECT_EQ(recorder.packets, Texts{Chars({"1,1,01\0", 7})});
    EXPECT_EQ(recorder.discards, Texts{Chars({"\0\r\n", 3})});
    EXPECT_EQ(fake.unclaimed, 0);
}

TEST(TComDataPacket, BindingTwiceToSamePortAttachesOnce) {
    FakePort fake;
    TComDataPacket packet;
    packet.SetComPort(fake.port.get());
    EXPECT_NO_THROW(packet.SetComPort(fake.port.get()));
    packet.SetComPort(nullptr);
    EXPECT_EQ(packet.ComPort(), nullptr);
    fake.Receive("abc");
    EXPECT_EQ(fake.unclaimed, 3);
}

TEST(TComDataPacket, PortDestroyedFirstUnbindsPacket) {
    FakePort fake;
    TComDataPacket packet;
    packet.SetComPort(fake.port.get());
    fake.port.reset();
    EXPECT_EQ(packet.ComPort(), nullptr);
}

TEST(TComDataPacket, PacketDestroyedFirstDetachesItsLink) {
    FakePort fake;
    {
        TComDataPacket packet;
        packet.SetComPort(fake.port.get());
    }
    fake.Receive("abc");
    EXPECT_EQ(fake.unclaimed, 3);
}

TEST(TComDataPacket, RebindingMovesLinkToNewPort) {
    FakePort first;
    FakePort second;
    TComDataPacket packet;
    packet.SetStopString("*");
    Recorder recorder(packet);
    packet.SetComPort(first.port.get());
    packet.SetComPort(second.port.get());
    first.Receive("a*");
    second.Receive("b*");
    EXPECT_EQ(first.unclaimed, 2);
    EXPECT_EQ(recorder.packets, Texts{"b"});
    // Only the port now bound may unbind the packet by going away.
    packet.SetComPort(first.port.get());
    second.port.reset();
    EXPECT_EQ(packet.ComPort(), first.port.get());
}

} // namespace
