// The program as the shipped user unit starts it on a machine without a display: its first start
// makes the map, reception runs by itself, and the service's stop saves the map.
#include "ChildProgram.h"
#include "Installation.h"
#include "ProgramChecks.h"
#include "ServiceUnit.h"
#include "Simulator.h"

#include "horizon/HorizonGrid.h"

#include "TemporaryFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace {

using namespace std::chrono_literals;

std::vector<std::string> Arguments(const std::vector<std::string>& command) {
    return {command.begin() + 1, command.end()};
}

TEST(ServiceMode, TheShippedUnitRecordsWithoutADisplayAndSavesWhenStopped) {
    TemporaryFolder folder;
    std::string home = folder.Path();
    home.pop_back();
    Simulator simulator(folder.File("receiver"), {"--speed", "600"});
    const ServiceUnit unit(SKYFENCE_SERVICE_UNIT, home,
                           {{"%h/skyfence/build/app/skyfence", SKYFENCE_PROGRAM},
                            {"%h/skyfence/build/tools/replay/skyfence-replay", SKYFENCE_REPLAY}});
    ASSERT_EQ(unit.Environment().at("QT_QPA_PLATFORM"), "offscreen");
    WriteReceiverSettings(unit.Environment().at("XDG_CONFIG_HOME"), folder.File("receiver"));
    ChildProgramOptions options;
    options.environment = unit.Environment();
    options.readErrors = true;

    // The first start makes the data folder and an empty map; a later one leaves the map alone.
    const std::string map = home + "/skyfence-data/Skyfence.dat";
    ChildProgram(unit.StartPre().front(), Arguments(unit.StartPre()), options).Wait(20s);
    ASSERT_EQ(ReadFileBytes(map), NewGrid().Text());

    ChildProgram program(unit.Start().front(), Arguments(unit.Start()), options);
    ASSERT_TRUE(program.WaitUntilReading(simulator.device, 8192, 20s));
    program.Signal(SIGTERM);
    EXPECT_TRUE(EndedWell(program.Wait(20s)));
    ExpectReceivedMap(map);
    const std::string received = ReadFileBytes(map);
    ChildProgram again(unit.StartPre().front(), Arguments(unit.StartPre()), options);
    EXPECT_TRUE(EndedWell(again.Wait(20s)));
    EXPECT_EQ(ReadFileBytes(map), received);
}

} // namespace
