#pragma once

#include <optional>
#include <string>
#include <vector>

// What the command line may change. Without arguments the program keeps its map where
// DataFolder puts it (beside itself where it may write there); a service names a folder instead.
struct ProgramOptions {
    // The folder of the data files, with a trailing "/"; none: DataFolder's choice.
    std::optional<std::string> dataFolder;
    // The web page: "[ADDRESS:]PORT" to serve it on, the access token's file, and whether it
    // shows the receiver's position. None given: as the settings say.
    std::optional<std::string> http;
    std::optional<std::string> httpToken;
    bool httpPosition = false;

    // The arguments after the program's name (the toolkit's own already taken out). Raises
    // std::invalid_argument with a message for the user on anything else.
    static ProgramOptions Parse(const std::vector<std::string>& arguments);
    static constexpr const char* Usage =
        "usage: skyfence [--data-folder FOLDER] [--http [ADDRESS:]PORT [--http-token FILE] "
        "[--http-position]]";
};
