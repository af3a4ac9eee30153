#include "horizon/TalkerFramer.h"
#include "serial/TComDataPacket.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Sentences = std::vector<std::pair<std::string, std::string>>;

const std::vector<std::string> Talkers{"GP", "GL", "GN"};

std::vector<std::string> Blocks(const std::string& stream, const std::vector<std::size_t>& sizes) {
    std::vector<std::string> blocks;
    for (std::size_t at = 0, next = 0; at < stream.size(); at += sizes[next++ % sizes.size()]) {
        blocks.push_back(stream.substr(at, sizes[next % sizes.size()]));
    }
    return blocks;
}

// A data packet of its own for each talker, each taking every block in turn, as a port serves
// the packets attached to it.
Sentences ByPacketsPerTalker(const std::vector<std::string>& blocks, bool keepFraming) {
    Sentences cut;
    std::vector<std::unique_ptr<TComDataPacket>> packets;
    for (const std::string& talker : Talkers) {
        auto packet = std::make_unique<TComDataPacket>();
        packet->SetStartString("$" + talker + "GSV,");
        packet->SetStopString("*");
        packet->SetIncludeStrings(keepFraming);
        packet->OnPacket = [&cut, talker](TComDataPacket&, const std::string& text) {
            cut.emplace_back(talker, text);
        };
        packets.push_back(std::move(packet));
    }
    for (const std::string& block : blocks) {
        for (const auto& packet : packets) {
            packet->AppendData(block);
        }
    }
    return cut;
}

Sentences ByFramer(const std::vector<std::string>& blocks, bool keepFraming) {
    Sentences cut;
    TalkerFramer framer("GSV", Talkers, keepFraming);
    framer.OnSentence = [&cut](std::string_view talker, const std::string& text) {
        cut.emplace_back(std::string(talker), text);
    };
    for (const std::string& block : blocks) {
        framer.AppendData(block);
    }
    return cut;
}

void ExpectSameAsPackets(const std::vector<std::string>& blocks) {
    for (const bool keepFraming : {false, true}) {
        EXPECT_EQ(ByFramer(blocks, keepFraming), ByPacketsPerTalker(blocks, keepFraming))
            << (keepFraming ? "whole sentences" : "bodies");
    }
}

struct StreamCase {
    std::string name;
    std::string stream;
    std::vector<std::size_t> sizes;
};

void PrintTo(const StreamCase& c, std::ostream* out) {
    *out << c.name;
}

const std::string Filler(1100, 'x');

const StreamCase StreamCases[] = {
    {"clean", "$GPGSV,1,1,01*AA\r\n$GLGSV,1,1,02*BB\r\n$GNGSV,1,1,03*CC\r\n", {64}},
    {"clean_byte_by_byte", "$GPGSV,1,1,01*AA\r\n$GLGSV,1,1,02*BB\r\n$GNGSV,1,1,03*CC\r\n", {1}},
    {"cut_by_another_talker",
     "$GPGSV,2,1,08,01\r\n$GLGSV,1,1,02,70*6A\r\n$GPGSV,2,2,08*00\r\n",
     {5, 17}},
    {"own_address_inside", "$GPGSV,1,$GPGSV,2*\r\n$GPGSV,3*", {7}},
    {"address_across_blocks", "$GLGSV,1*$GPGSV,2*", {3, 4, 2}},
    {"other_talkers_and_sentences", "$XXGSV,1*$GPGGA,2*$gpgsv,3*$GPGSV 4*$GPGSV,5*", {9}},
    {"stars_without_sentences", "*$GPGSV,*,**$GLGSV,*", {2}},
    {"open_past_the_limit", "$GPGSV," + Filler + "*$GLGSV,1*$GPGSV,2*", {64}},
    {"address_at_the_limit_seam",
     "$GPGSV," + Filler.substr(0, 1017) + "$GPGSV,9*$GPGSV,8*",
     {1027, 64}},
    {"one_talker_past_the_limit_the_other_not", "$GLGSV,1,$GPGSV," + Filler + "*$GLGSV,2*", {512}},
    {"waiting_past_the_limit_keeps_a_started_address", Filler + "$GPGSV,1*", {1103, 64}},
    {"sentence_one_byte_short_of_the_limit",
     "$GPGSV," + Filler.substr(0, 1016) + "*$GLGSV,1*",
     {1023, 1}},
    {"sentence_reaching_the_limit", "$GPGSV," + Filler.substr(0, 1017) + "*$GLGSV,1*", {1024, 1}},
};

class TalkerFramerTest : public testing::TestWithParam<StreamCase> {};

TEST_P(TalkerFramerTest, CutsAsAPacketPerTalker) {
    ExpectSameAsPackets(Blocks(GetParam().stream, GetParam().sizes));
}

INSTANTIATE_TEST_SUITE_P(Streams, TalkerFramerTest, testing::ValuesIn(StreamCases), CaseName());

TEST(TalkerFramer, SentenceWithoutItsEndTakesTheNextTalkersAndABlockGoesTalkerByTalker) {
    const Sentences expected{
        {"GP", "2,1,08,01\r\n$GLGSV,1,1,02,70"}, {"GP", "2,2,08"}, {"GL", "1,1,02,70"}};
    EXPECT_EQ(ByFramer({"$GPGSV,2,1,08,01\r\n$GLGSV,1,1,02,70*6A\r\n$GPGSV,2,2,08*00\r\n"}, false),
              expected);
}

TEST(TalkerFramer, LimitIsThePacketsDefault) {
    EXPECT_EQ(TalkerFramer::MaxSentenceBytes,
              static_cast<std::size_t>(TComDataPacket().MaxBufferSize()));
}

// Streams of the pieces damaged receivers make of sentences, cut into blocks of any size.
TEST(TalkerFramer, RandomDamageCutsAsAPacketPerTalker) {
    const std::vector<std::string> pieces{"$GPGSV,",
                                          "$GLGSV,",
                                          "$GNGSV,",
                                          "$GP",
                                          "GSV,",
                                          "$GLG",
                                          "$XXGSV,",
                                          "*",
                                          "1,2,",
                                          "\r\n",
                                          std::string(300, 'x')};
    std::mt19937 random(20261208);
    std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
    std::uniform_int_distribution<std::size_t> size(1, 700);
    for (int run = 0; run < 300; ++run) {
        std::string stream;
        for (int k = 0; k < 40; ++k) {
            stream += pieces[piece(random)];
        }
        const std::vector<std::string> blocks = Blocks(stream, {size(random), size(random)});
        ExpectSameAsPackets(blocks);
        if (HasFailure()) {
            ADD_FAILURE() << "stream " << testing::PrintToString(stream);
            return;
        }
    }
}

} // namespace
