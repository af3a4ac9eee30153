#include "HeadlessBrowser.h"

#include <QJsonDocument>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The browser reads its commands from descriptor 3 and writes its answers to descriptor 4.
constexpr int BrowserCommands = 3;
constexpr int BrowserAnswers = 4;
// Above every descriptor the child moves, so that moving one cannot overwrite another.
constexpr int SpareDescriptors = 10;

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = folder + "/" + name;
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

// A browser that went away must fail the call, not end the test program with SIGPIPE.
void WriteAll(int fd, std::string_view bytes) {
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t previous;
    ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    int error = 0;
    while (!bytes.empty() && error == 0) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (errno != EINTR) {
            error = errno;
        }
    }
    const timespec now{};
    while (::sigtimedwait(&pipeSignal, nullptr, &now) == SIGPIPE) {
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (error != 0) {
        throw std::runtime_error(std::string("cannot reach the browser: ") + std::strerror(error));
    }
}

std::chrono::milliseconds Left(Clock::time_point deadline) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
}

} // namespace

HeadlessBrowser::HeadlessBrowser(std::chrono::milliseconds startLimit) {
    const std::string program = FindOnPath("chromium");
    if (program.empty()) {
        throw BrowserUnavailable("chromium is not installed (scripts/install-deps installs it)");
    }
    std::vector<std::string> texts{program,
                                   "--headless",
                                   "--no-sandbox",
                                   "--disable-gpu",
                                   "--remote-debugging-pipe",
                                   "--user-data-dir=" + profile_.Path(),
                                   "--no-first-run",
                                   "--disable-background-networking",
                                   "--disable-component-update",
                                   "--disable-default-apps",
                                   "--disable-extensions",
                                   "--disable-sync",
                                   "--mute-audio",
                                   "about:blank"};
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    int commands[2];
    int answers[2];
    if (::pipe2(commands, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    FileDescriptor commandsRead(commands[0]);
    commands_.Reset(commands[1]);
    if (::pipe2(answers, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    answers_.Reset(answers[0]);
    FileDescriptor answersWrite(answers[1]);
    const FileDescriptor nothing(::open("/dev/null", O_RDWR | O_CLOEXEC));

    // Between fork and exec only system calls: the test process has threads. A group of its own,
    // so that the browser's helper processes go with it.
    pid_ = ::fork();
    if (pid_ == 0) {
        ::setpgid(0, 0);
        const int reading = ::fcntl(commandsRead.Get(), F_DUPFD, SpareDescriptors);
        const int writing = ::fcntl(answersWrite.Get(), F_DUPFD, SpareDescriptors);
        if (reading < 0 || writing < 0 || ::dup2(reading, BrowserCommands) < 0 ||
            ::dup2(writing, BrowserAnswers) < 0) {
            ::_exit(126);
        }
        ::dup2(nothing.Get(), STDIN_FILENO);
        ::dup2(nothing.Get(), STDOUT_FILENO);
        ::dup2(nothing.Get(), STDERR_FILENO);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (pid_ < 0) {
        throw std::runtime_error(std::string("cannot start chromium: ") + std::strerror(errno));
    }
    try {
        Call("Browser.getVersion", {}, false, startLimit);
    } catch (const std::runtime_error& failure) {
        Kill();
        throw BrowserUnavailable(std::string("chromium does not run here: ") + failure.what());
    }
}

HeadlessBrowser::~HeadlessBrowser() {
    Kill();
}

void HeadlessBrowser::Kill() {
    if (pid_ > 0) {
        ::kill(-pid_, SIGKILL);
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }
}

void HeadlessBrowser::Open(const std::string& url, int width, int height) {
    const QJsonObject target = Call("Target.createTarget",
                                    {{"url", QString::fromStdString(url)},
                                     {"newWindow", true},
                                     {"width", width},
                                     {"height", height}},
                                    false);
    const QJsonObject attached =
        Call("Target.attachToTarget", {{"targetId", target["targetId"]}, {"flatten", true}}, false);
    session_ = attached["sessionId"].toString();
}

QJsonValue HeadlessBrowser::Evaluate(const std::string& expression) {
    const QJsonObject result = Call("Runtime.evaluate",
                                    {{"expression", QString::fromStdString(expression)},
                                     {"returnByValue", true},
                                     {"awaitPromise", true}},
                                    true);
    if (result.contains("exceptionDetails")) {
        const QJsonObject details = result["exceptionDetails"].toObject();
        const QString description = details["exception"].toObject()["description"].toString();
        throw std::runtime_error(
            "the page raised: " +
            (description.isEmpty() ? details["text"].toString() : description).toStdString());
    }
    return result["result"].toObject()["value"];
}

bool HeadlessBrowser::WaitUntil(const std::string& expression, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        try {
            if (Evaluate(expression).toBool()) {
                return true;
            }
        } catch (const std::runtime_error&) {
            // A page still loading has no document to ask yet.
        }
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

QJsonObject HeadlessBrowser::Call(const std::string& method, const QJsonObject& parameters,
                                  bool inPage, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    const int id = ++lastId_;
    QJsonObject command{
        {"id", id}, {"method", QString::fromStdString(method)}, {"params", parameters}};
    if (inPage) {
        if (session_.isEmpty()) {
            throw std::logic_error("no page is open");
        }
        command["sessionId"] = session_;
    }
    WriteAll(commands_.Get(),
             QJsonDocument(command).toJson(QJsonDocument::Compact).toStdString() + '\0');
    for (;;) {
        if (const auto end = pending_.find('\0'); end != std::string::npos) {
            const QJsonObject message =
                QJsonDocument::fromJson(QByteArray::fromStdString(pending_.substr(0, end)))
                    .object();
            pending_.erase(0, end + 1);
            if (message["id"].toInt() != id) {
                continue;
            }
            if (message.contains("error")) {
                throw std::runtime_error(
                    method + ": " +
                    message["error"].toObject()["message"].toString().toStdString());
            }
            return message["result"].toObject();
        }
        const auto left = Left(deadline);
        if (left.count() <= 0) {
            throw std::runtime_error(method + ": no answer from the browser in time");
        }
        pollfd readable{answers_.Get(), POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        char buffer[65536];
        const ssize_t got = ::read(answers_.Get(), buffer, sizeof buffer);
        if (got == 0 || (got < 0 && errno != EINTR)) {
            throw std::runtime_error(method + ": the browser has ended");
        }
        pending_.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    }
}
