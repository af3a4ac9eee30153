#pragma once

#include "ChildProgram.h"
#include "TemporaryFolder.h"

#include <string>

// Settings under the folder `config` (what XDG_CONFIG_HOME names) that name the receiver at
// `port`, with the receiver setting's text `receiver` unless it is empty.
void WriteReceiverSettings(const std::string& config, const std::string& port,
                           const std::string& receiver = {});

// A folder holding a copy of the program, its data file and its own settings, which name the
// receiver at `port`.
class Installation {
public:
    // `receiver` is the receiver setting's text, or empty for none (the default setting).
    explicit Installation(const std::string& port, const std::string& receiver = {});

    std::string Program() const { return folder_.File("skyfence"); }
    std::string DataFile() const { return folder_.File("Skyfence.dat"); }
    std::string Config() const { return folder_.File("config"); }
    std::string SettingsFile() const { return folder_.File("config/skyfence/registry.reg"); }
    std::string Folder() const { return folder_.Path(); }
    // How to start the program here: with these settings, no display, and its messages readable.
    ChildProgramOptions ProgramOptions() const;

private:
    TemporaryFolder folder_;
};
