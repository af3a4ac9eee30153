#include "StoredObservations.h"

#include "KeptFile.h"
#include "ObservationsFile.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Exception.h"

#include <functional>
#include <string_view>

std::optional<std::string> StoredObservations::Load(const std::string& path,
                                                    MapObservations& observations) {
    path_ = path;
    written_.reset();
    replace_ = false;
    keepFirst_ = false;
    observations = MapObservations();
    std::string unread;
    try {
        if (std::optional<MapObservations> stored = LoadObservations(path)) {
            observations = std::move(*stored);
            written_ = DigestOf(ObservationsBytes(observations));
        }
        return std::nullopt;
    } catch (const Exception& error) {
        unread = error.Message();
    }
    // A hard link keeps the file where it is, so that a restart before the first save finds it
    // again: replacing it at the next save keeps that from setting it aside twice.
    replace_ = true;
    try {
        const std::string kept = KeepFileBesideItself(path);
        if (kept.empty()) {
            return unread + ". Counting starts afresh.";
        }
        return unread + ". It was kept as \"" + kept + "\" and counting starts afresh.";
    } catch (const Exception& error) {
        keepFirst_ = true;
        return unread + ". It could not be set aside (" + error.Message() +
               "), so it is not replaced; counting starts afresh.";
    }
}

void StoredObservations::Save(const MapObservations& observations) {
    if (path_.empty() || (!written_ && !replace_ && observations.Empty())) {
        return;
    }
    const std::string bytes = ObservationsBytes(observations);
    const Digest digest = DigestOf(bytes);
    if (written_ == digest) {
        return;
    }
    if (keepFirst_) {
        KeepFileBesideItself(path_);
        keepFirst_ = false;
    }
    AtomicFileWriter::WriteFile(path_, bytes);
    written_ = digest;
    replace_ = false;
}

StoredObservations::Digest StoredObservations::DigestOf(const std::string& bytes) {
    return {bytes.size(), std::hash<std::string_view>{}(bytes)};
}
