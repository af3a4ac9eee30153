#include "MainThreadPump.h"
#include "device/serial/PseudoTerminal.h"
#include "horizon/HorizonGrid.h"
#include "horizon/ReceivePath.h"
#include "serial/TComPort.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CountingTable : public SatelliteTable {
public:
    void ShowSatellitesInView(std::int32_t count) override { counts.push_back(count); }
    void ShowRow(std::int64_t, const SatelliteReport&) override {}
    void ClearRow(std::int64_t) override {}
    std::vector<std::int32_t> counts;
};

// The receiver setting changes while the path is on an open port: the new packets take the
// port's bytes, the old ones are gone from it.
TEST(ReceivePathOnPort, ChangedSettingReachesThePortsBytes) {
    PseudoTerminal terminal;
    TComPort port;
    port.SetPort(terminal.Path());
    HorizonGrids grids;
    grids.HorizonGrid = NewGrid();
    CountingTable table;
    std::vector<std::string> positions;
    ReceivePath path(grids, table, [&](const std::string& line) { positions.push_back(line); });
    path.SetComPort(&port);
    port.Open();

    path.SetMode(ReceiverMode::AllSystems);
    terminal.Write("$GLGSV,1,1,01,70,30,200,33*00\r\n$GNRMC,093015.00,V,,,,,,,070107,,,N*00\r\n");
    ASSERT_TRUE(PumpUntil([&] { return !positions.empty(); }));
    EXPECT_EQ(table.counts, std::vector<std::int32_t>{1});
    ASSERT_NE(grids.Systems.Find(SatelliteSystem::GLONASS), nullptr);

    path.SetMode(ReceiverMode::GpsOnly);
    terminal.Write("$GNRMC,093016.00,V,,,,,,,070107,,,N*00\r\n"
                   "$GPRMC,093017.00,V,,,,,,,070107,,*00\r\n");
    ASSERT_TRUE(PumpUntil([&] { return positions.size() >= 2; }));
    EXPECT_EQ(positions.back(), "09:30:17 UTC  fix invalid, too few satellites?");
    EXPECT_EQ(positions.size(), 2u);
    port.Close();
}

} // namespace
