#include "ReplayOptions.h"

#include "EReplayUsage.h"
#include "FileIdentity.h"
#include "horizon/MapPicture.h"
#include "horizon/ObservationsFile.h"
#include "horizon/PlotSettings.h"
#include "horizon/SystemGrids.h"

#include <algorithm>
#include <filesystem>
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
    for (const int width : AverageWidths) {
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

// "WIDTHxHEIGHT", each side within what a picture can be.
void ParseSize(const std::string& text, ReplayOptions& options) {
    const std::size_t cross = text.find('x');
    const auto side = [&text](std::size_t from, std::size_t to) {
        const std::string digits = text.substr(from, to - from);
        const bool valid =
            !digits.empty() && digits.size() <= 5 &&
            std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
        return valid ? std::stoi(digits) : 0;
    };
    const int width = cross == std::string::npos ? 0 : side(0, cross);
    const int height = cross == std::string::npos ? 0 : side(cross + 1, text.size());
    if (width < MapPicture::MinimumSize.width() || height < MapPicture::MinimumSize.height() ||
        width > MapPicture::MaximumSide || height > MapPicture::MaximumSide) {
        Refuse("--size takes WIDTHxHEIGHT in pixels from " +
               std::to_string(MapPicture::MinimumSize.width()) + "x" +
               std::to_string(MapPicture::MinimumSize.height()) + " to " +
               std::to_string(MapPicture::MaximumSide) + "x" +
               std::to_string(MapPicture::MaximumSide) + ", not " + Quoted(text));
    }
    options.PictureWidth = width;
    options.PictureHeight = height;
}

int ParseThreshold(const std::string& text) {
    for (int snr = 1; snr <= 99; ++snr) {
        if (text == std::to_string(snr)) {
            return snr;
        }
    }
    Refuse("--threshold takes an SNR in dB from 1 to 99, not " + Quoted(text));
}

// Each option of `options` that was given needs one of `needed`.
void RequireOneOf(const std::set<std::string>& given, const std::vector<std::string>& options,
                  const std::vector<std::string>& needed, const std::string& what) {
    const auto isGiven = [&given](const std::string& option) { return given.contains(option); };
    if (std::any_of(options.begin(), options.end(), isGiven) &&
        std::none_of(needed.begin(), needed.end(), isGiven)) {
        Refuse(what);
    }
}

const std::string& FileName(const std::string& what, const std::string& name) {
    if (name.empty()) {
        Refuse(what + " needs a file name, not an empty one");
    }
    return name;
}

// A file the run reads or writes, and what it is to the user.
struct RunFile {
    std::string role;
    std::string path;
    FileIdentity identity;
    bool written;
    // The output a read file may be: it is read before anything is written, and replaced by the
    // map it helped to make.
    std::string mayBe;
};

// Each output replaces its file: naming a file twice, whatever the spelling or the links, would
// lose the log, a map or another output. Only a map brought up to date may be read and written.
void RefuseSharedFiles(const ReplayOptions& options) {
    std::vector<RunFile> files;
    const auto read = [&files](const std::string& role, const std::string& path,
                               const std::string& mayBe = "") {
        files.push_back({role, path, FileIdentity(path), false, mayBe});
    };
    const auto write = [&files](const std::string& role, const std::optional<std::string>& path) {
        if (path) {
            files.push_back({role, *path, FileIdentity(*path), true, ""});
        }
    };
    read("the input", options.Input);
    // Only the start files that are there are read.
    const auto readIfThere = [&read](const std::string& role, const std::string& path,
                                     const std::string& mayBe) {
        std::error_code error;
        if (std::filesystem::exists(path, error)) {
            read(role, path, mayBe);
        }
    };
    if (options.StartGrid) {
        read("the start grid", *options.StartGrid, "the output");
        readIfThere("the start observations", ObservationsFileName(*options.StartGrid),
                    "the observations of the output");
        for (const SatelliteSystem system : AllSatelliteSystems) {
            const std::string file = SystemGrids::FileNameBeside(*options.StartGrid, system);
            if (options.AllSystems) {
                readIfThere(std::string("the start map of ") + SystemName(system), file,
                            std::string("the map of ") + SystemName(system));
                readIfThere(std::string("the start observations of ") + SystemName(system),
                            ObservationsFileName(file),
                            std::string("the observations of ") + SystemName(system));
            }
        }
    }
    if (options.Compare) {
        read("the map compared with", *options.Compare, "the output");
    }
    write("the output", options.Output);
    write("the observations of the output", ObservationsFileName(options.Output));
    for (const SatelliteSystem system : AllSatelliteSystems) {
        if (options.AllSystems) {
            const std::string map = SystemGrids::FileNameBeside(options.Output, system);
            write(std::string("the map of ") + SystemName(system), map);
            write(std::string("the observations of ") + SystemName(system),
                  ObservationsFileName(map));
        }
    }
    write("the picture", options.Picture);
    write("the cells", options.Cells);
    write("the profile", options.Profile);
    write("the difference picture", options.Difference);
    write("the difference cells", options.DifferenceCells);
    write("the observations table", options.Observations);
    write("the report", options.Report);
    write("the mask", options.Mask);
    for (std::size_t later = 1; later < files.size(); ++later) {
        for (std::size_t earlier = 0; earlier < later; ++earlier) {
            const RunFile& a = files[earlier];
            const RunFile& b = files[later];
            const bool harmless = (!a.written && !b.written) || (!a.written && a.mayBe == b.role) ||
                                  (!b.written && b.mayBe == a.role);
            if (!harmless && a.identity == b.identity) {
                Refuse(b.role + " " + Quoted(b.path) + " is the same file as " + a.role + " " +
                       Quoted(a.path));
            }
        }
    }
}

} // namespace

ReplayOptions ParseReplayArguments(const std::vector<std::string>& arguments) {
    ReplayOptions options;
    std::vector<std::string> files;
    std::set<std::string> given;
    std::optional<std::string> siteName;
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
        } else if (argument == "--colour") {
            options.Plot.Colours = Palette::Viridis;
        } else if (argument == "--annotate") {
            options.Annotate = true;
        } else if (argument == "--profile-line") {
            options.Plot.ProfileLine = true;
        } else if (argument == "--size") {
            ParseSize(value(), options);
        } else if (argument == "--threshold") {
            options.Plot.ProfileThreshold = ParseThreshold(value());
        } else if (argument == "--cells") {
            options.Cells = FileName(argument, value());
        } else if (argument == "--profile") {
            options.Profile = FileName(argument, value());
        } else if (argument == "--compare") {
            options.Compare = FileName(argument, value());
        } else if (argument == "--difference") {
            options.Difference = FileName(argument, value());
        } else if (argument == "--difference-cells") {
            options.DifferenceCells = FileName(argument, value());
        } else if (argument == "--observations") {
            options.Observations = FileName(argument, value());
        } else if (argument == "--report") {
            options.Report = FileName(argument, value());
        } else if (argument == "--site-name") {
            siteName = value();
            if (siteName->empty()) {
                Refuse("--site-name needs a name, not an empty one");
            }
        } else if (argument == "--mask") {
            options.Mask = FileName(argument, value());
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
    // A report names the site by the log unless told otherwise; a folder's name ends in "/".
    const std::string leaf = std::filesystem::path(options.Input).filename().string();
    options.SiteName = siteName.value_or(leaf.empty() ? options.Input : leaf);
    RequireOneOf(given, {"--system", "--filled", "--average"}, {"--picture"},
                 "--system, --filled and --average shape the picture: they need --picture");
    RequireOneOf(given, {"--annotate", "--profile-line"}, {"--picture"},
                 "--annotate and --profile-line shape the picture: they need --picture");
    RequireOneOf(given, {"--colour"}, {"--picture", "--report"},
                 "--colour colours the maps drawn: it needs --picture or --report");
    RequireOneOf(given, {"--polar", "--size"}, {"--picture", "--difference"},
                 "--polar and --size shape the pictures: they need --picture or --difference");
    RequireOneOf(given, {"--threshold"}, {"--profile", "--profile-line", "--report", "--mask"},
                 "--threshold sets the horizon profile's and the sky classes': it needs --profile, "
                 "--profile-line, --report or --mask");
    RequireOneOf(given, {"--site-name"}, {"--report"},
                 "--site-name names the site in the report: it needs --report");
    RequireOneOf(given, {"--compare"}, {"--difference", "--difference-cells"},
                 "--compare needs --difference or --difference-cells to write what changed");
    RequireOneOf(given, {"--difference", "--difference-cells"}, {"--compare"},
                 "--difference and --difference-cells need --compare: the map to compare with");
    if (options.PictureSystem && !options.AllSystems) {
        Refuse("--system draws a single system's map: it needs --all-systems");
    }
    RefuseSharedFiles(options);
    return options;
}
