#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Looks at a client's request as its bytes arrive, before the HTTP server holds or parses it:
// one larger than the server takes is refused (the head, request line and headers, up to the
// first empty line: 431; the body: 413), and so is one whose target is not a route as the
// client wrote it (404), since the server's own reading makes "//etc/passwd" into "/passwd".
class WebRequestCheck {
public:
    enum class Verdict { Fits, HeadTooLarge, BodyTooLarge, NotARoute };

    explicit WebRequestCheck(std::size_t limit) : limit_(limit) {}

    Verdict Add(std::string_view bytes);
    // The request was answered: the next one starts from nothing.
    void Restart();
    // Whether any byte of the next request has come since the last answer.
    bool Started() const { return received_ > 0; }

private:
    bool CheckLine(std::string_view bytes);

    std::size_t limit_;
    std::size_t received_ = 0;
    bool headEnded_ = false;
    bool lineEnded_ = false;
    bool route_ = true;
    // The request line while it comes; then the last bytes of the head, for an empty line that
    // arrives in two pieces.
    std::string line_;
    std::string tail_;
};
