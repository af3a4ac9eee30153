#include "AtomicFileWriter.h"

#include "Exception.h"
#include "FileDescriptor.h"
#include "SystemError.h"

#include <QSaveFile>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Temporary names: "<file>.tmp-" and eight of [a-z0-9] from writers of earlier versions, and
// "<file>." and six of [A-Za-z0-9] from the one in use, where the system cannot make an unnamed
// temporary file (otherwise a killed writer leaves nothing behind).
constexpr std::string_view EarlierMark = ".tmp-";
constexpr std::size_t EarlierSuffixLength = 8;
constexpr std::size_t SuffixLength = 6;

bool IsEarlierTemporaryName(std::string_view suffix) {
    return suffix.size() == EarlierMark.size() + EarlierSuffixLength &&
           suffix.starts_with(EarlierMark) &&
           std::all_of(suffix.begin() + EarlierMark.size(), suffix.end(), [](unsigned char c) {
               return std::islower(c) != 0 || std::isdigit(c) != 0;
           });
}

// Six random letters and digits look like a word a user might add to a copy ("backup", "Before",
// "OLDMAP"): a name is taken only when it mixes cases past its first letter, which nearly every
// random one does and a word seldom does. A leftover that is missed stays, harmlessly.
bool IsTemporaryName(std::string_view suffix) {
    if (suffix.size() != 1 + SuffixLength || suffix.front() != '.') {
        return false;
    }
    const std::string_view random = suffix.substr(1);
    const auto isUpper = [](unsigned char c) { return std::isupper(c) != 0; };
    const auto isLower = [](unsigned char c) { return std::islower(c) != 0; };
    return std::all_of(random.begin(), random.end(),
                       [](unsigned char c) { return std::isalnum(c) != 0; }) &&
           std::any_of(random.begin() + 1, random.end(), isUpper) &&
           std::any_of(random.begin(), random.end(), isLower);
}

bool IsTemporaryNameOf(std::string_view name, std::string_view leaf) {
    if (!name.starts_with(leaf)) {
        return false;
    }
    const std::string_view suffix = name.substr(leaf.size());
    return IsEarlierTemporaryName(suffix) || IsTemporaryName(suffix);
}

// The file a save really replaces: a link's target, found as the save finds it.
fs::path SavedPath(const std::string& path) {
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(fs::path(path), error);
    return error ? fs::path(path) : resolved;
}

// Makes a rename durable; a folder that cannot be synced (some file systems) does not fail it.
void SyncFolder(const fs::path& folder) {
    FileDescriptor dir(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.IsOpen()) {
        ::fsync(dir.Get());
    }
}

} // namespace

void AtomicFileWriter::RemoveLeftovers(const std::string& path, std::chrono::seconds minimumAge) {
    const fs::path target = SavedPath(path);
    const std::string leaf = target.filename().string();
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    const auto now = fs::file_time_type::clock::now();
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        std::error_code ignored;
        if (!IsTemporaryNameOf(entry.path().filename().string(), leaf) ||
            !entry.is_regular_file(ignored) || entry.is_symlink(ignored)) {
            continue;
        }
        const auto changed = entry.last_write_time(ignored);
        if (!ignored && now - changed >= minimumAge) {
            fs::remove(entry.path(), ignored);
        }
    }
}

AtomicFileWriter::AtomicFileWriter(std::string path)
    : path_(std::move(path)), file_(std::make_unique<QSaveFile>(QString::fromStdString(path_))) {
    // Write permission is what protects a map from being replaced; a user who could write anyway
    // (root) must not override a protection somebody put there on purpose.
    struct stat existing {};
    if (::stat(path_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        if ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            Fail("the file is write-protected");
        }
        if (::access(path_.c_str(), W_OK) != 0) {
            Fail(SystemErrorText(errno));
        }
    }
    // Unbuffered: a buffered save file drops a short write at its final flush (a full disk, a
    // file size limit) and commits a file cut short. Each write here is checked.
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        Fail(file_->errorString().toStdString());
    }
}

AtomicFileWriter::~AtomicFileWriter() = default;

void AtomicFileWriter::Write(std::string_view data) {
    while (!data.empty()) {
        const qint64 written = file_->write(data.data(), static_cast<qint64>(data.size()));
        if (written <= 0) {
            Fail(file_->errorString().toStdString());
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
}

void AtomicFileWriter::Commit() {
    if (!file_->commit()) {
        Fail(file_->errorString().toStdString());
    }
    SyncFolder(SavedPath(path_).parent_path());
}

void AtomicFileWriter::WriteFile(const std::string& path, std::string_view content) {
    AtomicFileWriter writer(path);
    writer.Write(content);
    writer.Commit();
}

void AtomicFileWriter::Fail(const std::string& reason) {
    if (file_) {
        file_->cancelWriting();
    }
    throw EFileError(FileErrorText("write file", path_, reason));
}
