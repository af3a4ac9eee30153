#pragma once

#include "FileDescriptor.h"

#include <chrono>
#include <string>
#include <string_view>

// Replaces a file so that it is never seen half-written: the content goes to a temporary file in
// the same folder, which is flushed to disk and then renamed over the target. Until Commit the
// target is untouched; a writer destroyed without Commit removes its temporary file.
// Failures raise EFileError naming the target and the system's reason.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    void Write(std::string_view data);
    void Commit();

    const std::string& TemporaryPath() const { return temporaryPath_; }

    // The whole replacement in one call.
    static void WriteFile(const std::string& path, std::string_view content);

    // A writer killed before Commit leaves its temporary file behind. This removes those of
    // `path` not changed for `minimumAge`, so that a writer still at work keeps its own. Nothing
    // is raised: what cannot be removed stays for the next time.
    static void RemoveLeftovers(const std::string& path, std::chrono::seconds minimumAge);

private:
    [[noreturn]] void Fail(int errorNumber);
    void Discard() noexcept;

    std::string path_;
    std::string temporaryPath_;
    FileDescriptor file_;
    bool committed_ = false;
};
