#pragma once

#include "TFixedFileVersionInfo.h"
#include "TVersionNumberInformation.h"
#include "VersionInfoTypes.h"
#include "platform/TComponent.h"

#include <cstdint>
#include <string>
#include <vector>

class TLinkedLabel;
class TLinkedListView;

// Reads the version resource of a file (by default the running program's own) and offers its
// entries; can write some of them into linked labels and a list view, kept current.
// It never raises: a file without a resource gives empty texts and invalid version numbers.
class TVersionInfoResource : public TComponent {
public:
    explicit TVersionInfoResource(TComponent* owner = nullptr);
    ~TVersionInfoResource() override;

    static constexpr const char* Version = "TVersionInfoResource v2.35";

    const std::string& Filename() const { return filename_; }
    void SetFilename(const std::string& filename);
    bool ForceEXE() const { return forceExe_; }
    void SetForceEXE(bool forceExe);

    std::string CompanyName() const { return GetPredefined(pdCompanyName); }
    std::string FileDescription() const { return GetPredefined(pdFileDescription); }
    std::string InternalName() const { return GetPredefined(pdInternalName); }
    std::string LegalCopyright() const { return GetPredefined(pdLegalCopyright); }
    std::string LegalTrademarks() const { return GetPredefined(pdLegalTrademarks); }
    std::string OriginalFilename() const { return GetPredefined(pdOriginalFilename); }
    std::string ProductName() const { return GetPredefined(pdProductName); }
    std::string Comments() const { return GetPredefined(pdComments); }

    TLinkedLabel* VersionLabel() const { return versionLabel_; }
    void SetVersionLabel(TLinkedLabel* label);
    TLinkedLabel* CopyrightLabel() const { return copyrightLabel_; }
    void SetCopyrightLabel(TLinkedLabel* label);
    TLinkedLabel* ProductLabel() const { return productLabel_; }
    void SetProductLabel(TLinkedLabel* label);
    TLinkedLabel* DescriptionLabel() const { return descriptionLabel_; }
    void SetDescriptionLabel(TLinkedLabel* label);
    TLinkedListView* VersionListView() const { return versionListView_; }
    void SetVersionListView(TLinkedListView* listView);

    TPreDefs ShowResource() const { return showResource_; }
    void SetShowResource(TPreDefs showResource);

    const std::vector<std::string>& Translations() const { return translations_; }
    int TranslationIndex() const { return translationIndex_; }
    void SetTranslationIndex(int index) { translationIndex_ = index; }

    TFixedFileVersionInfo& FixedInfo() { return fixedInfo_; }
    const TFixedFileVersionInfo& FixedInfo() const { return fixedInfo_; }
    const TVersionNumberInformation& FileVersionInfo() const { return fileVersionInfo_; }
    const TVersionNumberInformation& ProductVersionInfo() const { return productVersionInfo_; }

    virtual std::string TargetFileName() const;
    virtual void UpdateLinkedControls();
    virtual void FillListView();
    virtual std::string BuildFlagsText() const;
    virtual void ReadVersionInfo();

    std::string GetPredefined(int index) const;
    std::string GetStringValue(const std::string& key) const;

protected:
    void Loaded() override;
    void Notification(TComponent& component, TOperation operation) override;

private:
    void LinkLabel(TLinkedLabel*& field, TLinkedLabel* label, TPreDef shownThere);

    std::vector<std::uint8_t> data_;
    bool hasData_ = false;
    std::string filename_;
    std::vector<std::string> translations_;
    int translationIndex_ = 0;
    TFixedFileVersionInfo fixedInfo_{*this};
    bool forceExe_ = false;
    TVersionNumberInformation fileVersionInfo_{0, 0};
    TVersionNumberInformation productVersionInfo_{0, 0};
    TLinkedLabel* versionLabel_ = nullptr;
    TLinkedLabel* copyrightLabel_ = nullptr;
    TLinkedListView* versionListView_ = nullptr;
    TLinkedLabel* descriptionLabel_ = nullptr;
    TLinkedLabel* productLabel_ = nullptr;
    TPreDefs showResource_ = TPreDefs().set();
};
