#include "HorizonGrids.h"

#include "HorizonGrid.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Exception.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A save takes milliseconds: a temporary file this old is from a save that was cut short.
constexpr std::chrono::seconds LeftoverAge = std::chrono::minutes(10);

std::string KeptName(const std::string& dataFileName, int number) {
    std::string stem = dataFileName;
    if (const std::string extension = ".dat";
        stem.size() >= extension.size() &&
        stem.compare(stem.size() - extension.size(), extension.size(), extension) == 0) {
        stem.resize(stem.size() - extension.size());
    }
    return stem + "-kept-" + std::to_string(number) + ".dat";
}

} // namespace

void HorizonGrids::SetUp(const std::string& folder) {
    LoadedGrid.Clear();
    LoadedFileName.clear();
    HorizonGrid.Clear();
    DataFileName = folder + DataFileLeafName;
    dataFileUnread_ = false;
    keptFileName_.clear();
    AtomicFileWriter::RemoveLeftovers(DataFileName, LeftoverAge);

    struct stat status {};
    if (::stat(DataFileName.c_str(), &status) != 0 && errno == ENOENT) {
        HorizonGrid = NewGrid();
        return;
    }
    try {
        HorizonGrid.LoadFromFile(DataFileName);
    } catch (const Exception&) {
        dataFileUnread_ = true;
    }
}

void HorizonGrids::SaveHorizonGrid() {
    if (dataFileUnread_) {
        KeepUnreadDataFile();
    }
    HorizonGrid.SaveToFile(DataFileName);
}

void HorizonGrids::LoadGrid(const std::string& path) {
    LoadedGrid.LoadFromFile(path);
}

void HorizonGrids::KeepUnreadDataFile() {
    // A hard link keeps the file where it is until the save replaces it; where links are not
    // supported the file is moved instead. Neither ever replaces an earlier kept file.
    constexpr int maxKeptFiles = 10000;
    for (int number = 1; number <= maxKeptFiles; ++number) {
        const std::string kept = KeptName(DataFileName, number);
        if (::link(DataFileName.c_str(), kept.c_str()) == 0 ||
            ::renameat2(AT_FDCWD, DataFileName.c_str(), AT_FDCWD, kept.c_str(), RENAME_NOREPLACE) ==
                0) {
            keptFileName_ = kept;
            dataFileUnread_ = false;
            return;
        }
        if (errno == ENOENT) {
            dataFileUnread_ = false;
            return;
        }
        if (errno != EEXIST) {
            throw EFileError(FileErrorText("keep the unread data file", DataFileName, errno));
        }
    }
    throw EFileError(FileErrorText("keep the unread data file", DataFileName, EEXIST));
}
