#include "AtomicFileWriter.h"

#include "Exception.h"
#include "SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
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

constexpr char SuffixLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t SuffixLength = 8;
constexpr std::string_view TemporaryMark = ".tmp-";

std::string RandomSuffix() {
    const auto& letters = SuffixLetters;
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof(letters) - 2);
    std::string suffix;
    for (std::size_t i = 0; i < SuffixLength; ++i) {
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

bool IsTemporaryNameOf(std::string_view name, std::string_view leaf) {
    if (name.size() != leaf.size() + TemporaryMark.size() + SuffixLength ||
        !name.starts_with(leaf) ||
        name.substr(leaf.size(), TemporaryMark.size()) != TemporaryMark) {
        return false;
    }
    return name.substr(name.size() - SuffixLength).find_first_not_of(SuffixLetters) ==
           std::string_view::npos;
}

} // namespace

void AtomicFileWriter::RemoveLeftovers(const std::string& path, std::chrono::seconds minimumAge) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    const std::string leaf = target.filename().string();
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    const auto now = fs::file_time_type::clock::now();
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        std::error_code ignored;
        if (!IsTemporaryNameOf(entry.path().filename().string(), leaf) ||
            !entry.is_regular_file(ignored)) {
            continue;
        }
        const auto changed = entry.last_write_time(ignored);
        if (!ignored && now - changed >= minimumAge) {
            fs::remove(entry.path(), ignored);
        }
    }
}

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)) {
    constexpr int attempts = 100;
    for (int i = 0; i < attempts && !file_.IsOpen(); ++i) {
        temporaryPath_ = path_ + std::string(TemporaryMark) + RandomSuffix();
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
