#include "tools/sim/SentenceWriter.h"

#include "SentenceBodies.h"
#include "TestNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace std::chrono;

constexpr sys_seconds Time = sys_days{2024y / March / 9} + 7h + 5min + 3s;

TEST(SimSentenceWriter, ChecksumOfARecordedSentence) {
    EXPECT_EQ(SentenceWriter::Sentence("GPGSV,3,3,12,19,13,123,27,03,07,176,19,05,05,328,13,47,,,"),
              "$GPGSV,3,3,12,19,13,123,27,03,07,176,19,05,05,328,13,47,,,*41\r\n");
}

TEST(SimSentenceWriter, OneSecondExactly) {
    const SentenceWriter writer(Place{52.52, 13.405});
    EXPECT_EQ(
        SentenceBodies(writer.Second(Time, {{5, 40, 83, 46}, {12, 7, 215, {}}, {24, 88, 0, 50}})),
        (std::vector<std::string>{
            "GPGGA,070503.00,5231.2000,N,01324.3000,E,1,02,0.9,34.0,M,39.0,M,,",
            "GPGSV,1,1,03,05,40,083,46,12,07,215,,24,88,000,50",
            "GPRMC,070503.00,A,5231.2000,N,01324.3000,E,0.0,0.0,090324,,",
        }));
    const sys_seconds newYear = sys_days{2100y / January / 1};
    EXPECT_EQ(
        SentenceBodies(SentenceWriter(Place{}).RecommendedMinimum(newYear - 1s)),
        std::vector<std::string>{"GPRMC,235959.00,A,0000.0000,N,00000.0000,E,0.0,0.0,311299,,"});
}

struct PositionCase {
    const char* name;
    Place place;
    const char* fields;
};

class SimSentenceWriterPosition : public testing::TestWithParam<PositionCase> {};

TEST_P(SimSentenceWriterPosition, DegreesAndMinutes) {
    EXPECT_EQ(SentenceBodies(SentenceWriter(GetParam().place).RecommendedMinimum(Time)),
              std::vector<std::string>{std::string("GPRMC,070503.00,A,") + GetParam().fields +
                                       ",0.0,0.0,090324,,"});
}

INSTANTIATE_TEST_SUITE_P(
    Places, SimSentenceWriterPosition,
    testing::Values(PositionCase{"SouthWest", {-33.8688, -151.2093}, "3352.1280,S,15112.5580,W"},
                    // Minutes that round up to 60 carry into the degrees.
                    PositionCase{
                        "AlmostWhole", {0.99999999, 9.999999999}, "0100.0000,N,01000.0000,E"}),
    CaseName());

struct CycleCase {
    const char* name;
    int satellites;
    std::vector<std::string> heads;
    std::vector<int> groups;
};

class SimSentenceWriterCycle : public testing::TestWithParam<CycleCase> {};

TEST_P(SimSentenceWriterCycle, FourSatellitesAMessageTheLastShorter) {
    std::vector<ReportedSatellite> satellites;
    for (int i = 0; i < GetParam().satellites; ++i) {
        satellites.push_back({i + 1, 80 - 5 * i, 30 * i, 45 - i});
    }
    const std::vector<std::string> bodies =
        SentenceBodies(SentenceWriter::SatellitesInView(satellites));
    ASSERT_EQ(bodies.size(), GetParam().heads.size());
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        EXPECT_TRUE(bodies[i].starts_with(GetParam().heads[i])) << bodies[i];
        EXPECT_EQ(std::count(bodies[i].begin(), bodies[i].end(), ','), 3 + 4 * GetParam().groups[i])
            << bodies[i];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Counts, SimSentenceWriterCycle,
    testing::Values(
        CycleCase{
            "Twelve", 12, {"GPGSV,3,1,12,01,", "GPGSV,3,2,12,05,", "GPGSV,3,3,12,09,"}, {4, 4, 4}},
        CycleCase{
            "Ten", 10, {"GPGSV,3,1,10,01,", "GPGSV,3,2,10,05,", "GPGSV,3,3,10,09,"}, {4, 4, 2}},
        CycleCase{"Five", 5, {"GPGSV,2,1,05,01,", "GPGSV,2,2,05,05,"}, {4, 1}},
        CycleCase{"None", 0, {"GPGSV,1,1,00"}, {0}}),
    CaseName());

TEST(SimSentenceWriter, MultiSystemSecondExactly) {
    const SentenceWriter writer(Place{52.52, 13.405});
    const std::vector<SignalReport> reports = {
        {"GP", 1, {{5, 40, 83, 46}, {12, 7, 215, {}}}},
        {"GP", 8, {{5, 40, 83, 48}}},
        {"GL", 1, {{65, 12, 300, 21}}},
        {"GB", 1, {}},
    };
    EXPECT_EQ(SentenceBodies(writer.MultiSystemSecond(Time, reports)),
              (std::vector<std::string>{
                  // Satellite 5 heard on two signals is used once.
                  "GNGGA,070503.00,5231.2000,N,01324.3000,E,1,02,0.9,34.0,M,39.0,M,,",
                  "GPGSV,1,1,02,05,40,083,46,12,07,215,,1",
                  "GPGSV,1,1,01,05,40,083,48,8",
                  "GLGSV,1,1,01,65,12,300,21,1",
                  "GBGSV,1,1,00,1",
                  "GNRMC,070503.00,A,5231.2000,N,01324.3000,E,0.0,0.0,090324,,,A,V",
              }));
}

struct SignalCycleCase {
    const char* name;
    const char* talker;
    int signalId;
    int satellites;
    std::vector<std::string> heads;
    std::vector<int> groups;
    const char* signalField;
};

class SimSentenceWriterSignalCycle : public testing::TestWithParam<SignalCycleCase> {};

TEST_P(SimSentenceWriterSignalCycle, FourGroupsAMessageThenTheSignal) {
    SignalReport report{GetParam().talker, GetParam().signalId, {}};
    for (int i = 0; i < GetParam().satellites; ++i) {
        report.satellites.push_back(
            {i + 1, 80 - 4 * i, 20 * i, i % 5 == 4 ? std::nullopt : std::optional(45 - i)});
    }
    const std::vector<std::string> bodies =
        SentenceBodies(SentenceWriter::SatellitesInView(report));
    ASSERT_EQ(bodies.size(), GetParam().heads.size());
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        EXPECT_TRUE(bodies[i].starts_with(GetParam().heads[i])) << bodies[i];
        EXPECT_EQ(std::count(bodies[i].begin(), bodies[i].end(), ','),
                  3 + 4 * GetParam().groups[i] + 1)
            << bodies[i];
        EXPECT_EQ(bodies[i].substr(bodies[i].rfind(',') + 1), GetParam().signalField) << bodies[i];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Systems, SimSentenceWriterSignalCycle,
    testing::Values(
        SignalCycleCase{
            "GpsThirteen",
            "GP",
            1,
            13,
            {"GPGSV,4,1,13,01,", "GPGSV,4,2,13,05,", "GPGSV,4,3,13,09,", "GPGSV,4,4,13,13,"},
            {4, 4, 4, 1},
            "1"},
        SignalCycleCase{
            "GpsL5Five", "GP", 8, 5, {"GPGSV,2,1,05,01,", "GPGSV,2,2,05,05,"}, {4, 1}, "8"},
        SignalCycleCase{
            "GalileoEight", "GA", 7, 8, {"GAGSV,2,1,08,01,", "GAGSV,2,2,08,05,"}, {4, 4}, "7"},
        SignalCycleCase{"BeiDouSeventeenOnB2I",
                        "GB",
                        11,
                        17,
                        {"GBGSV,5,1,17,01,", "GBGSV,5,2,17,05,", "GBGSV,5,3,17,09,",
                         "GBGSV,5,4,17,13,", "GBGSV,5,5,17,17,"},
                        {4, 4, 4, 4, 1},
                        "B"},
        SignalCycleCase{"GlonassNone", "GL", 1, 0, {"GLGSV,1,1,00,1"}, {0}, "1"}),
    CaseName());

} // namespace
