#include "ProgramOptions.h"

#include <stdexcept>

ProgramOptions ProgramOptions::Parse(const std::vector<std::string>& arguments) {
    ProgramOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string folder;
        if (argument == "--data-folder" && i + 1 < arguments.size()) {
            folder = arguments[++i];
        } else if (argument.starts_with("--data-folder=")) {
            folder = argument.substr(std::string_view("--data-folder=").size());
        } else {
            throw std::invalid_argument("unknown or incomplete argument \"" + argument + "\"\n" +
                                        Usage);
        }
        if (folder.empty()) {
            throw std::invalid_argument(std::string("the data folder must not be empty\n") + Usage);
        }
        if (!folder.ends_with('/')) {
            folder += '/';
        }
        options.dataFolder = folder;
    }
    return options;
}
