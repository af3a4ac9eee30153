#include "tools/sim/MultiSystemReceiver.h"
#include "tools/sim/SatelliteSky.h"

#include "SentenceBodies.h"
#include "TestNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono;

constexpr Place Berlin{52.52, 13.405};
constexpr sys_seconds Start = sys_days{2024y / June / 21};

// One report of every `step` over a day, from a receiver behind the building and the trees.
std::vector<std::vector<SignalReport>> ReportDay(minutes step, std::uint64_t seed = 1) {
    MultiSystemReceiver receiver(Berlin, ObstructionMask::BuildingAndTrees(), seed);
    std::vector<std::vector<SignalReport>> day;
    for (auto time = Start; time < Start + 24h; time += step) {
        day.push_back(receiver.Track(time));
    }
    return day;
}

struct SystemCase {
    const char* name;
    const char* talker;
    int lowest;
    int highest;
    std::vector<int> signals;
};

class SimMultiSystem : public testing::TestWithParam<SystemCase> {
protected:
    // The system's reports of one moment, its first signal first.
    std::vector<const SignalReport*> Own(const std::vector<SignalReport>& reports) const {
        std::vector<const SignalReport*> own;
        for (const SignalReport& report : reports) {
            if (report.talker == GetParam().talker) {
                own.push_back(&report);
            }
        }
        return own;
    }
};

TEST_P(SimMultiSystem, SignalsAndNumbers) {
    for (const auto& reports : ReportDay(60min)) {
        std::vector<int> signals;
        for (const SignalReport* report : Own(reports)) {
            signals.push_back(report->signalId);
            for (const ReportedSatellite& satellite : report->satellites) {
                EXPECT_GE(satellite.prn, GetParam().lowest);
                EXPECT_LE(satellite.prn, GetParam().highest);
                EXPECT_TRUE(satellite.elevation >= 0 && satellite.elevation <= 90 &&
                            satellite.azimuth >= 0 && satellite.azimuth < 360);
            }
        }
        EXPECT_EQ(signals, GetParam().signals);
    }
}

// Several satellites up at every moment, and over the day they rise, climb and set: many more
// of them come by than are up at once.
TEST_P(SimMultiSystem, SeveralUpAllDayCrossingTheSky) {
    std::set<int> seen;
    std::size_t mostAtOnce = 0;
    std::map<int, std::pair<int, int>> lowestAndHighest;
    for (const auto& reports : ReportDay(10min)) {
        const SignalReport& first = *Own(reports).at(0);
        const auto up = std::count_if(first.satellites.begin(), first.satellites.end(),
                                      [](const ReportedSatellite& s) { return s.elevation >= 10; });
        EXPECT_GE(up, 4);
        mostAtOnce = std::max(mostAtOnce, first.satellites.size());
        for (const ReportedSatellite& satellite : first.satellites) {
            seen.insert(satellite.prn);
            auto [range, added] = lowestAndHighest.try_emplace(satellite.prn, satellite.elevation,
                                                               satellite.elevation);
            range->second.first = std::min(range->second.first, satellite.elevation);
            range->second.second = std::max(range->second.second, satellite.elevation);
        }
    }
    EXPECT_GE(seen.size(), 2 * mostAtOnce);
    const auto crossed =
        std::count_if(lowestAndHighest.begin(), lowestAndHighest.end(), [](const auto& satellite) {
            return satellite.second.first < 10 && satellite.second.second > 60;
        });
    EXPECT_GE(crossed, 4);
}

TEST_P(SimMultiSystem, NothingHeardThroughTheBuildingLessThroughTrees) {
    int behind = 0;
    int behindTrees = 0;
    for (const auto& reports : ReportDay(5min)) {
        for (const SignalReport* report : Own(reports)) {
            for (const ReportedSatellite& satellite : report->satellites) {
                // Borders left out: the receiver rounds, the wall does not.
                if (satellite.azimuth > 200 && satellite.azimuth < 250 &&
                    satellite.elevation < 40) {
                    ++behind;
                    EXPECT_FALSE(satellite.snr) << satellite.prn << " at " << satellite.azimuth
                                                << "/" << satellite.elevation;
                }
                if (satellite.azimuth > 300 && satellite.azimuth < 340 &&
                    satellite.elevation < 25) {
                    ++behindTrees;
                    // 12 dB below the open sky's 25 to 50 dB, give or take the noise (2 dB),
                    // L5's gain (2 dB) and the rounding.
                    const double open = 25 + 25.0 * satellite.elevation / 90;
                    EXPECT_NEAR(satellite.snr.value_or(0), open - 12 + 1, 3.7) << satellite.prn;
                }
            }
        }
    }
    EXPECT_GT(behind, 0) << "no satellite passed behind the building";
    EXPECT_GT(behindTrees, 0) << "no satellite passed behind the trees";
}

INSTANTIATE_TEST_SUITE_P(Systems, SimMultiSystem,
                         testing::Values(SystemCase{"GPS", "GP", 1, 32, {1, 8}},
                                         SystemCase{"GLONASS", "GL", 65, 96, {1}},
                                         SystemCase{"Galileo", "GA", 1, 36, {7}},
                                         SystemCase{"BeiDou", "GB", 1, 63, {1}}),
                         CaseName());

// L5 comes from some GPS satellites only, from where L1 comes, and is heard now stronger, now
// weaker than L1, as the program must take the stronger of the two.
TEST(SimMultiSystemGps, L5FromSomeSatellitesNowStrongerNowWeaker) {
    int stronger = 0;
    int weaker = 0;
    std::set<int> l1Only;
    for (const auto& reports : ReportDay(10min)) {
        const SignalReport& l1 = reports.at(0);
        const SignalReport& l5 = reports.at(1);
        ASSERT_EQ(l5.signalId, 8);
        ASSERT_LT(l5.satellites.size(), l1.satellites.size());
        for (const ReportedSatellite& satellite : l1.satellites) {
            const auto same =
                std::find_if(l5.satellites.begin(), l5.satellites.end(),
                             [&](const ReportedSatellite& s) { return s.prn == satellite.prn; });
            if (same == l5.satellites.end()) {
                l1Only.insert(satellite.prn);
                continue;
            }
            EXPECT_EQ(same->elevation, satellite.elevation);
            EXPECT_EQ(same->azimuth, satellite.azimuth);
            EXPECT_EQ(same->snr.has_value(), satellite.snr.has_value());
            stronger += same->snr > satellite.snr;
            weaker += same->snr < satellite.snr;
        }
    }
    EXPECT_GT(stronger, 0);
    EXPECT_GT(weaker, 0);
    EXPECT_GE(l1Only.size(), 5u);
}

// The satellites over the equator keep their place in the sky: one low in the south-east, the
// others too far east to be seen from here.
TEST(SimMultiSystemBeiDou, StandingSatellitesStandStill) {
    const SatelliteSky sky(Berlin, Constellation::BeiDou());
    std::map<int, std::vector<SatelliteDirection>> standing;
    for (auto time = Start; time < Start + 48h; time += 3h) {
        for (const SatelliteDirection& satellite : sky.At(time)) {
            if (satellite.prn <= 5) {
                standing[satellite.prn].push_back(satellite);
            }
        }
    }
    ASSERT_EQ(standing.size(), 5u);
    for (const auto& [prn, directions] : standing) {
        for (const SatelliteDirection& direction : directions) {
            EXPECT_NEAR(direction.azimuth, directions.front().azimuth, 0.1) << prn;
            EXPECT_NEAR(direction.elevation, directions.front().elevation, 0.1) << prn;
        }
    }
    EXPECT_NEAR(standing[5].front().elevation, 17, 2);
    EXPECT_NEAR(standing[5].front().azimuth, 125, 10);
    EXPECT_LT(standing[1].front().elevation, 0);
}

std::vector<std::string> Fields(const std::string& body) {
    std::vector<std::string> fields;
    std::istringstream in(body + ",");
    for (std::string field; std::getline(in, field, ',');) {
        fields.push_back(field);
    }
    return fields;
}

// Every second over a day as a program reads it: $GNGGA first, $GNRMC last, and between them
// satellites-in-view cycles whose messages count up to their total, at most four groups each,
// whose in-view figure is the number of groups they carry, each message ending in its signal.
TEST(SimMultiSystemSentences, CyclesNumberedAndCounted) {
    MultiSystemReceiver receiver(Berlin, ObstructionMask::BuildingAndTrees(), 1);
    std::set<std::size_t> messageCounts;
    for (auto time = Start; time < Start + 24h; time += 37min) {
        const std::vector<std::string> bodies = SentenceBodies(receiver.Second(time));
        ASSERT_GE(bodies.size(), 7u);
        EXPECT_TRUE(bodies.front().starts_with("GNGGA,"));
        EXPECT_TRUE(bodies.back().starts_with("GNRMC,") && bodies.back().ends_with(",,,A,V"))
            << bodies.back();
        std::set<std::string> talkers;
        for (std::size_t i = 1; i + 1 < bodies.size();) {
            const std::vector<std::string> head = Fields(bodies[i]);
            ASSERT_TRUE(head[0].size() == 5 && head[0].ends_with("GSV")) << bodies[i];
            const std::size_t messages = std::stoul(head[1]);
            const std::string signal = head.back();
            talkers.insert(head[0].substr(0, 2));
            messageCounts.insert(messages);
            std::size_t groups = 0;
            for (std::size_t number = 1; number <= messages; ++number, ++i) {
                ASSERT_LT(i + 1, bodies.size());
                const std::vector<std::string> fields = Fields(bodies[i]);
                EXPECT_EQ(fields[0], head[0]);
                EXPECT_EQ(std::stoul(fields[1]), messages) << bodies[i];
                EXPECT_EQ(std::stoul(fields[2]), number) << bodies[i];
                EXPECT_EQ(fields[3], head[3]) << bodies[i];
                ASSERT_EQ((fields.size() - 5) % 4, 0u) << bodies[i];
                const std::size_t here = (fields.size() - 5) / 4;
                EXPECT_LE(here, 4u) << bodies[i];
                EXPECT_TRUE(here == 4 || number == messages) << bodies[i];
                EXPECT_EQ(fields.back(), signal) << bodies[i];
                EXPECT_EQ(signal.size(), 1u);
                groups += here;
            }
            EXPECT_EQ(std::stoul(head[3]), groups) << head[0] << " signal " << signal;
        }
        EXPECT_EQ(talkers, (std::set<std::string>{"GP", "GL", "GA", "GB"}));
    }
    // Cycles as long as the satellites need, not a fixed three.
    EXPECT_GE(messageCounts.size(), 3u);
}

TEST(SimMultiSystemSentences, SeedDecidesTheNoise) {
    EXPECT_EQ(ReportDay(6h, 7), ReportDay(6h, 7));
    EXPECT_NE(ReportDay(6h, 7), ReportDay(6h, 8));
}

} // namespace
