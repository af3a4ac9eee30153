#include "TVersionInfoResource.h"

#include "TLinkedLabel.h"
#include "TLinkedListView.h"
#include "platform/Exception.h"
#include "platform/ExecutablePath.h"
#include "platform/VersionResource.h"

#include <cstdio>

namespace {

constexpr const char* DefaultTranslation = "040904E4";
constexpr std::uint16_t DefaultLanguage = 1033;
constexpr std::uint16_t DefaultCodePage = 1252;
constexpr std::size_t MaxPathText = 255;

void PutU16(std::vector<std::uint8_t>& data, std::size_t offset, std::uint16_t value) {
    data[offset] = static_cast<std::uint8_t>(value);
    data[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

} // namespace

TVersionInfoResource::TVersionInfoResource(TComponent* owner) : TComponent(owner) {}

// The others must hear of this one while it is still whole.
TVersionInfoResource::~TVersionInfoResource() {
    NotifyRemoval();
}

void TVersionInfoResource::SetFilename(const std::string& filename) {
    filename_ = filename;
    if (!Loading()) {
        ReadVersionInfo();
    }
}

void TVersionInfoResource::SetForceEXE(bool forceExe) {
    if (forceExe != forceExe_) {
        forceExe_ = forceExe;
        if (!Loading()) {
            ReadVersionInfo();
        }
    }
}

void TVersionInfoResource::SetShowResource(TPreDefs showResource) {
    if (showResource != showResource_) {
        showResource_ = showResource;
        UpdateLinkedControls();
    }
}

void TVersionInfoResource::LinkLabel(TLinkedLabel*& field, TLinkedLabel* label,
                                     TPreDef shownThere) {
    field = label;
    if (label) {
        FreeNotification(*label);
        // Shown in its own label, so the list need not repeat it.
        showResource_.reset(static_cast<std::size_t>(shownThere));
        UpdateLinkedControls();
    }
}

void TVersionInfoResource::SetVersionLabel(TLinkedLabel* label) {
    LinkLabel(versionLabel_, label, pdFileVersion);
}

void TVersionInfoResource::SetCopyrightLabel(TLinkedLabel* label) {
    LinkLabel(copyrightLabel_, label, pdLegalCopyright);
}

void TVersionInfoResource::SetProductLabel(TLinkedLabel* label) {
    LinkLabel(productLabel_, label, pdProductName);
}

void TVersionInfoResource::SetDescriptionLabel(TLinkedLabel* label) {
    LinkLabel(descriptionLabel_, label, pdFileDescription);
}

void TVersionInfoResource::SetVersionListView(TLinkedListView* listView) {
    versionListView_ = listView;
    if (listView) {
        FreeNotification(*listView);
        UpdateLinkedControls();
    }
}

void TVersionInfoResource::Loaded() {
    TComponent::Loaded();
    ReadVersionInfo();
}

void TVersionInfoResource::Notification(TComponent& component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove) {
        return;
    }
    if (&component == versionLabel_) {
        versionLabel_ = nullptr;
    } else if (&component == copyrightLabel_) {
        copyrightLabel_ = nullptr;
    } else if (&component == productLabel_) {
        productLabel_ = nullptr;
    } else if (&component == descriptionLabel_) {
        descriptionLabel_ = nullptr;
    } else if (&component == versionListView_) {
        versionListView_ = nullptr;
    }
}

// Our programs are linked whole, never into a library of their own: the running module is
// always the executable, whatever ForceEXE says.
std::string TVersionInfoResource::TargetFileName() const {
    if (!filename_.empty()) {
        return filename_;
    }
    try {
        return ExecutablePath();
    } catch (const Exception&) {
        return {}; // no path: read as a file without a resource
    }
}

void TVersionInfoResource::ReadVersionInfo() {
    translations_.clear();
    fixedInfo_.SetBlock(std::nullopt);
    data_.clear();
    hasData_ = false;
    const std::string target = TargetFileName().substr(0, MaxPathText);
    if (GetFileVersionInfoSize(target) == 0 || !GetFileVersionInfo(target, data_)) {
        data_.clear();
        fileVersionInfo_.Valid = false;
        productVersionInfo_.Valid = false;
        UpdateLinkedControls();
        return;
    }
    hasData_ = true;
    fixedInfo_.SetBlock(VerQueryValue(data_, "\\"));
    if (const auto table = VerQueryValue(data_, "\\VarFileInfo\\Translation")) {
        const std::size_t start = static_cast<std::size_t>(table->data() - data_.data());
        for (std::size_t i = 0; i + 4 <= table->size(); i += 4) {
            const std::size_t at = start + i;
            // Unset numbers stand for US English and the Western code page, in the data too.
            if (ReadU16(data_, at) == 0) {
                PutU16(data_, at, DefaultLanguage);
            }
            if (ReadU16(data_, at + 2) == 0) {
                PutU16(data_, at + 2, DefaultCodePage);
            }
            char text[16];
            std::snprintf(text, sizeof text, "%.4X%.4X", ReadU16(data_, at),
                          ReadU16(data_, at + 2));
            translations_.emplace_back(text);
        }
    }
    if (translationIndex_ >= static_cast<int>(translations_.size())) {
        translationIndex_ = 0;
    }
    fileVersionInfo_ =
        TVersionNumberInformation(fixedInfo_.FileVersionMS(), fixedInfo_.FileVersionLS());
    fileVersionInfo_.Valid = true;
    fileVersionInfo_.Text = GetPredefined(pdFileVersion);
    productVersionInfo_ =
        TVersionNumberInformation(fixedInfo_.ProductVersionMS(), fixedInfo_.ProductVersionLS());
    productVersionInfo_.Valid = true;
    productVersionInfo_.Text = GetPredefined(pdProductVersion);
    UpdateLinkedControls();
}

std::string TVersionInfoResource::GetPredefined(int index) const {
    if (index < 0 || index >= PreDefCount) {
        return {};
    }
    return GetStringValue(PreDefKeys[static_cast<std::size_t>(index)]);
}

std::string TVersionInfoResource::GetStringValue(const std::string& key) const {
    const std::string translation =
        translationIndex_ >= 0 && translationIndex_ < static_cast<int>(translations_.size())
            ? translations_[static_cast<std::size_t>(translationIndex_)]
            : DefaultTranslation;
    const std::string path =
        ("\\StringFileInfo\\" + translation + "\\" + key).substr(0, MaxPathText);
    if (!hasData_) {
        return {};
    }
    const auto value = VerQueryValue(data_, path);
    return value ? VersionStringText(*value) : std::string();
}

std::string TVersionInfoResource::BuildFlagsText() const {
    std::string text;
    const TFileFlags flags = fixedInfo_.FileFlags();
    for (std::size_t i = 0; i < FileFlagNames.size(); ++i) {
        if (flags[i]) {
            text += FileFlagNames[i];
            text += ", ";
        }
    }
    if (!text.empty()) {
        text.resize(text.size() - 2);
    }
    return text;
}

void TVersionInfoResource::UpdateLinkedControls() {
    if (Loading() || Designing()) {
        return;
    }
    if (versionLabel_) {
        versionLabel_->SetCaption(fileVersionInfo_.AsText());
    }
    if (copyrightLabel_) {
        copyrightLabel_->SetCaption(GetPredefined(pdLegalCopyright));
    }
    if (productLabel_) {
        productLabel_->SetCaption(GetPredefined(pdProductName));
    }
    if (descriptionLabel_) {
        descriptionLabel_->SetCaption(GetPredefined(pdFileDescription));
    }
    if (versionListView_) {
        FillListView();
    }
}

void TVersionInfoResource::FillListView() {
    TLinkedListView& view = *versionListView_;
    view.Reset();
    view.AddColumn(ListViewResourceHeader);
    view.AddColumn(ListViewValueHeader);
    const auto row = [&](TPreDef element, const std::string& value) {
        if (!value.empty() && showResource_.test(static_cast<std::size_t>(element))) {
            view.AddItem(PreDefNames[static_cast<std::size_t>(element)], value);
        }
    };
    row(pdProductName, GetPredefined(pdProductName));
    row(pdProductVersion, productVersionInfo_.AsText());
    row(pdCompanyName, GetPredefined(pdCompanyName));
    row(pdLegalCopyright, GetPredefined(pdLegalCopyright));
    row(pdLegalTrademarks, GetPredefined(pdLegalTrademarks));
    row(pdFileDescription, GetPredefined(pdFileDescription));
    row(pdFileVersion, fileVersionInfo_.AsText());
    row(pdInternalName, GetPredefined(pdInternalName));
    row(pdOriginalFilename, GetPredefined(pdOriginalFilename));
    row(pdBuildFlags, BuildFlagsText());
    row(pdComments, GetPredefined(pdComments));
}
