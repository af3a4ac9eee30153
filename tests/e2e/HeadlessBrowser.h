#pragma once

#include "TemporaryFolder.h"
#include "platform/FileDescriptor.h"

#include <QJsonObject>
#include <QJsonValue>

#include <chrono>
#include <stdexcept>
#include <string>
#include <sys/types.h>

// Raised where no usable browser is on this machine: none installed, or one that does not start.
class BrowserUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Debian's chromium without a display and with a profile of its own, driven through its
// debugging pipe. One browser lives through a whole test, so that a page opened early can be
// watched while the program behind it loses its receiver or dies, in real time. Every call has a
// deadline; the browser and its helpers are killed with the object.
class HeadlessBrowser {
public:
    // Raises BrowserUnavailable when chromium is missing or does not answer within `startLimit`.
    explicit HeadlessBrowser(std::chrono::milliseconds startLimit = std::chrono::seconds(30));
    HeadlessBrowser(const HeadlessBrowser&) = delete;
    HeadlessBrowser& operator=(const HeadlessBrowser&) = delete;
    ~HeadlessBrowser();

    // Opens `url` in a new tab of `width` x `height` pixels, the one the calls below act on. The
    // page loads on its own; wait for what it should show with WaitUntil.
    void Open(const std::string& url, int width = 1024, int height = 900);
    // The value of the script `expression` in the page (a promise is awaited); raises
    // std::runtime_error when it throws.
    QJsonValue Evaluate(const std::string& expression);
    // Evaluates `expression` every tenth of a second until it is true; false when it is not
    // within `limit`.
    bool WaitUntil(const std::string& expression, std::chrono::milliseconds limit);

private:
    void Kill();
    // Sends one command (to the page when `inPage`) and returns its result, skipping the events
    // that come in between.
    QJsonObject Call(const std::string& method, const QJsonObject& parameters, bool inPage,
                     std::chrono::milliseconds limit = std::chrono::seconds(20));

    TemporaryFolder profile_;
    FileDescriptor commands_;
    FileDescriptor answers_;
    pid_t pid_ = -1;
    std::string pending_;
    int lastId_ = 0;
    QString session_;
};
