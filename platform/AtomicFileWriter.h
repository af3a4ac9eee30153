#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

class QSaveFile;

// Replaces a file so that it is never seen half-written: the content goes to a temporary file in
// the folder of the file (of its target, when the path is a symbolic link, which stays a link), is
// flushed to disk and then renamed over it. Until Commit the file is untouched; a writer destroyed
// without Commit leaves no temporary file. An existing file that is write-protected is not
// replaced, not even for a user who could. Failures raise EFileError naming the file and the
// reason.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    void Write(std::string_view data);
    void Commit();

    // The whole replacement in one call.
    static void WriteFile(const std::string& path, std::string_view content);

    // A writer killed before Commit may leave its temporary file behind. This removes those of
    // `path` not changed for `minimumAge`, so that a writer still at work keeps its own. Nothing
    // is raised: what cannot be removed stays for the next time.
    static void RemoveLeftovers(const std::string& path, std::chrono::seconds minimumAge);

private:
    [[noreturn]] void Fail(const std::string& reason);

    std::string path_;
    std::unique_ptr<QSaveFile> file_;
};
