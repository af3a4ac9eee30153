#include "horizon/InViewSatellite.h"
#include "InViewSatellites.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace {

using enum SatelliteSystem;

struct FoldCase {
    std::string name;
    InViewSatellite satellite;
    bool folded;
};

void PrintTo(const FoldCase& c, std::ostream* out) {
    *out << c.name;
}

const FoldCase FoldCases[] = {
    {"tracked", Sat(GPS, 5, 10, 20, 30), true},
    {"no_system_still_raises_the_combined_map", Sat({}, 200, 10, 20, 30), true},
    {"prn_zero", Sat(GPS, 0, 10, 20, 30), false},
    {"no_snr", Sat(GPS, 5, 10, 20, {}), false},
    {"no_direction", Unplaced(GPS, 5, 30), false},
    {"snr_zero", Sat(GPS, 5, 10, 20, 0), false},
    {"snr_negative", Sat(GPS, 5, 10, 20, -4), false},
};

class FoldedSatelliteTest : public testing::TestWithParam<FoldCase> {};

TEST_P(FoldedSatelliteTest, RaisesTheMapsOnlyWhenTracked) {
    EXPECT_EQ(GetParam().satellite.Folded(), GetParam().folded);
}

INSTANTIATE_TEST_SUITE_P(Satellites, FoldedSatelliteTest, testing::ValuesIn(FoldCases), CaseName());

} // namespace
