#include "ProgramOptions.h"

#include <stdexcept>
#include <string_view>

namespace {

std::invalid_argument Refusal(const std::string& message) {
    return std::invalid_argument(message + "\n" + ProgramOptions::Usage);
}

// The value of `name` ("--name VALUE" or "--name=VALUE") at `i`, which then points at its last
// argument; none when the argument is another.
std::optional<std::string> Value(const std::vector<std::string>& arguments, std::size_t& i,
                                 std::string_view name) {
    const std::string& argument = arguments[i];
    std::string value;
    if (argument == name && i + 1 < arguments.size()) {
        value = arguments[++i];
    } else if (argument.starts_with(name) && argument.size() > name.size() &&
               argument[name.size()] == '=') {
        value = argument.substr(name.size() + 1);
    } else {
        return std::nullopt;
    }
    if (value.empty()) {
        throw Refusal("the value of " + std::string(name) + " must not be empty");
    }
    return value;
}

} // namespace

ProgramOptions ProgramOptions::Parse(const std::vector<std::string>& arguments) {
    ProgramOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (std::optional<std::string> folder = Value(arguments, i, "--data-folder")) {
            if (!folder->ends_with('/')) {
                *folder += '/';
            }
            options.dataFolder = std::move(folder);
        } else if (std::optional<std::string> http = Value(arguments, i, "--http")) {
            options.http = std::move(http);
        } else if (std::optional<std::string> token = Value(arguments, i, "--http-token")) {
            options.httpToken = std::move(token);
        } else if (arguments[i] == "--http-position") {
            options.httpPosition = true;
        } else {
            throw Refusal("unknown or incomplete argument \"" + arguments[i] + "\"");
        }
    }
    return options;
}
