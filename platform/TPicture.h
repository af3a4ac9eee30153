#pragma once

#include "TBitmap.h"

#include <functional>
#include <memory>
#include <string>

// Holds one picture and knows, by file extension, which kind of bitmap reads each picture file.
// The picture owns its graphic and takes over the graphic's OnChange to fire its own.
class TPicture {
public:
    using GraphicFactory = std::function<std::unique_ptr<TBitmap>()>;

    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    // Extensions are matched without their dot and regardless of case; registering one again
    // replaces it. The plain TBitmap reads "BMP" until something else is registered for it.
    static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                   GraphicFactory factory);
    static void UnregisterFileFormat(const std::string& extension);
    // For a file dialog: "Description (*.ext)" for each format, joined by ";;".
    static std::string FileFilter();

    // Reads the file into a new graphic of the kind registered for its extension; on failure the
    // picture keeps the graphic it had.
    void LoadFromFile(const std::string& path);

    // The graphic, made as a plain empty bitmap when there is none.
    TBitmap& Bitmap();
    TBitmap* Graphic() const { return graphic_.get(); }
    void SetGraphic(std::unique_ptr<TBitmap> graphic);

    // Fires when the graphic is replaced or changes.
    std::function<void(TPicture& sender)> OnChange;

private:
    void Changed();

    std::unique_ptr<TBitmap> graphic_;
};
