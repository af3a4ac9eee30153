#pragma once

#include <string>
#include <string_view>

// A recorded receiver log as it goes back on the line: the lines that start with "#" (the
// recording's notes) left out, every other byte kept as recorded, line ends included.
class ReplayLog {
public:
    // Raises EFileError when the file cannot be read.
    static ReplayLog Load(const std::string& path);

    explicit ReplayLog(std::string_view recorded);

    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};
