#include "connection/GpsdProbe.h"

#include "LocalTcpServer.h"

#include <gtest/gtest.h>

#include <future>
#include <string>

namespace {

using namespace std::chrono_literals;

struct PeerCase {
    const char* name;
    const char* greeting; // null: the peer says nothing
    bool answers;
};

class Peer : public testing::TestWithParam<PeerCase> {};

// Only a peer that greets as gpsd does is offered; one that is silent costs the limit, no more.
TEST_P(Peer, IsTakenForGpsdOnlyWhenItGreetsAsGpsd) {
    LocalTcpServer server;
    auto probe = std::async(std::launch::async,
                            [&] { return GpsdProbe::Answers(server.Name("gpsd"), 300ms); });
    server.Accept();
    if (GetParam().greeting != nullptr) {
        server.Send(GetParam().greeting);
    }
    EXPECT_EQ(probe.get(), GetParam().answers);
}

INSTANTIATE_TEST_SUITE_P(
    Greetings, Peer,
    testing::Values(
        PeerCase{"Gpsd", "{\"class\":\"VERSION\",\"release\":\"3.22\",\"proto_major\":3}\r\n",
                 true},
        PeerCase{"Nmea", "$GPRMC,093015.00,A,5557.1234,N,00311.5678,W,,,070107,,*00\r\n", false},
        PeerCase{"Silent", nullptr, false}),
    [](const testing::TestParamInfo<PeerCase>& peer) { return peer.param.name; });

TEST(NoPeer, NobodyListeningIsNoGpsd) {
    std::uint16_t port = 0;
    {
        const LocalTcpServer gone;
        port = gone.Port();
    }
    EXPECT_FALSE(GpsdProbe::Answers("gpsd://127.0.0.1:" + std::to_string(port)));
    EXPECT_FALSE(GpsdProbe::Answers("not an address"));
}

} // namespace
