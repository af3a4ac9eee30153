#include "web/RawHttpClient.h"

#include "platform/Exception.h"
#include "web/WebServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using testing::HasSubstr;
using testing::IsEmpty;

constexpr const char* Token = "0123456789abcdef0123456789abcdef";

// The server on this thread with a handler that tells what it was asked: "/", "/state.json"
// and "/big" (a megabyte) exist, "/broken" fails, nothing else.
class WebServerTest : public testing::Test {
protected:
    std::unique_ptr<WebServer> Start(WebServerSettings settings) {
        return std::make_unique<WebServer>(
            std::move(settings),
            [this](std::string_view path,
                   const std::map<std::string, std::string>& query) -> std::optional<WebResponse> {
                asked.emplace_back(path);
                lastQuery = query;
                if (path == "/") {
                    return WebResponse{200, "text/html; charset=utf-8", "<p>the page</p>", {}};
                }
                if (path == "/state.json") {
                    return WebResponse{200, "application/json", "{}", {{"X-Route", "state"}}};
                }
                if (path == "/big") {
                    return WebResponse{200, "image/png", std::string(1024 * 1024, 'x'), {}};
                }
                if (path == "/broken") {
                    throw Exception("cannot draw the map");
                }
                return std::nullopt;
            });
    }
    static WebServerSettings WithToken() {
        WebServerSettings settings;
        settings.Token = Token;
        return settings;
    }

    int argc = 1;
    std::string argument = "web_server_tests";
    char* argv[1] = {argument.data()};
    QCoreApplication application{argc, argv};
    std::vector<std::string> asked;
    std::map<std::string, std::string> lastQuery;
};

struct Exchange {
    const char* name;
    std::string request;
    int status;
    // The path the handler was asked for; empty: it was not asked at all.
    std::string asked;
};

TEST_F(WebServerTest, AnswersEveryRequestWithTheRightStatusAndTheHandlerSeesOnlyRoutes) {
    const std::string bearer = std::string("Authorization: Bearer ") + Token + "\r\n";
    const std::string query = std::string("?token=") + Token;
    const std::vector<Exchange> rows = {
        {"NoToken", Request("GET", "/"), 401, ""},
        {"WrongTokenInQuery", Request("GET", "/?token=0123456789abcdef0123456789abcdee"), 401, ""},
        {"ShorterToken", Request("GET", "/?token=0123456789abcdef"), 401, ""},
        {"WrongBearer", Request("GET", "/", "Authorization: Bearer nothing\r\n"), 401, ""},
        {"TokenAsBasic", Request("GET", "/", std::string("Authorization: Basic ") + Token + "\r\n"),
         401, ""},
        {"NoTokenOnUnknownRoute", Request("GET", "/cells.csv"), 401, ""},
        {"NoTokenOnPost", Request("POST", "/"), 401, ""},
        {"TokenInQuery", Request("GET", "/" + query), 200, "/"},
        {"TokenAsBearer", Request("GET", "/state.json", bearer), 200, "/state.json"},
        {"TokenAsLowerCaseBearer",
         Request("GET", "/", std::string("authorization: bearer ") + Token + "\r\n"), 200, "/"},
        {"Post", Request("POST", "/" + query, "Content-Length: 2\r\n") + "{}", 405, ""},
        {"Put", Request("PUT", "/state.json", bearer + "Content-Length: 0\r\n"), 405, ""},
        {"Delete", Request("DELETE", "/state.json", bearer), 405, ""},
        {"Options", Request("OPTIONS", "/", bearer), 405, ""},
        {"UnknownRoute", Request("GET", "/nothing.csv", bearer), 404, "/nothing.csv"},
        {"ParentFolder", Request("GET", "/../Skyfence.dat", bearer), 404, ""},
        {"EncodedParents", Request("GET", "/%2e%2e/%2e%2e/etc/passwd", bearer), 404, ""},
        {"DoubleSlash", Request("GET", "//etc/passwd", bearer), 404, ""},
        {"EncodedSlash", Request("GET", "/%2fetc%2fpasswd", bearer), 404, ""},
        {"RouteAsFolder", Request("GET", "/state.json/", bearer), 404, ""},
        {"HiddenName", Request("GET", "/.token", bearer), 404, ""},
        {"HandlerFails", Request("GET", "/broken", bearer), 500, "/broken"},
    };
    const auto server = Start(WithToken());
    for (const Exchange& row : rows) {
        SCOPED_TRACE(row.name);
        asked.clear();
        RawHttpClient client(server->Port());
        client.Send(row.request);
        WebReply reply = client.Receive();
        EXPECT_EQ(reply.status, row.status);
        EXPECT_EQ(reply.headers["cache-control"], "no-store");
        EXPECT_EQ(reply.headers["x-content-type-options"], "nosniff");
        EXPECT_EQ(reply.headers.count("www-authenticate"), row.status == 401 ? 1U : 0U);
        EXPECT_EQ(reply.headers["allow"], row.status == 405 ? "GET, HEAD" : "");
        EXPECT_EQ(asked, row.asked.empty() ? std::vector<std::string>{}
                                           : std::vector<std::string>{row.asked});
    }
}

TEST_F(WebServerTest, TheHandlerGetsTheQueryWithoutTheTokenAndItsHeadersGoOut) {
    const auto server = Start(WithToken());
    RawHttpClient client(server->Port());
    client.Send(
        Request("GET", std::string("/state.json?system=GLONASS&token=") + Token + "&download=1"));
    WebReply reply = client.Receive();
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.headers["x-route"], "state");
    EXPECT_EQ(reply.headers["content-type"], "application/json");
    EXPECT_EQ(lastQuery,
              (std::map<std::string, std::string>{{"download", "1"}, {"system", "GLONASS"}}));
}

TEST_F(WebServerTest, HeadGivesTheHeadersOfGetWithoutTheBody) {
    const auto server = Start(WebServerSettings());
    RawHttpClient client(server->Port());
    client.Send(Request("GET", "/"));
    WebReply get = client.Receive();
    client.Send(Request("HEAD", "/"));
    WebReply head = client.Receive(true);
    // The same connection goes on: no body of the HEAD answer lies in the way of the next.
    client.Send(Request("GET", "/state.json"));
    const WebReply next = client.Receive();

    EXPECT_EQ(get.body, "<p>the page</p>");
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.headers["content-length"], get.headers["content-length"]);
    EXPECT_EQ(head.headers["content-type"], get.headers["content-type"]);
    EXPECT_EQ(next.body, "{}");
}

TEST_F(WebServerTest, OnlyLoopbackGoesWithoutAToken) {
    WebServerSettings settings;
    settings.Address = QHostAddress::Any;
    EXPECT_THROW(Start(settings), Exception);
    settings.Token = Token;
    EXPECT_NO_THROW(Start(settings));
}

struct Oversize {
    const char* name;
    std::string request;
    int status;
};

TEST_F(WebServerTest, RefusesAndClosesRequestsOverTheLimit) {
    const std::string longName(9 * 1024, 'a');
    const std::string longValue(9 * 1024, 'b');
    const std::vector<Oversize> rows = {
        {"LongRequestLine", Request("GET", "/" + longName), 431},
        {"LongHeader", Request("GET", "/", "X-Filler: " + longValue + "\r\n"), 431},
        {"LongBody", Request("GET", "/", "Content-Length: 9216\r\n") + longValue, 413},
        {"JustUnderTheLimit",
         Request("GET", "/", "X-Filler: " + longValue.substr(0, 8000) + "\r\n"), 200},
    };
    const auto server = Start(WebServerSettings());
    for (const Oversize& row : rows) {
        SCOPED_TRACE(row.name);
        asked.clear();
        RawHttpClient client(server->Port());
        client.Send(row.request);
        EXPECT_EQ(client.Receive().status, row.status);
        if (row.status != 200) {
            EXPECT_TRUE(client.WaitClosed());
            EXPECT_THAT(asked, IsEmpty());
        }
    }
}

TEST_F(WebServerTest, ServesAtMostMaxClientsAndTurnsTheRestAwayAtOnce) {
    WebServerSettings settings;
    settings.IdleTimeout = 10min;
    const auto server = Start(settings);
    std::vector<std::unique_ptr<RawHttpClient>> clients;
    for (int i = 0; i < 100; ++i) {
        clients.push_back(std::make_unique<RawHttpClient>(server->Port()));
    }
    const auto closed = [&] {
        return std::count_if(clients.begin(), clients.end(),
                             [](const auto& client) { return client->Closed(); });
    };
    ASSERT_TRUE(RunEventsUntil([&] { return closed() >= 100 - settings.MaxClients; }));

    for (const auto& client : clients) {
        if (client->Closed()) {
            EXPECT_EQ(client->Receive().status, 503);
        } else {
            client->Send(Request("GET", "/"));
            EXPECT_EQ(client->Receive().status, 200);
        }
    }
    EXPECT_EQ(closed(), 100 - settings.MaxClients);
}

struct Silence {
    const char* name;
    // What the client sends before it falls silent.
    std::string sent;
};

TEST_F(WebServerTest, DropsSilentClientsAfterTheIdleTimeoutAndServesNewOnes) {
    const std::vector<Silence> rows = {
        {"SendsNothing", ""},
        {"StopsMidRequest", "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Fil"},
        {"StaysAfterItsAnswer", Request("GET", "/")},
    };
    WebServerSettings settings;
    settings.IdleTimeout = 300ms;
    const auto server = Start(settings);
    for (const Silence& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::unique_ptr<RawHttpClient>> clients;
        for (int i = 0; i < settings.MaxClients; ++i) {
            clients.push_back(std::make_unique<RawHttpClient>(server->Port()));
            if (!row.sent.empty()) {
                clients.back()->Send(row.sent);
            }
        }
        for (const auto& client : clients) {
            EXPECT_TRUE(client->WaitClosed());
        }
        RawHttpClient next(server->Port());
        next.Send(Request("GET", "/"));
        EXPECT_EQ(next.Receive().status, 200);
    }
}

TEST_F(WebServerTest, AClientWaitingBetweenRequestsGivesWayToANewOne) {
    WebServerSettings settings;
    settings.MaxClients = 2;
    settings.IdleTimeout = 10min;
    const auto server = Start(settings);
    RawHttpClient first(server->Port());
    first.Send(Request("GET", "/"));
    first.Receive();
    RawHttpClient silent(server->Port());

    RawHttpClient next(server->Port());
    next.Send(Request("GET", "/"));
    EXPECT_EQ(next.Receive().status, 200);
    EXPECT_TRUE(first.WaitClosed());
    EXPECT_FALSE(silent.Closed());
}

TEST_F(WebServerTest, AClientThatAsksWithoutTakingItsAnswersIsCutOff) {
    const auto server = Start(WebServerSettings());
    RawHttpClient client(server->Port());
    EXPECT_TRUE(RunEventsUntil([&] { return !client.Send(Request("GET", "/big")); }));
}

} // namespace
