#include "ElfFile.h"
#include "FuzzCheck.h"
#include "FuzzEntries.h"
#include "about/TLinkedLabel.h"
#include "about/TLinkedListView.h"
#include "about/TVersionInfoResource.h"
#include "platform/VersionResource.h"
#include "platform/VersionResourceFile.h"
#include "tests/TemporaryFolder.h"

#include <array>
#include <cctype>
#include <string>
#include <string_view>

namespace {

class Label : public TLinkedLabel {
public:
    void SetCaption(const std::string&) override {}
};

class ListView : public TLinkedListView {
public:
    void Reset() override { columns_ = 0; }
    void AddColumn(const std::string&) override { ++columns_; }
    void AddItem(const std::string&, const std::string&) override {
        FuzzCheck(columns_ == 2, "items go into the two columns");
    }

private:
    int columns_ = 0;
};

bool IsTranslation(std::string_view text) {
    if (text.size() != 8) {
        return false;
    }
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)) ||
            std::islower(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

// Everything the about box asks of the reader, with every control linked.
void ReadAsTheAboutBox(const std::string& path) {
    Label version;
    Label copyright;
    Label product;
    Label description;
    ListView list;
    TVersionInfoResource reader;
    reader.SetVersionLabel(&version);
    reader.SetCopyrightLabel(&copyright);
    reader.SetProductLabel(&product);
    reader.SetDescriptionLabel(&description);
    reader.SetVersionListView(&list);
    reader.SetFilename(path);

    for (const std::string& translation : reader.Translations()) {
        FuzzCheck(IsTranslation(translation), "a translation is eight upper-case hex digits");
    }
    const int translations = static_cast<int>(reader.Translations().size());
    for (int index = 0; index < translations; ++index) {
        reader.SetTranslationIndex(index);
        for (int entry = -1; entry <= PreDefCount; ++entry) {
            static_cast<void>(reader.GetPredefined(entry));
        }
        static_cast<void>(reader.GetStringValue("Web site"));
    }
    for (int part = -1; part <= 4; ++part) {
        static_cast<void>(reader.FileVersionInfo().VersionPart(part));
    }
    static_cast<void>(reader.ProductVersionInfo().AsText());
    static_cast<void>(reader.BuildFlagsText());
    reader.SetShowResource(TPreDefs().set());
}

// The look-ups straight on a block, which must stay within it.
void QueryBlock(std::span<const std::uint8_t> block) {
    constexpr std::array paths{"\\", "\\VarFileInfo\\Translation",
                               "\\StringFileInfo\\040904E4\\ProductName",
                               "\\StringFileInfo\\080904E4\\FileVersion", "\\\\StringFileInfo\\\\"};
    for (const char* path : paths) {
        const auto value = VerQueryValue(block, path);
        if (!value) {
            continue;
        }
        FuzzCheck(value->data() >= block.data() &&
                      value->data() + value->size() <= block.data() + block.size(),
                  "a value lies within its block");
        for (const int codePage : {65001, 1252, 932}) {
            static_cast<void>(VersionStringText(*value, codePage));
        }
    }
}

} // namespace

void FuzzVersionResource(std::span<const std::uint8_t> data) {
    const TemporaryFolder folder;
    const std::string bytes(reinterpret_cast<const char*>(data.data()), data.size());
    WriteFileBytes(folder.File("file"), bytes);
    WriteFileBytes(folder.File("block"), ElfFileWithSection(VersionSectionName, bytes));
    // No operation of the reader raises: nothing is caught here.
    ReadAsTheAboutBox(folder.File("file"));
    QueryBlock(data);
    ReadAsTheAboutBox(folder.File("block"));
}
