#include "AtomicFileWriter.h"

#include "Exception.h"
#include "SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string RandomSuffix() {
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof(letters) - 2);
    std::string suffix;
    for (int i = 0; i < 8; ++i) {
        suffix.push_back(letters[pick(device)]);
    }
    return suffix;
}

// Makes a rename durable; a folder that cannot be synced (some file systems) does not fail it.
void SyncFolder(const std::string& folder) {
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.IsOpen()) {
        ::fsync(dir.Get());
    }
}

} // namespace

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)) {
    constexpr int attempts = 100;
    for (int i = 0; i < attempts && !file_.IsOpen(); ++i) {
        temporaryPath_ = path_ + ".tmp-" + RandomSuffix();
        file_.Reset(::open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!file_.IsOpen() && errno != EEXIST) {
            const int error = errno;
            temporaryPath_.clear();
            throw EFileError(FileErrorText("write file", path_, error));
        }
    }
    if (!file_.IsOpen()) {
        temporaryPath_.clear();
        throw EFileError(FileErrorText("write file", path_, EEXIST));
    }
    // A file the user has restricted keeps its permissions.
    struct stat existing {};
    if (::stat(path_.c_str(), &existing) == 0) {
        ::fchmod(file_.Get(), existing.st_mode & 07777);
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!committed_) {
        Discard();
    }
}

void AtomicFileWriter::Write(std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(file_.Get(), data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(errno);
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
}

void AtomicFileWriter::Commit() {
    if (::fsync(file_.Get()) != 0) {
        Fail(errno);
    }
    if (const int error = file_.Close(); error != 0) {
        Fail(error);
    }
    if (::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        Fail(errno);
    }
    committed_ = true;
    SyncFolder(FolderOf(path_));
}

void AtomicFileWriter::WriteFile(const std::string& path, std::string_view content) {
    AtomicFileWriter writer(path);
    writer.Write(content);
    writer.Commit();
}

void AtomicFileWriter::Fail(int errorNumber) {
    Discard();
    throw EFileError(FileErrorText("write file", path_, errorNumber));
}

void AtomicFileWriter::Discard() noexcept {
    file_.Reset();
    if (!temporaryPath_.empty()) {
        ::unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
}
