#pragma once

#include "AtomicFileWriter.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Files replaced together: each is written aside first (AtomicFileWriter), and none is replaced
// before all are written, so that a file that cannot be written leaves every one of them as it
// was. A replacement can still fail once others are done; those cannot be taken back, and the
// error names them. Failures raise EFileError naming the file and the reason.
class AtomicFileSet {
public:
    // Writes the content aside; the file itself is untouched until Commit.
    void Stage(const std::string& path, std::string_view content);
    // Replaces the staged files in the order they were staged.
    void Commit();

private:
    std::vector<std::unique_ptr<AtomicFileWriter>> writers_;
    std::vector<std::string> paths_;
};
