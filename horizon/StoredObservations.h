#pragma once

#include "MapObservations.h"

#include <cstddef>
#include <optional>
#include <string>

// The observations file of one map as its owner keeps it: read at set-up so that counting goes on,
// set aside when it cannot be read, and written again only when what it would hold changed.
class StoredObservations {
public:
    // Reads the file `path` into `observations`, which start afresh when there is no such file or
    // it cannot be read. Such a file is kept beside itself ("…-kept-N.obs"); the text for the
    // user that says so (or that it could not be set aside) is given, nothing when all went well.
    std::optional<std::string> Load(const std::string& path, MapObservations& observations);

    // Writes `observations` to the file, atomically, unless it already holds them. A file that
    // could not be read nor set aside at Load is first set aside; it is never replaced before.
    // Raises EFileError naming the file.
    void Save(const MapObservations& observations);

private:
    struct Digest {
        std::size_t size = 0;
        std::size_t hash = 0;

        friend bool operator==(const Digest&, const Digest&) = default;
    };
    static Digest DigestOf(const std::string& bytes);

    std::string path_;
    // The stored form the file holds; none when there is no file of ours.
    std::optional<Digest> written_;
    // A file we could not read is in the way: the next save replaces it, setting it aside
    // first when that did not succeed at Load.
    bool replace_ = false;
    bool keepFirst_ = false;
};
