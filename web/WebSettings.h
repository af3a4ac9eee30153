#pragma once

#include <optional>
#include <string>

// Whether and how the program serves its web page: from the command line, or kept in the settings
// (key "Web" below the program's: "Http", "HttpToken" texts and "HttpPosition" a number, 1 for
// on) so that a service started without arguments serves it too.
struct WebSettings {
    // "[ADDRESS:]PORT" to listen on; none: no page.
    std::optional<std::string> Http;
    // The file of the access token.
    std::optional<std::string> HttpToken;
    // The receiver's position is shown.
    bool HttpPosition = false;

    static constexpr const char* KeyName = "Web";

    // The settings kept below `settingsPath` ("HKEY_CURRENT_USER\Software\...") in `file`; a
    // store that cannot be read, or a value of the wrong kind, is a setting not made.
    static WebSettings Read(const std::string& settingsPath, const std::string& file);

    // What the command line gives over what the settings keep: each option given there wins.
    WebSettings Under(const WebSettings& commandLine) const;
};
