#include "SpawnedProgram.h"
#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;

// Only for a program that hangs; a working one is far quicker.
constexpr auto Patience = 20s;

// Appends what `fd` offers until `text` is `enough` bytes long, the end comes, or patience ends.
void ReadUntil(int fd, std::string& text, std::size_t enough) {
    const auto deadline = std::chrono::steady_clock::now() + Patience;
    std::array<char, 4096> buffer{};
    while (text.size() < enough && std::chrono::steady_clock::now() < deadline) {
        pollfd readable{fd, POLLIN, 0};
        if (::poll(&readable, 1, 100) <= 0) {
            continue;
        }
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got <= 0) {
            return;
        }
        text.append(buffer.data(), static_cast<std::size_t>(got));
    }
}

// The simulator as a child process, its output and errors on pipes; killed if it outlives the
// test.
class Simulator {
public:
    explicit Simulator(std::vector<std::string> arguments) {
        std::array<int, 2> out{};
        std::array<int, 2> err{};
        EXPECT_EQ(::pipe2(out.data(), O_CLOEXEC) | ::pipe2(err.data(), O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        arguments.insert(arguments.begin(), SKYFENCE_SIM_PROGRAM);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        EXPECT_EQ(
            ::posix_spawn(&pid_, SKYFENCE_SIM_PROGRAM, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;
    ~Simulator() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
        ::close(err_);
    }

    std::string FirstLine() {
        std::string line;
        char c = 0;
        while (::read(out_, &c, 1) == 1 && c != '\n') {
            line += c;
        }
        return line;
    }

    // Everything written on standard error, once it has ended.
    std::string Errors() const {
        std::string text;
        ReadUntil(err_, text, SIZE_MAX);
        return text;
    }

    void Signal(int signal) const { ::kill(pid_, signal); }

    // The exit status, or nothing when it does not end in time or is killed.
    std::optional<int> ExitStatus() {
        int status = 0;
        for (const auto deadline = std::chrono::steady_clock::now() + Patience;
             ::waitpid(pid_, &status, WNOHANG) == 0; std::this_thread::sleep_for(10ms)) {
            if (std::chrono::steady_clock::now() > deadline) {
                return std::nullopt;
            }
        }
        pid_ = -1;
        return WIFEXITED(status) ? std::optional(WEXITSTATUS(status)) : std::nullopt;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

std::string LinkTarget(const std::string& path) {
    std::array<char, 4096> target{};
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    return length < 0 ? std::string()
                      : std::string(target.data(), static_cast<std::size_t>(length));
}

bool Exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

// Up to `bytes` bytes from the device at `path`, fewer when it closes.
std::string ReadDevice(const std::string& path, std::size_t bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
    EXPECT_GE(fd, 0) << path;
    std::string text;
    ReadUntil(fd, text, bytes);
    ::close(fd);
    return text;
}

bool ChecksumHolds(const std::string& sentence) {
    const std::size_t star = sentence.find('*');
    if (!sentence.starts_with('$') || star == std::string::npos || star + 3 != sentence.size()) {
        return false;
    }
    unsigned checksum = 0;
    for (std::size_t i = 1; i < star; ++i) {
        checksum ^= static_cast<unsigned char>(sentence[i]);
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02X", checksum);
    return sentence.substr(star + 1) == hex;
}

TEST(SimProgram, LinksTheDeviceAndWritesNmea) {
    const TemporaryFolder folder;
    const std::string link = folder.File("gps");
    WriteFileBytes(link, "a file left there is replaced");
    Simulator simulator({"--link", link, "--speed", "600"});
    const std::string device = simulator.FirstLine();
    EXPECT_TRUE(device.starts_with("/dev/pts/")) << device;
    EXPECT_EQ(LinkTarget(link), device);

    const std::string text = ReadDevice(link, 8000);
    std::size_t positions = 0;
    std::size_t inView = 0;
    for (std::size_t start = text.find('$'), end = 0;
         (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string sentence = text.substr(start, end - start);
        EXPECT_TRUE(ChecksumHolds(sentence)) << sentence;
        positions += sentence.starts_with("$GPRMC,");
        inView += sentence.starts_with("$GPGSV,");
    }
    EXPECT_GT(positions, 2u);
    EXPECT_GT(inView, 2 * positions);

    simulator.Signal(SIGTERM);
    EXPECT_EQ(simulator.ExitStatus(), 0);
    EXPECT_EQ(simulator.Errors(), "");
}

TEST(SimProgram, AllSystemsInTheirOwnSentences) {
    const TemporaryFolder folder;
    const std::string link = folder.File("gps");
    Simulator simulator({"--link", link, "--speed", "600", "--all-systems"});
    ASSERT_TRUE(simulator.FirstLine().starts_with("/dev/pts/"));

    const std::string text = ReadDevice(link, 12000);
    std::map<std::string, std::size_t> sentences;
    for (std::size_t start = text.find('$'), end = 0;
         (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string sentence = text.substr(start, end - start);
        EXPECT_TRUE(ChecksumHolds(sentence)) << sentence;
        ++sentences[sentence.substr(0, sentence.find(','))];
    }
    EXPECT_GT(sentences["$GNRMC"], 2u);
    for (const char* inView : {"$GPGSV", "$GLGSV", "$GAGSV", "$GBGSV"}) {
        EXPECT_GE(sentences[inView], sentences["$GNRMC"]) << inView;
    }
    EXPECT_EQ(sentences["$GPRMC"], 0u);

    simulator.Signal(SIGTERM);
    EXPECT_EQ(simulator.ExitStatus(), 0);
    EXPECT_EQ(simulator.Errors(), "");
}

struct StopCase {
    const char* name;
    int signal;
    const char* speed;
    // Nobody reads: the signal comes once the terminal is full and the simulator waits to write.
    bool full;
};

// Waits until the terminal holds what nobody has read, as much as its input queue takes.
bool TerminalFills(const std::string& device) {
    const int reader = ::open(device.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (reader < 0) {
        return false;
    }
    constexpr int nearlyFull = 4000;
    int queued = 0;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while ((::ioctl(reader, FIONREAD, &queued) != 0 || queued < nearlyFull) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    ::close(reader);
    return queued >= nearlyFull;
}

class SimProgramStop : public testing::TestWithParam<StopCase> {};

TEST_P(SimProgramStop, RemovesTheLinkAndEndsCleanly) {
    const TemporaryFolder folder;
    const std::string link = folder.File("gps");
    Simulator simulator({"--link", link, "--speed", GetParam().speed});
    const std::string device = simulator.FirstLine();
    ASSERT_EQ(LinkTarget(link), device);
    if (GetParam().full) {
        ASSERT_TRUE(TerminalFills(device));
    }
    simulator.Signal(GetParam().signal);
    EXPECT_EQ(simulator.ExitStatus(), 0);
    EXPECT_FALSE(Exists(link));
}

INSTANTIATE_TEST_SUITE_P(Signals, SimProgramStop,
                         testing::Values(StopCase{"Interrupt", SIGINT, "1", false},
                                         StopCase{"TermWhileTheTerminalIsFull", SIGTERM, "100000",
                                                  true}),
                         CaseName());

TEST(SimProgram, ReplaysALogByteForByte) {
    const TemporaryFolder folder;
    const std::string link = folder.File("gps");
    const std::string log = std::string(SKYFENCE_NMEA_DIR) + "/mt3339.log";
    std::string expected;
    std::ifstream in(log, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with('#')) {
            expected += line + (in.eof() ? "" : "\n");
        }
    }
    ASSERT_NE(expected.find("\r\n"), std::string::npos);
    Simulator simulator({"--link", link, "--replay", log, "--rate", "1000000"});
    ASSERT_TRUE(simulator.FirstLine().starts_with("/dev/pts/"));

    EXPECT_EQ(ReadDevice(link, expected.size() + 1), expected);
    EXPECT_EQ(simulator.ExitStatus(), 0);
    EXPECT_FALSE(Exists(link));
}

// Standard output in a file past the file size limit: the simulator names the file and ends
// instead of being killed by SIGXFSZ.
TEST(SimProgram, UnwritableOutputIsReported) {
    const TemporaryFolder folder;
    const std::string output = folder.File("device.txt");
    std::array<int, 2> err{};
    ASSERT_EQ(::pipe2(err.data(), O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    const pid_t pid =
        SpawnProgram(SKYFENCE_SIM_PROGRAM, {"--link", folder.File("gps")}, actions, 4);
    posix_spawn_file_actions_destroy(&actions);
    ::close(err[1]);
    ASSERT_GT(pid, 0);

    std::string errors;
    ReadUntil(err[0], errors, SIZE_MAX);
    ::close(err[0]);
    ::kill(pid, SIGKILL); // only if it still runs
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(errors.find("\"" + output + "\": File too large"), std::string::npos) << errors;
    EXPECT_FALSE(Exists(folder.File("gps")));
}

struct FailureCase {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    const char* message;
};

class SimProgramFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(SimProgramFailure, OneLineAndAStatus) {
    Simulator simulator(GetParam().arguments);
    EXPECT_EQ(simulator.ExitStatus(), GetParam().status);
    const std::string errors = simulator.Errors();
    EXPECT_NE(errors.find(GetParam().message), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, SimProgramFailure,
    testing::Values(FailureCase{"NoArguments", {}, 2, "usage: skyfence-sim --link PATH"},
                    FailureCase{"ZeroSpeed", {"--link", "/tmp/x", "--speed", "0"}, 2, "usage:"},
                    FailureCase{"MissingLog",
                                {"--link", "/tmp/x", "--replay", "/missing.log"},
                                1,
                                "\"/missing.log\""}),
    CaseName());

} // namespace
