#include "device/network/NetworkAddress.h"

#include "TestNames.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using namespace std::string_literals;

// A port name and the canonical name it stands for; none: refused.
struct NameCase {
    std::string name;
    std::string input;
    std::optional<std::string> canonical;
};

void PrintTo(const NameCase& row, std::ostream* out) {
    *out << row.name;
}

class PortNames : public testing::TestWithParam<NameCase> {};

TEST_P(PortNames, ParseToTheirCanonicalNameOrAreRefused) {
    const NameCase& row = GetParam();
    const auto address = NetworkAddress::Parse(row.input);
    ASSERT_EQ(address.has_value(), row.canonical.has_value());
    if (address) {
        EXPECT_EQ(address->Text(), *row.canonical);
        EXPECT_EQ(NetworkAddress::Parse(address->Text()), address) << "the name is stable";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, PortNames,
    testing::Values(
        NameCase{"Tcp", "tcp://127.0.0.1:10110", "tcp://127.0.0.1:10110"},
        NameCase{"TcpHostName", "tcp://receiver.local:4001", "tcp://receiver.local:4001"},
        NameCase{"TcpIpv6", "tcp://[::1]:10110", "tcp://[::1]:10110"},
        NameCase{"TcpLeadingZeros", "tcp://h:00080", "tcp://h:80"},
        NameCase{"GpsdAlone", "gpsd://", "gpsd://localhost:2947"},
        NameCase{"GpsdHost", "gpsd://pi", "gpsd://pi:2947"},
        NameCase{"GpsdPort", "gpsd://:3000", "gpsd://localhost:3000"},
        NameCase{"GpsdDevice", "gpsd:///dev/ttyACM0", "gpsd://localhost:2947/dev/ttyACM0"},
        NameCase{"GpsdEverything", "gpsd://pi:2948/dev/ttyUSB0", "gpsd://pi:2948/dev/ttyUSB0"},
        NameCase{"GpsdIpv6", "gpsd://[::1]/dev/ttyACM0", "gpsd://[::1]:2947/dev/ttyACM0"},
        NameCase{"GpsdTrailingSlash", "gpsd://pi/", "gpsd://pi:2947"},
        NameCase{"HighestPort", "tcp://h:65535", "tcp://h:65535"},
        NameCase{"TcpWithoutPort", "tcp://host", std::nullopt},
        NameCase{"TcpWithoutHost", "tcp://:10110", std::nullopt},
        NameCase{"TcpNothing", "tcp://", std::nullopt},
        NameCase{"TcpWithPath", "tcp://h:1/x", std::nullopt},
        NameCase{"PortZero", "tcp://h:0", std::nullopt},
        NameCase{"PortTooLarge", "tcp://h:65536", std::nullopt},
        NameCase{"PortHuge", "tcp://h:99999999999999999999999", std::nullopt},
        NameCase{"PortSigned", "tcp://h:+1", std::nullopt},
        NameCase{"PortNegative", "tcp://h:-1", std::nullopt},
        NameCase{"PortEmpty", "gpsd://h:", std::nullopt},
        NameCase{"PortJunk", "gpsd://h:29x7", std::nullopt},
        NameCase{"PortWithSpace", "tcp://h:10110 ", std::nullopt},
        NameCase{"Ipv6Unbracketed", "gpsd://::1", std::nullopt},
        NameCase{"Ipv6Unclosed", "gpsd://[::1", std::nullopt},
        NameCase{"Ipv6Junk", "gpsd://[zz]:1", std::nullopt},
        NameCase{"Ipv6Empty", "gpsd://[]", std::nullopt},
        NameCase{"AfterTheBracket", "gpsd://[::1]x", std::nullopt},
        NameCase{"HostWithSpace", "gpsd://my host", std::nullopt},
        NameCase{"HostWithUser", "tcp://user@h:1", std::nullopt},
        NameCase{"HostWithNul", "tcp://h\0x:1"s, std::nullopt},
        NameCase{"HostTooLong", "gpsd://" + std::string(300, 'a'), std::nullopt},
        NameCase{"DeviceWithQuote", "gpsd://h/dev/a\"b", std::nullopt},
        NameCase{"DeviceWithBackslash", "gpsd://h/dev/a\\b", std::nullopt},
        NameCase{"DeviceWithNewline", "gpsd://h/dev/a\nb", std::nullopt},
        NameCase{"OtherScheme", "udp://h:1", std::nullopt},
        NameCase{"SchemeInCapitals", "GPSD://h", std::nullopt},
        NameCase{"SerialPort", "/dev/ttyUSB0", std::nullopt}, NameCase{"Empty", "", std::nullopt}),
    CaseName());

TEST(NetworkAddress, NamesOnTheNetworkAreToldApartFromSerialPorts) {
    const std::pair<std::string, bool> cases[] = {
        {"gpsd://", true}, {"tcp://h:1", true},   {"tcp://", true},
        {"gpsd:/", false}, {"COM1", false},       {"/dev/ttyACM0", false},
        {"", false},       {"xtcp://h:1", false}, {"ttyUSB0", false},
    };
    for (const auto& [name, network] : cases) {
        EXPECT_EQ(NetworkAddress::IsNetworkName(name), network) << name;
    }
}

TEST(NetworkAddress, PartsAndDescriptions) {
    const auto gpsd = NetworkAddress::Parse("gpsd://[fe80::1]/dev/ttyACM0");
    ASSERT_TRUE(gpsd);
    EXPECT_EQ(gpsd->Kind(), NetworkAddress::Protocol::Gpsd);
    EXPECT_EQ(gpsd->Host(), "fe80::1");
    EXPECT_EQ(gpsd->Port(), NetworkAddress::GpsdPort);
    EXPECT_EQ(gpsd->Device(), "/dev/ttyACM0");
    EXPECT_EQ(gpsd->Description(), "gpsd at [fe80::1]:2947");

    const auto tcp = NetworkAddress::Parse("tcp://10.0.0.5:10110");
    ASSERT_TRUE(tcp);
    EXPECT_EQ(tcp->Kind(), NetworkAddress::Protocol::Tcp);
    EXPECT_EQ(tcp->Device(), "");
    EXPECT_EQ(tcp->Description(), "tcp://10.0.0.5:10110");
}

} // namespace
