#include "horizon/SkyView.h"
#include "horizon/SatelliteTexts.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using enum SatelliteSystem;

// The sky view from bodies as they would arrive, each with its talker.
struct Arrival {
    const char* talker;
    const char* body;
};

// A second passes with each sentence, as when a receiver's sentences come one by one; with
// `step` 0 they all come at once, as in one block of several epochs.
SkyView::Clock Stepping(std::chrono::seconds step = std::chrono::seconds(1)) {
    auto now = std::make_shared<std::chrono::steady_clock::time_point>();
    return [now, step] { return *now += step; };
}

SkyView ViewOf(const std::vector<Arrival>& arrivals, SkyView::Clock clock = Stepping()) {
    SkyView sky(std::move(clock));
    for (const Arrival& arrival : arrivals) {
        const auto sentence = ParseMultiSystemSentence(arrival.talker, arrival.body);
        EXPECT_TRUE(sentence.has_value()) << arrival.body;
        if (sentence) {
            sky.Take(arrival.talker, *sentence);
        }
    }
    return sky;
}

// System (or none), PRN, SNR (-1: none).
using Entry = std::tuple<std::optional<SatelliteSystem>, int, int>;

std::vector<Entry> Entries(const SkyView& sky) {
    std::vector<Entry> entries;
    for (const InViewSatellite& satellite : sky.Satellites()) {
        entries.emplace_back(satellite.System, satellite.PRN,
                             satellite.HasSnr ? satellite.SNR : -1);
    }
    return entries;
}

struct SkyCase {
    const char* name;
    std::vector<Arrival> arrivals;
    std::vector<Entry> expected;
};

class SkyViewTest : public testing::TestWithParam<SkyCase> {};

TEST_P(SkyViewTest, Satellites) {
    const SkyView sky = ViewOf(GetParam().arrivals);
    EXPECT_EQ(Entries(sky), GetParam().expected);
    EXPECT_EQ(sky.Count(), GetParam().expected.size());
}

const SkyCase SkyCases[] = {
    {"systems_in_order_then_prn",
     {{"GL", "1,1,02,70,10,010,30,66,10,010,31"},
      {"GP", "1,1,02,12,10,010,40,03,10,010,41"},
      {"GN", "1,1,01,150,10,010,20"},
      {"GA", "1,1,01,05,10,010,25,7"}},
     {{GPS, 3, 41},
      {GPS, 12, 40},
      {GLONASS, 66, 31},
      {GLONASS, 70, 30},
      {Galileo, 5, 25},
      {std::nullopt, 150, 20}}},
    {"one_satellite_on_two_signals_has_the_stronger",
     {{"GP", "1,1,01,07,10,010,30,1"}, {"GP", "1,1,01,07,10,010,38,8"}},
     {{GPS, 7, 38}}},
    {"mixed_and_own_talker_are_one_satellite",
     {{"GL", "1,1,01,70,10,010,30"}, {"GN", "1,1,02,70,10,010,25,09,10,010,20"}},
     {{GPS, 9, 20}, {GLONASS, 70, 30}}},
    {"a_signal_beats_none",
     {{"GP", "1,1,01,07,10,010,,1"}, {"GP", "1,1,01,07,10,010,12,8"}},
     {{GPS, 7, 12}}},
    {"untracked_satellites_are_in_view_but_empty_groups_are_not",
     {{"GP", "2,1,06,01,10,010,30"},
      {"GP", "2,2,06,04,10,020,33,05,25,100,"},
      {"GP", "1,1,01,36,19,156,51,,,,,,,,,,,,,1"}},
     {{GPS, 1, 30}, {GPS, 4, 33}, {GPS, 5, -1}, {GPS, 36, 51}}},
    {"message_one_starts_its_own_cycle_afresh",
     {{"GP", "2,1,08,01,10,010,30,02,10,010,30,03,10,010,30,04,10,010,30,1"},
      {"GP", "2,2,08,05,10,010,30,06,10,010,30,07,10,010,30,08,10,010,30,1"},
      {"GP", "1,1,01,20,10,010,30,8"},
      {"GP", "1,1,02,09,10,010,35,10,10,010,35,1"}},
     {{GPS, 9, 35}, {GPS, 10, 35}, {GPS, 20, 30}}},
    {"later_messages_without_a_first_are_not_kept",
     {{"GB", "3,2,09,05,10,010,30"}, {"GB", "3,3,09,06,10,010,31"}},
     {}},
    {"a_cycle_on_its_way_leaves_the_last_whole_one_shown",
     {{"GP", "2,1,05,01,10,010,30"}, {"GP", "2,2,05,05,10,010,30"}, {"GP", "2,1,05,06,10,010,30"}},
     {{GPS, 1, 30}, {GPS, 5, 30}}},
    {"nothing_shows_before_a_cycle_is_whole", {{"GP", "2,1,05,01,10,010,30"}}, {}},
    {"a_cycle_that_lost_a_message_is_dropped",
     {{"GL", "1,1,01,70,10,010,30"},
      {"GL", "3,1,09,71,10,010,30"},
      {"GL", "3,3,09,79,10,010,30"},
      {"GL", "3,2,09,75,10,010,30"}},
     {{GLONASS, 70, 30}}},
    {"a_satellite_no_longer_reported_leaves_with_the_next_cycle",
     {{"GP", "1,1,02,01,10,010,30,02,10,010,30"}, {"GP", "1,1,01,02,10,010,30"}},
     {{GPS, 2, 30}}},
    {"a_silent_talker_stays_one_round",
     {{"GP", "1,1,01,01,10,010,30"}, {"GL", "1,1,01,70,10,010,30"}, {"GP", "1,1,01,01,10,010,30"}},
     {{GPS, 1, 30}, {GLONASS, 70, 30}}},
    {"a_silent_talker_leaves_after_two_rounds",
     {{"GP", "1,1,01,01,10,010,30"},
      {"GL", "1,1,01,70,10,010,30"},
      {"GP", "1,1,01,01,10,010,30"},
      {"GP", "1,1,01,01,10,010,30"}},
     {{GPS, 1, 30}}},
};

INSTANTIATE_TEST_SUITE_P(Skies, SkyViewTest, testing::ValuesIn(SkyCases), CaseName());

// A receiver that never starts a cycle, or sends ever new signal IDs, cannot make the view grow
// without end.
TEST(SkyViewBoundsTest, CyclesAndTheirSatellitesAreBounded) {
    SkyView sky(Stepping());
    for (int message = 1; message <= 99; ++message) {
        std::string body = "99," + std::to_string(message) + ",99";
        for (int k = 0; k < 4; ++k) {
            body += "," + std::to_string(4 * message + k) + ",1,1,1";
        }
        sky.Take("GP", *ParseMultiSystemSentence("GP", body));
    }
    EXPECT_EQ(sky.Count(), SkyView::MaxSatellitesPerCycle);

    sky.Clear();
    EXPECT_EQ(sky.Count(), 0u);
    for (int signal = 0; signal < 200; ++signal) {
        sky.Take("GN", *ParseMultiSystemSentence("GN", "1,1,01," + std::to_string(100 + signal) +
                                                           ",1,1,1," + std::to_string(signal)));
    }
    EXPECT_EQ(sky.Count(), SkyView::MaxCycles);

    // The invented signals fall silent: two rounds later they make room again.
    for (int round = 0; round < 2; ++round) {
        sky.Take("GN", *ParseMultiSystemSentence("GN", "1,1,01,100,1,1,1,0"));
    }
    sky.Take("GN", *ParseMultiSystemSentence("GN", "1,1,01,5,1,1,1,new"));
    EXPECT_EQ(sky.Count(), 2u);
}

// The port hands over several epochs in one block, and its sentences reach the view talker by
// talker: every talker of the block stays in view.
TEST(SkyViewBlockTest, EpochsHandedOverAtOnceKeepEveryTalker) {
    std::vector<Arrival> block;
    for (const char* talker : {"GP", "GL", "GA"}) {
        for (int epoch = 0; epoch < 4; ++epoch) {
            block.push_back({talker, talker == std::string("GP")   ? "1,1,01,01,10,010,30"
                                     : talker == std::string("GL") ? "1,1,01,70,10,010,30"
                                                                   : "1,1,01,05,10,010,30"});
        }
    }
    EXPECT_EQ(Entries(ViewOf(block, Stepping(std::chrono::seconds(0)))),
              (std::vector<Entry>{{GPS, 1, 30}, {GLONASS, 70, 30}, {Galileo, 5, 30}}));
}

// A satellite reported on a second signal without a direction keeps the direction of the
// first; one that no report places shows that it has none.
TEST(SkyViewPositionTest, DirectionComesFromAReportThatHasOne) {
    const SkyView sky =
        ViewOf({{"GB", "1,1,02,19,40,083,30,05,,,14,1"}, {"GB", "1,1,02,19,,,47,05,,,20,5"}});
    ASSERT_EQ(sky.Count(), 2u);
    EXPECT_EQ(SkySatelliteText(sky.Satellites()[0]),
              "BeiDou PRN:05   SNR:20 dB   position unknown");
    EXPECT_EQ(SkySatelliteText(sky.Satellites()[1]), "BeiDou PRN:19   SNR:47 dB   AZ:83  EL:40");
}

} // namespace
