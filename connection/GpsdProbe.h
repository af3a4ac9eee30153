#pragma once

#include <QFuture>

#include <chrono>
#include <string>

// Whether a gpsd answers at an address (gpsd://HOST[:PORT]): it accepts a connection and greets
// with its version, within `limit` in all. For the setup, which offers a local gpsd only when
// there is one; a machine without gpsd refuses at once, so the dialog does not wait for nothing.
class GpsdProbe {
public:
    static bool Answers(const std::string& address,
                        std::chrono::milliseconds limit = std::chrono::milliseconds(300));
    // The same asked on a thread of the pool, so that the caller goes on at once; the program
    // waits for it at its end.
    static QFuture<bool>
    AnswersLater(const std::string& address,
                 std::chrono::milliseconds limit = std::chrono::milliseconds(300));
};
