// The program's own web page, end to end: the real program without a display, fed by the
// simulated receiver or by a terminal the test writes a recorded log to, its page loaded in a
// real headless browser and its routes asked by plain clients.
#include "ChildProgram.h"
#include "HeadlessBrowser.h"
#include "HttpGet.h"
#include "Installation.h"
#include "ProgramChecks.h"
#include "Simulator.h"

#include "app/TSkyfenceApplication.h"
#include "device/serial/PseudoTerminal.h"

#include "TemporaryFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <atomic>
#include <csignal>
#include <mutex>
#include <set>
#include <sys/ioctl.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr auto Patience = 20s;
constexpr int FloodClients = 20;
constexpr std::size_t LogChunk = 300;
const std::vector<std::string> SimulatorOptions = {"--speed", "3600", "--seed", "5"};

std::string Loopback(std::uint16_t port) {
    return "127.0.0.1:" + std::to_string(port);
}

// A line of the program's log without the program's name before it.
std::string LoggedText(const std::string& line) {
    const std::string name = std::string(TSkyfenceApplication::Title) + ": ";
    return line.starts_with(name) ? line.substr(name.size()) : line;
}

// The texts the program has written to its log so far.
std::vector<std::string> LoggedTexts(ChildProgram& program) {
    std::vector<std::string> texts;
    while (const std::optional<std::string> line = program.ReadLine(200ms)) {
        texts.push_back(LoggedText(*line));
    }
    return texts;
}

// `text` as a string in a script.
std::string Quoted(const std::string& text) {
    const QByteArray array =
        QJsonDocument(QJsonArray{QString::fromStdString(text)}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2).toStdString();
}

std::string TextOf(const char* id) {
    return "(document.getElementById('" + std::string(id) + "')?.textContent ?? '').trim()";
}

const std::string MapAndSatellitesShown =
    "document.getElementById('map')?.dataset.loaded === 'true' && "
    "document.querySelectorAll('#satellites tbody tr').length > 0";

const std::string StaleShown = "(() => { const stale = document.getElementById('stale');"
                               "  return !!stale && !stale.hidden && "
                               "stale.getClientRects().length > 0 && "
                               "stale.textContent.includes('stopped answering'); })()";

// Waits until the program has read everything written to `receiver`: its input queue shows only
// part of what waits, the kernel moving the rest in as the reader makes room, so it must be found
// empty twice in a row.
bool WaitUntilTaken(const PseudoTerminal& receiver, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int emptyChecks = 0;
    while (emptyChecks < 2) {
        int waiting = 0;
        if (::ioctl(receiver.Slave(), FIONREAD, &waiting) != 0 ||
            std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        emptyChecks = waiting == 0 ? emptyChecks + 1 : 0;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// The number of different colours in `image`.
std::size_t Colours(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    return colours.size();
}

// The page follows the program: the map and the satellites; the receiver's loss and return in
// the status the window shows; and, once the program itself is gone, that it stopped answering.
TEST(WebPageEndToEnd, FollowsTheReceptionTheReceiversLossAndReturnAndTheProgramsEnd) {
    std::optional<HeadlessBrowser> browser;
    try {
        browser.emplace();
    } catch (const BrowserUnavailable& why) {
        GTEST_SKIP() << why.what();
    }
    TemporaryFolder folder;
    auto simulator = std::make_unique<Simulator>(folder.File("receiver"), SimulatorOptions);
    Installation installation(folder.File("receiver"));
    const std::uint16_t port = FreeTcpPort();
    ChildProgram program(installation.Program(), {"--http", Loopback(port)},
                         installation.ProgramOptions());
    ASSERT_TRUE(program.WaitUntilReading(simulator->device, 8192, Patience));
    ASSERT_TRUE(WaitUntilServing(port, "/state.json", Patience));

    browser->Open("http://" + Loopback(port) + "/");
    ASSERT_TRUE(browser->WaitUntil(MapAndSatellitesShown, Patience));
    const HttpReply map = HttpGet(port, "/map.png");
    ASSERT_EQ(map.status, 200);
    QImage image;
    ASSERT_TRUE(image.loadFromData(QByteArray::fromStdString(map.body), "PNG"));
    EXPECT_GT(Colours(image), 1u) << "the map is blank";
    EXPECT_EQ(browser->Evaluate("document.getElementById('map').naturalWidth").toInt(),
              image.width());
    EXPECT_FALSE(browser->Evaluate(StaleShown).toBool());

    simulator->program.Signal(SIGTERM);
    ASSERT_TRUE(simulator->program.Wait(Patience));
    const std::optional<std::string> lost = program.WaitForLine("was lost at", Patience);
    ASSERT_TRUE(lost);
    // What the status area shows, the window writes to the log too. Later tries add to the
    // text; it still begins with the loss.
    const std::string loss = LoggedText(*lost);
    const std::string headline = loss.substr(0, loss.find(" ("));
    EXPECT_TRUE(
        browser->WaitUntil(TextOf("status") + ".startsWith(" + Quoted(headline) + ")", Patience))
        << "shown: " << browser->Evaluate(TextOf("status")).toString().toStdString()
        << "\nlogged: " << loss;
    EXPECT_FALSE(browser->Evaluate(StaleShown).toBool()) << "the program still answers";

    simulator = std::make_unique<Simulator>(folder.File("receiver"), SimulatorOptions);
    const std::optional<std::string> resumed = program.WaitForLine("answers again", Patience);
    ASSERT_TRUE(resumed);
    EXPECT_TRUE(
        browser->WaitUntil(TextOf("status") + " === " + Quoted(LoggedText(*resumed)), Patience))
        << "shown: " << browser->Evaluate(TextOf("status")).toString().toStdString()
        << "\nlogged: " << *resumed;

    program.Signal(SIGKILL);
    ASSERT_TRUE(program.Wait(Patience));
    EXPECT_TRUE(browser->WaitUntil(StaleShown, Patience))
        << "shown: " << browser->Evaluate(TextOf("stale")).toString().toStdString();
}

// The token in the line that tells it, as the page's address carries it ("?token=...").
std::string TokenIn(const std::string& line) {
    const std::string key = "token=";
    const std::size_t at = line.find(key);
    return at == std::string::npos
               ? std::string()
               : line.substr(at + key.size(), line.find(' ', at) - at - key.size());
}

struct TokenCase {
    const char* name;
    // With TOKEN in the target or the header standing for the token.
    std::string target;
    std::string header;
    int status;
};

std::string WithToken(std::string text, const std::string& token) {
    if (const std::size_t at = text.find("TOKEN"); at != std::string::npos) {
        text.replace(at, 5, token);
    }
    return text;
}

// On an address other than loopback the program makes a token at first start and writes it to
// its log once; only that token opens the page. Started again it keeps the token and does not
// write it again.
TEST(WebPageEndToEnd, BeyondLoopbackOnlyTheTokenLoggedOnceOpensThePage) {
    TemporaryFolder folder;
    Installation installation(folder.File("no-receiver"));
    const std::uint16_t port = FreeTcpPort();
    const std::vector<std::string> arguments{"--http", "0.0.0.0:" + std::to_string(port)};
    std::string token;
    {
        ChildProgram program(installation.Program(), arguments, installation.ProgramOptions());
        const std::optional<std::string> told = program.WaitForLine("token=", Patience);
        ASSERT_TRUE(told) << "no token in the log";
        token = TokenIn(*told);
        ASSERT_FALSE(token.empty()) << *told;
        std::string wrong = token;
        wrong.back() = wrong.back() == 'a' ? 'b' : 'a';
        ASSERT_TRUE(WaitUntilServing(port, "/", Patience));
        // The server's own tests try every way of giving a token; here, that the one the log
        // gives is the one the program asks for.
        const std::vector<TokenCase> cases = {
            {"PageWithout", "/", "", 401},
            {"StateWithAnother", "/state.json", "Authorization: Bearer " + wrong, 401},
            {"PageWithIt", "/?token=TOKEN", "", 200},
            {"MapWithIt", "/map.png", "Authorization: Bearer TOKEN", 200},
        };
        for (const TokenCase& row : cases) {
            const std::string header = WithToken(row.header, token);
            const HttpReply reply =
                HttpGet(port, WithToken(row.target, token),
                        header.empty() ? std::vector<std::string>{} : std::vector{header});
            EXPECT_EQ(reply.status, row.status) << row.name;
        }
        program.Signal(SIGTERM);
        ASSERT_TRUE(EndedWell(program.Wait(Patience)));
    }
    ChildProgram again(installation.Program(), arguments, installation.ProgramOptions());
    ASSERT_TRUE(WaitUntilServing(port, "/", Patience));
    EXPECT_EQ(HttpGet(port, "/state.json?token=" + token).status, 200);
    again.Signal(SIGTERM);
    ASSERT_TRUE(EndedWell(again.Wait(Patience)));
    EXPECT_THAT(LoggedTexts(again), testing::Each(testing::Not(testing::HasSubstr(token))));
}

// Twenty clients ask for the state and the map as fast as they are answered while the receiver
// sends a recorded log. Reception goes on, and no sentence is lost to the flood: the map the
// program saves is the one the replay tool makes of the same log.
TEST(WebPageEndToEnd, RequestFloodDuringReceptionLosesNoCell) {
    const std::string log = std::string(SKYFENCE_NMEA_DIR) + "/mt3339.log";
    TemporaryFolder folder;
    ChildProgram replay(SKYFENCE_REPLAY, {log, folder.File("replayed.dat")});
    ASSERT_TRUE(EndedWell(replay.Wait(60s)));

    PseudoTerminal receiver;
    Installation installation(receiver.Path());
    const std::uint16_t port = FreeTcpPort();
    ChildProgram program(installation.Program(), {"--http", Loopback(port)},
                         installation.ProgramOptions());
    ASSERT_TRUE(WaitUntilServing(port, "/state.json", Patience));
    // Opening the port clears what waits in it: the log goes out once the program sits idle with
    // the port open.
    ASSERT_TRUE(program.WaitUntilIdle(SIGTERM, Patience));
    ASSERT_TRUE(program.HasOpen(receiver.Path()));

    std::atomic<bool> flooding = true;
    std::atomic<int> served = 0;
    std::mutex countsLock;
    std::set<qint64> counts;
    {
        std::vector<std::jthread> clients;
        for (int client = 0; client < FloodClients; ++client) {
            clients.emplace_back([&, state = client % 2 == 0] {
                while (flooding) {
                    try {
                        const HttpReply reply = HttpGet(port, state ? "/state.json" : "/map.png");
                        served += reply.status == 200 ? 1 : 0;
                        if (state && reply.status == 200) {
                            const qint64 sentences =
                                QJsonDocument::fromJson(QByteArray::fromStdString(reply.body))
                                    .object()["sentences"]
                                    .toInteger();
                            const std::lock_guard lock(countsLock);
                            counts.insert(sentences);
                        }
                    } catch (const std::runtime_error&) {
                        // Past the program's limit of clients a connection may be turned away.
                        std::this_thread::sleep_for(10ms);
                    }
                }
            });
        }
        // About 3 kB a second, three times a real receiver's pace.
        const std::string bytes = ReadFileBytes(log);
        for (std::size_t at = 0; at < bytes.size(); at += LogChunk) {
            receiver.Write(std::string_view(bytes).substr(at, LogChunk));
            std::this_thread::sleep_for(100ms);
        }
        EXPECT_TRUE(WaitUntilTaken(receiver, Patience));
        flooding = false;
    }
    RecordProperty("requests_served", served.load());
    RecordProperty("sentence_counts_seen", static_cast<int>(counts.size()));
    EXPECT_GT(served.load(), FloodClients);
    // The pictures follow the map only every so often; the count of sentences at once.
    EXPECT_GE(counts.size(), 3u) << "reception did not go on during the flood";
    // What the program has taken in it handles within moments.
    std::this_thread::sleep_for(500ms);
    program.Signal(SIGTERM);
    ASSERT_TRUE(EndedWell(program.Wait(Patience)));
    EXPECT_EQ(ReadFileBytes(installation.DataFile()), ReadFileBytes(folder.File("replayed.dat")));
}

} // namespace
