#include "web/WebAddress.h"
#include "platform/Exception.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing::HasSubstr;

struct Address {
    const char* text;
    // The address and port as Text gives them; empty: refused with `flaw` in the message.
    std::string canonical;
    bool loopback;
    std::string flaw;
};

TEST(WebAddressTest, ReadsAddressAndPortOrSaysWhatIsWrong) {
    const std::vector<Address> rows = {
        {"8080", "127.0.0.1:8080", true, ""},
        {"127.0.0.1:80", "127.0.0.1:80", true, ""},
        {"127.1.2.3:65535", "127.1.2.3:65535", true, ""},
        {"localhost:8080", "127.0.0.1:8080", true, ""},
        {"0.0.0.0:8080", "0.0.0.0:8080", false, ""},
        {"192.168.1.20:1", "192.168.1.20:1", false, ""},
        {"[::1]:8080", "[::1]:8080", true, ""},
        {"[::]:8080", "[::]:8080", false, ""},
        {"[fe80::1:2]:8080", "[fe80::1:2]:8080", false, ""},
        {"", "", false, "the port is missing"},
        {"0", "", false, "from 1 to 65535"},
        {"65536", "", false, "from 1 to 65535"},
        {"+80", "", false, "from 1 to 65535"},
        {"80a", "", false, "from 1 to 65535"},
        {"127.0.0.1:", "", false, "from 1 to 65535"},
        {"roof.example:8080", "", false, "an IPv4 address"},
        {"1.2.3:8080", "", false, "an IPv4 address"},
        {"256.1.1.1:8080", "", false, "an IPv4 address"},
        {":8080", "", false, "an IPv4 address"},
        {"::1:8080", "", false, "in brackets, as in [::1]:8080"},
        {"[::1]", "", false, "after a ':'"},
        {"[::1]8080", "", false, "after a ':'"},
        {"[::1:8080", "", false, "no closing ']'"},
        {"[1.2.3.4]:8080", "", false, "IPv6 address in brackets is malformed"},
    };
    for (const Address& row : rows) {
        SCOPED_TRACE(row.text);
        if (row.canonical.empty()) {
            try {
                WebAddress{row.text};
                ADD_FAILURE() << "taken";
            } catch (const Exception& error) {
                EXPECT_THAT(error.Message(), HasSubstr(row.flaw));
            }
            continue;
        }
        const WebAddress address(row.text);
        EXPECT_EQ(address.Text(), row.canonical);
        EXPECT_EQ(address.IsLoopback(), row.loopback);
    }
}

} // namespace
