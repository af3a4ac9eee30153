#include "web/WebPage.h"

#include "horizon/HorizonGrids.h"
#include "horizon/MapResults.h"
#include "platform/Exception.h"

#include "TemporaryFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpServer>

#include <string>
#include <vector>

using testing::HasSubstr;

namespace {

constexpr const char* SettingsKey = "HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence";

// A port no one listens on just now.
std::string FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::Any);
    return std::to_string(probe.serverPort());
}

class ServedPage : public testing::Test {
protected:
    ServedPage() : results_(grids_, PaletteSetting(SettingsKey, folder_.File("registry.reg"))) {
        grids_.SetUp(folder_.Path());
    }

    WebSources Sources() { return {&grids_, &results_, {}, {}, {}, {}, {}, {}, folder_.Path()}; }

    WebPage Serve(const WebSettings& settings) {
        return WebPage(Sources(), settings, folder_.Path(),
                       [this](const std::string& line) { log_.push_back(line); });
    }

    TemporaryFolder folder_;
    HorizonGrids grids_;
    MapResults results_;
    std::vector<std::string> log_;
};

// What keeps the page from being served is said at start, and nothing is served.
TEST_F(ServedPage, RefusesWhatCannotBeServed) {
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost));
    const std::string takenPort = "127.0.0.1:" + std::to_string(taken.serverPort());
    struct RefusedCase {
        WebSettings settings;
        const char* why;
    };
    const std::vector<RefusedCase> cases{
        {{takenPort, std::nullopt, false}, "port taken"},
        {{"roof.example:8080", std::nullopt, false}, "host name"},
        {{"127.0.0.1:70000", std::nullopt, false}, "no port"},
        {{FreePort(), folder_.File("no-such-token"), false}, "token file missing"},
    };
    for (const RefusedCase& refused : cases) {
        SCOPED_TRACE(refused.why);
        EXPECT_THROW(Serve(refused.settings), Exception);
    }
    EXPECT_TRUE(log_.empty());
}

// On every address of the machine a token is made, kept and written to the log once.
TEST_F(ServedPage, MakesAndLogsTheTokenOnceForAnyAddress) {
    {
        const WebPage page = Serve({"0.0.0.0:" + FreePort(), std::nullopt, false});
        EXPECT_NE(page.Port(), 0);
    }
    ASSERT_EQ(log_.size(), 2U);
    EXPECT_THAT(log_[0], HasSubstr("0.0.0.0"));
    const std::string token = ReadFileBytes(folder_.File("Skyfence-http.token"));
    EXPECT_FALSE(token.empty());
    EXPECT_THAT(log_[1], HasSubstr(token.substr(0, token.find('\n'))));

    const WebPage again = Serve({"0.0.0.0:" + FreePort(), std::nullopt, false});
    EXPECT_EQ(log_.size(), 3U) << "the token is logged only when made";
}

} // namespace
