#pragma once

#include <string>
#include <sys/types.h>

// Which file a path leads to. An existing one is known by its device and inode, so that a link
// to it, a hard link or another spelling of its name is the same file; one still to be made by
// the path it would be made at, links followed and folders resolved.
class FileIdentity {
public:
    explicit FileIdentity(const std::string& path);

    bool operator==(const FileIdentity&) const = default;

private:
    bool exists_ = false;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::string path_;
};
