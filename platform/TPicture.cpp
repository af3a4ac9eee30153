#include "TPicture.h"

#include "Exception.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

namespace {

struct FileFormat {
    std::string description;
    TPicture::GraphicFactory factory;
};

struct Registry {
    std::mutex mutex;
    std::map<std::string, FileFormat> formats; // by upper-case extension without the dot
};

Registry& FileFormats() {
    static Registry registry{{},
                             {{"BMP", {"Bitmaps", [] { return std::make_unique<TBitmap>(); }}}}};
    return registry;
}

std::string Key(std::string extension) {
    if (!extension.empty() && extension.front() == '.') {
        extension.erase(0, 1);
    }
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension;
}

// The extension of the file's own name, with its dot; empty when it has none.
std::string ExtensionOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return "";
    }
    return path.substr(dot);
}

} // namespace

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  GraphicFactory factory) {
    Registry& registry = FileFormats();
    const std::lock_guard lock(registry.mutex);
    registry.formats[Key(extension)] = {description, std::move(factory)};
}

void TPicture::UnregisterFileFormat(const std::string& extension) {
    Registry& registry = FileFormats();
    const std::lock_guard lock(registry.mutex);
    registry.formats.erase(Key(extension));
}

std::string TPicture::FileFilter() {
    Registry& registry = FileFormats();
    const std::lock_guard lock(registry.mutex);
    std::string filter;
    for (const auto& [key, format] : registry.formats) {
        std::string lower = key;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        filter += (filter.empty() ? "" : ";;") + format.description + " (*." + lower + ")";
    }
    return filter;
}

void TPicture::LoadFromFile(const std::string& path) {
    const std::string extension = ExtensionOf(path);
    GraphicFactory factory;
    {
        Registry& registry = FileFormats();
        const std::lock_guard lock(registry.mutex);
        if (const auto found = registry.formats.find(Key(extension));
            !extension.empty() && found != registry.formats.end()) {
            factory = found->second.factory;
        }
    }
    if (!factory) {
        throw EInvalidGraphic("Unknown picture file extension (" + extension + ")");
    }
    std::unique_ptr<TBitmap> graphic = factory();
    if (!graphic) {
        throw EInvalidGraphic("No graphic is made for picture file extension (" + extension + ")");
    }
    graphic->LoadFromFile(path);
    SetGraphic(std::move(graphic));
}

TBitmap& TPicture::Bitmap() {
    if (!graphic_) {
        SetGraphic(std::make_unique<TBitmap>());
    }
    return *graphic_;
}

void TPicture::SetGraphic(std::unique_ptr<TBitmap> graphic) {
    graphic_ = std::move(graphic);
    if (graphic_) {
        graphic_->OnChange = [this](TBitmap&) { Changed(); };
    }
    Changed();
}

void TPicture::Changed() {
    if (OnChange) {
        OnChange(*this);
    }
}
