#include "serial/EComPort.h"
#include "serial/SerialPortList.h"

#include "FakeSerialPorts.h"
#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::StartsWith;
using testing::UnorderedElementsAre;

struct SortCase {
    const char* name;
    std::vector<std::string> ports;
    std::vector<std::string> sorted;
};

void PrintTo(const SortCase& c, std::ostream* out) {
    *out << c.name;
}

class EnumSerialPortsSort : public testing::TestWithParam<SortCase> {};

TEST_P(EnumSerialPortsSort, ReplacesTheTargetWithTheSortedPorts) {
    TStringList target({"stale"});
    EnumSerialPorts(target, FakeSerialPorts(GetParam().ports));
    EXPECT_THAT(target.Lines(), ElementsAreArray(GetParam().sorted));
}

INSTANTIATE_TEST_SUITE_P(Cases, EnumSerialPortsSort,
                         testing::Values(SortCase{"ByTextNotNumber",
                                                  {"COM1", "COM2", "COM10"},
                                                  {"COM1", "COM10", "COM2"}},
                                         SortCase{"IgnoringCaseAndStable",
                                                  {"com3", "COM1", "Com1", "/dev/ttyUSB0"},
                                                  {"/dev/ttyUSB0", "COM1", "Com1", "com3"}},
                                         SortCase{"Empty", {}, {}}),
                         CaseName());

TEST(EnumSerialPorts, FailingSourceLeavesTheTarget) {
    TStringList target({"COM1"});
    try {
        EnumSerialPorts(target, FakeSerialPorts({}, EACCES));
        FAIL() << "no error";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.ErrorCode(), ComError::RegError);
        EXPECT_EQ(error.SystemErrorCode(), EACCES);
    }
    EXPECT_THAT(target.Lines(), ElementsAre("COM1"));
}

TEST(SystemSerialPorts, ListsDevicePathsOfThisMachine) {
    std::vector<std::string> ports;
    ASSERT_NO_THROW(ports = SystemSerialPorts().Ports());
    for (const std::string& port : ports) {
        EXPECT_THAT(port, StartsWith("/dev/"));
    }
}

TEST(SerialPortsInTtyClass, KeepsDevicesWithHardwareBehindThem) {
    const TemporaryFolder folder;
    const auto add = [&folder](const std::string& name, bool hasDevice, const char* type) {
        const std::filesystem::path entry = folder.File(name);
        std::filesystem::create_directory(entry);
        if (hasDevice) {
            std::filesystem::create_directory_symlink(folder.Path(), entry / "device");
        }
        if (type != nullptr) {
            WriteFileBytes(entry / "type", type);
        }
    };
    add("tty0", false, nullptr);
    add("ptmx", false, nullptr);
    add("ttyUSB0", true, nullptr);
    add("ttyACM3", true, nullptr);
    add("ttyS0", true, "4\n");
    add("ttyS1", true, "0\n");
    add("ttyAMA0", true, "32\n");
    std::filesystem::create_directory_symlink(folder.File("gone"), folder.File("tty0/device"));
    EXPECT_THAT(SerialPortsInTtyClass(folder.Path()),
                UnorderedElementsAre("/dev/ttyUSB0", "/dev/ttyACM3", "/dev/ttyS0", "/dev/ttyAMA0"));
}

TEST(SerialPortsInTtyClass, MissingFolderIsTheRegistryErrorWithItsErrorNumber) {
    const TemporaryFolder folder;
    try {
        SerialPortsInTtyClass(folder.File("class/tty"));
        FAIL() << "no error";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.SystemErrorCode(), ENOENT);
        EXPECT_EQ(error.Message(),
                  "Registry error (win error code: " + std::to_string(ENOENT) + ")");
    }
}

} // namespace
