#pragma once

#include <QFuture>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// Whether a gpsd answers at an address (gpsd://HOST[:PORT]): it accepts a connection and greets
// with its version, within `limit` in all. For the setup, which offers a local gpsd only when
// there is one; a machine without gpsd refuses at once, so the dialog does not wait for nothing.
class GpsdProbe {
public:
    static bool Answers(const std::string& address,
                        std::chrono::milliseconds limit = std::chrono::milliseconds(300));
    // The same asked on a thread of the pool, so that the caller goes on at once; `items` turns
    // the answer into the items the future carries, on that thread too: a continuation attached
    // to a future that may be finishing meanwhile races inside Qt 6.4. A probe that raises counts
    // as no answer. The program waits for it at its end.
    using Items = std::vector<std::string>;
    static QFuture<Items>
    AnswersLater(const std::string& address, std::function<Items(bool answers)> items,
                 std::chrono::milliseconds limit = std::chrono::milliseconds(300));
};
