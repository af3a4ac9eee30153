#include "FileIdentity.h"

#include <filesystem>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// As many links as the system follows before it gives up on a name.
constexpr int MaxLinks = 40;

// Where a write would make the file: through links that lead nowhere yet, as writing follows them.
fs::path PathToMake(fs::path path) {
    std::error_code error;
    for (int links = 0; links < MaxLinks && fs::is_symlink(fs::symlink_status(path, error));
         ++links) {
        const fs::path target = fs::read_symlink(path, error);
        if (error) {
            break;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    const fs::path absolute = fs::absolute(path, error);
    if (error) {
        return path.lexically_normal();
    }
    const fs::path resolved = fs::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : resolved;
}

} // namespace

FileIdentity::FileIdentity(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        exists_ = true;
        device_ = status.st_dev;
        inode_ = status.st_ino;
    } else {
        path_ = PathToMake(path).string();
    }
}
