#pragma once

#include <optional>
#include <string>
#include <string_view>

// The access token the web page asks for. Named by the user (--http-token FILE: the file's first
// line), or, for an address other than loopback without one, made at the first start (random,
// 32 hexadecimal digits) and kept in the data folder, readable by its owner only, for every
// later start. On loopback without a file the page asks for none.
class WebToken {
public:
    static constexpr std::string_view FileName = "Skyfence-http.token";

    // Raises Exception when the file named cannot be read or holds no usable token, and when
    // the kept one cannot be read or made.
    WebToken(const std::optional<std::string>& tokenFile, bool loopback,
             const std::string& dataFolder);

    const std::optional<std::string>& Token() const { return token_; }
    // Set when this start made the token: the text to write to the log, once.
    const std::optional<std::string>& Made() const { return made_; }

    // Whether `given` is `expected`, in a time that tells nothing of how much of it was right.
    static bool Matches(std::string_view expected, std::string_view given);

private:
    void UseKept(const std::string& path);

    std::optional<std::string> token_;
    std::optional<std::string> made_;
};
