#include "ReplayOptions.h"

#include "EReplayUsage.h"
#include "horizon/SystemGrids.h"

#include <algorithm>
#include <array>
#include <set>

namespace {

[[noreturn]] void Refuse(const std::string& why) {
    throw EReplayUsage(why);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::size_t ParseBlockSize(const std::string& text) {
    // Digits only, and few enough that the number cannot overflow before the range check.
    const bool digits =
        !text.empty() && text.size() <= 9 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    const std::size_t size = digits ? std::stoul(text) : 0;
    if (size < 1 || size > ReplayOptions::MaxBlockSize) {
        Refuse("--block takes a number of bytes from 1 to " +
               std::to_string(ReplayOptions::MaxBlockSize) + ", not " + Quoted(text));
    }
    return size;
}

int ParseAverageWidth(const std::string& text) {
    // The widths the window's menu offers: each divides 360.
    constexpr std::array widths{1, 2, 5, 10};
    for (const int width : widths) {
        if (text == std::to_string(width)) {
            return width;
        }
    }
    Refuse("--average takes 1, 2, 5 or 10, not " + Quoted(text));
}

SatelliteSystem ParseSystem(const std::string& text) {
    if (const auto system = SystemFromName(text)) {
        return *system;
    }
    std::string names;
    for (const SatelliteSystem system : AllSatelliteSystems) {
        names += std::string(names.empty() ? "" : ", ") + SystemName(system);
    }
    Refuse("--system takes one of " + names + ", not " + Quoted(text));
}

const std::string& FileName(const std::string& what, const std::string& name) {
    if (name.empty()) {
        Refuse(what + " needs a file name, not an empty one");
    }
    return name;
}

} // namespace

ReplayOptions ParseReplayArguments(const std::vector<std::string>& arguments) {
    ReplayOptions options;
    std::vector<std::string> files;
    std::set<std::string> given;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        // A lone "-" is a file name, as everywhere else.
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            files.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            options.Help = true;
            return options;
        }
        if (!given.insert(argument).second) {
            Refuse(argument + " is given twice");
        }
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) {
                Refuse(argument + " needs a value");
            }
            return arguments[++i];
        };
        if (argument == "--grid") {
            options.StartGrid = FileName(argument, value());
        } else if (argument == "--block") {
            options.BlockSize = ParseBlockSize(value());
        } else if (argument == "--picture") {
            options.Picture = FileName(argument, value());
        } else if (argument == "--all-systems") {
            options.AllSystems = true;
        } else if (argument == "--system") {
            options.PictureSystem = ParseSystem(value());
        } else if (argument == "--average") {
            options.Plot.AverageWidth = ParseAverageWidth(value());
        } else if (argument == "--polar") {
            options.Plot.Polar = true;
        } else if (argument == "--filled") {
            options.Plot.Filled = true;
        } else {
            Refuse("unknown option " + Quoted(argument));
        }
    }
    if (files.size() < 2) {
        Refuse("an input log and an output data file are needed");
    }
    if (files.size() > 2) {
        Refuse("unexpected argument " + Quoted(files[2]));
    }
    options.Input = FileName("the input", files[0]);
    options.Output = FileName("the output", files[1]);
    if (!options.Picture && (given.contains("--polar") || given.contains("--filled") ||
                             given.contains("--average") || given.contains("--system"))) {
        Refuse("--system, --polar, --filled and --average shape the picture: they need --picture");
    }
    if (options.PictureSystem && !options.AllSystems) {
        Refuse("--system draws a single system's map: it needs --all-systems");
    }
    // Each output replaces its file, so naming one file twice would lose the first of them.
    if (options.Output == options.Input || options.Picture == options.Input ||
        options.Picture == options.Output) {
        Refuse("the input, the output and the picture must be different files");
    }
    if (options.AllSystems) {
        for (const SatelliteSystem system : AllSatelliteSystems) {
            const std::string systemOutput = SystemGrids::FileNameBeside(options.Output, system);
            if (systemOutput == options.Input || options.Picture == systemOutput) {
                Refuse("the input and the picture must not be the file of a system's map, " +
                       Quoted(systemOutput));
            }
        }
    }
    return options;
}
