#pragma once

#include <optional>
#include <string>

// The folder of the program's maps. The command line may name one (a service does); otherwise
// the maps stay beside a program that was not installed (a build folder, a portable copy) where
// the user may write there, as they always have, and go to the user's own data folder
// (${XDG_DATA_HOME:-$HOME/.local/share}/skyfence/) for an installed program, root included, or
// where the program's folder is not writable. Installed: the program lies in one of the system's
// program folders (/usr/bin, /usr/local/bin, /opt/...), or the install step laid it out with its
// menu entry in the same prefix (PREFIX/bin/skyfence beside PREFIX/share/applications/).
class DataFolder {
public:
    enum class Place { Named, BesideProgram, UserData };

    // What the choice reads from the user's environment; an empty text stands for an unset one.
    struct UserFolders {
        // XDG_DATA_HOME; ignored unless absolute, as the XDG base directory rules ask.
        std::string dataHome;
        // HOME, or the user database's home folder when HOME is unset.
        std::string home;

        static UserFolders FromEnvironment();
    };

    // Makes the chosen folder when it is missing; raises EFileError naming it when it cannot.
    DataFolder(const std::optional<std::string>& named, const std::string& programFolder,
               const UserFolders& user);
    // The running program's choice: `named` from its command line, its own folder, its user's.
    explicit DataFolder(const std::optional<std::string>& named);

    // Ends in "/".
    const std::string& Path() const { return path_; }
    Place Where() const { return place_; }

private:
    std::string path_;
    Place place_ = Place::Named;
};
