#include "horizon/MultiSystemSentence.h"
#include "InViewSatellites.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using enum SatelliteSystem;

MultiSystemSentence Sentence(int count, int number, int inView, std::optional<std::string> signal,
                             std::vector<InViewSatellite> satellites) {
    return {count, number, inView, std::move(signal), std::move(satellites)};
}

struct SentenceCase {
    std::string name;
    std::string talker;
    std::string body;
    std::optional<MultiSystemSentence> expected;
};

void PrintTo(const SentenceCase& c, std::ostream* out) {
    *out << c.name;
}

const SentenceCase SentenceCases[] = {
    // (n - 3) mod 4 = 0: whole groups, no signal ID.
    {"four_groups", "GP", "3,1,11,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45",
     Sentence(3, 1, 11, {},
              {Sat(GPS, 1, 40, 83, 46), Sat(GPS, 2, 17, 308, 41), Sat(GPS, 12, 7, 344, 39),
               Sat(GPS, 14, 22, 228, 45)})},
    {"header_only", "GA", "1,1,00", Sentence(1, 1, 0, {}, {})},
    // = 1: the field after the groups is the signal ID, never an SNR.
    {"signal_id", "GL", "3,3,10,71,23,216,,72,43,277,,0",
     Sentence(3, 3, 10, "0", {Sat(GLONASS, 71, 23, 216, {}), Sat(GLONASS, 72, 43, 277, {})})},
    {"signal_id_after_empty_groups", "GP", "1,1,01,36,19,156,51,,,,,,,,,,,,,1",
     Sentence(1, 1, 1, "1",
              {Sat(GPS, 36, 19, 156, 51), Unplaced(GPS, 0, {}), Unplaced(GPS, 0, {}),
               Unplaced(GPS, 0, {})})},
    {"signal_id_alone", "GB", "1,1,00,7", Sentence(1, 1, 0, "7", {})},
    // = 3: the last group's empty SNR went with the final comma.
    {"last_snr_dropped", "GL", "3,3,09,88,07,028,",
     Sentence(3, 3, 9, {}, {Sat(GLONASS, 88, 7, 28, {})})},
    {"second_snr_dropped", "GP", "2,2,06,04,10,020,33,05,25,100,",
     Sentence(2, 2, 6, {}, {Sat(GPS, 4, 10, 20, 33), Sat(GPS, 5, 25, 100, {})})},
    // A satellite heard but not placed, and a second signal's report: no direction.
    {"second_signal_without_direction", "BD", "1,1,01,219,,,47",
     Sentence(1, 1, 1, {}, {Unplaced(BeiDou, 219, 47)})},
    {"one_direction_field_empty", "GP", "3,1,12,05,,,14,08,,120,15,09,35,,16,10,00,000,17,0",
     Sentence(3, 1, 12, "0",
              {Unplaced(GPS, 5, 14), Unplaced(GPS, 8, 15), Unplaced(GPS, 9, 16),
               Sat(GPS, 10, 0, 0, 17)})},
    // = 2: no receiver sends it.
    {"two_over", "GP", "3,1,11,01,40,083,46,02,17", std::nullopt},
    {"five_groups", "GP", "5,1,20,01,1,1,1,02,2,2,2,03,3,3,3,04,4,4,4,05,5,5,5", std::nullopt},
    {"five_groups_and_signal", "GP", "5,1,20,01,1,1,1,02,2,2,2,03,3,3,3,04,4,4,4,05,5,5,5,1",
     std::nullopt},
    {"too_few_fields", "GP", "3,1", std::nullopt},
    {"empty", "GP", "", std::nullopt},
    {"count_not_integer", "GP", "x,1,04,01,40,083,46", std::nullopt},
    {"count_empty", "GP", ",1,04,01,40,083,46", std::nullopt},
    {"number_not_integer", "GP", "1,1.0,04,01,40,083,46", std::nullopt},
    {"in_view_not_integer", "GP", "1,1,4a,01,40,083,46", std::nullopt},
    // Any message count is taken, also the ones the GPS-only setting ignores.
    {"any_message_count", "QZ", "9,7,30,193,50,120,40",
     Sentence(9, 7, 30, {}, {Sat(QZSS, 193, 50, 120, 40)})},
    {"middle_snr_empty", "GI", "2,1,08,01,40,083,,02,17,308,41",
     Sentence(2, 1, 8, {}, {Sat(NavIC, 1, 40, 83, {}), Sat(NavIC, 2, 17, 308, 41)})},
    {"snr_not_a_number", "GP", "1,1,01,01,40,083,ab",
     Sentence(1, 1, 1, {}, {Sat(GPS, 1, 40, 83, 0)})},
    {"prn_empty_or_bad", "GP", "1,1,02,,40,083,46,x,17,308,41",
     Sentence(1, 1, 2, {}, {Sat(GPS, 0, 40, 83, 46), Sat(GPS, 0, 17, 308, 41)})},
    {"clamped", "GP", "1,1,04,01,95,360,30,02,-5,-5,30,03,ab,cd,30,04,90,359,30",
     Sentence(1, 1, 4, {},
              {Sat(GPS, 1, 90, 359, 30), Sat(GPS, 2, 0, 0, 30), Sat(GPS, 3, 0, 0, 30),
               Sat(GPS, 4, 90, 359, 30)})},
    // Mixed sentences: the number tells the system where it can.
    {"mixed_numbers", "GN", "2,1,08,01,10,010,20,64,11,011,21,65,12,012,22,96,13,013,23",
     Sentence(2, 1, 8, {},
              {Sat(GPS, 1, 10, 10, 20), Sat(GPS, 64, 11, 11, 21), Sat(GLONASS, 65, 12, 12, 22),
               Sat(GLONASS, 96, 13, 13, 23)})},
    {"mixed_numbers_of_no_system", "GN", "2,2,08,97,10,010,20,203,11,011,21,-3,12,012,22",
     Sentence(2, 2, 8, {},
              {Sat({}, 97, 10, 10, 20), Sat({}, 203, 11, 11, 21), Sat({}, -3, 12, 12, 22)})},
};

class MultiSystemSentenceTest : public testing::TestWithParam<SentenceCase> {};

TEST_P(MultiSystemSentenceTest, Parse) {
    const SentenceCase& c = GetParam();
    const auto sentence = ParseMultiSystemSentence(c.talker, c.body);
    ASSERT_EQ(sentence.has_value(), c.expected.has_value());
    if (!sentence) {
        return;
    }
    EXPECT_EQ(sentence->MessageCount, c.expected->MessageCount);
    EXPECT_EQ(sentence->MessageNumber, c.expected->MessageNumber);
    EXPECT_EQ(sentence->SatellitesInView, c.expected->SatellitesInView);
    EXPECT_EQ(sentence->SignalId, c.expected->SignalId);
    ASSERT_EQ(sentence->Satellites.size(), c.expected->Satellites.size());
    for (std::size_t k = 0; k < sentence->Satellites.size(); ++k) {
        const InViewSatellite& got = sentence->Satellites[k];
        const InViewSatellite& want = c.expected->Satellites[k];
        EXPECT_EQ(got, want) << "satellite " << k << ": PRN " << got.PRN << " el " << got.Elevation
                             << " az " << got.Azimuth << " SNR " << got.SNR
                             << (got.HasSnr ? "" : " (none)");
    }
}

INSTANTIATE_TEST_SUITE_P(Sentences, MultiSystemSentenceTest, testing::ValuesIn(SentenceCases),
                         CaseName());

} // namespace
