#include "AtomicFileSet.h"

#include "Exception.h"

void AtomicFileSet::Stage(const std::string& path, std::string_view content) {
    auto writer = std::make_unique<AtomicFileWriter>(path);
    writer->Write(content);
    writers_.push_back(std::move(writer));
    paths_.push_back(path);
}

void AtomicFileSet::Commit() {
    for (std::size_t i = 0; i < writers_.size(); ++i) {
        try {
            writers_[i]->Commit();
        } catch (const EFileError& error) {
            if (i == 0) {
                throw;
            }
            std::string replaced;
            for (std::size_t done = 0; done < i; ++done) {
                replaced += (done == 0 ? "\"" : ", \"") + paths_[done] + "\"";
            }
            throw EFileError(error.Message() + "; these were replaced already: " + replaced);
        }
    }
    writers_.clear();
    paths_.clear();
}
