#include "about/TVersionInfoResource.h"
#include "PeImage.h"
#include "TemporaryFolder.h"
#include "about/TLinkedLabel.h"
#include "about/TLinkedListView.h"
#include "about/WebAddress.h"
#include "tools/versionres/VersionBlockWriter.h"
#include "tools/versionres/VersionDescription.h"

#include <gtest/gtest.h>

namespace {

class FakeLabel : public TLinkedLabel {
public:
    using TLinkedLabel::TLinkedLabel;
    void SetCaption(const std::string& caption) override { Caption = caption; }
    std::string Caption = "<unset>";
};

class FakeListView : public TLinkedListView {
public:
    using TLinkedListView::TLinkedListView;
    void Reset() override { Rows.clear(), Columns.clear(); }
    void AddColumn(const std::string& header) override { Columns.push_back(header); }
    void AddItem(const std::string& caption, const std::string& value) override {
        Rows.push_back(caption + "=" + value);
    }
    std::vector<std::string> Columns;
    std::vector<std::string> Rows;
};

// A PE file holding the block of a description, read by a component that has been loaded.
class Reader : public testing::Test {
protected:
    TVersionInfoResource& Read(const std::string& description) {
        const std::string path = folder_.File("file" + std::to_string(++files_) + ".exe");
        const std::vector<std::uint8_t> image =
            MakePeImage(WriteVersionBlock(ParseVersionDescription(description)));
        WriteFileBytes(path, std::string(image.begin(), image.end()));
        resource_.SetFilename(path);
        return resource_;
    }

    TemporaryFolder folder_;
    int files_ = 0;
    TVersionInfoResource resource_;
};

TEST_F(Reader, UsesTheResourcesTranslation) {
    TVersionInfoResource& vi =
        Read("@Translation = 0809 04E4\nProductName = Skyfence\nComments = 2007 Oct 03");
    EXPECT_EQ(vi.Translations(), std::vector<std::string>{"080904E4"});
    EXPECT_EQ(vi.ProductName(), "Skyfence");
    EXPECT_EQ(vi.Comments(), "2007 Oct 03");
    EXPECT_EQ(vi.GetStringValue("Missing"), "");
}

TEST_F(Reader, WithoutATranslationTableUsesUsEnglish) {
    VersionDescription description =
        ParseVersionDescription("@Translation = 0409 04E4\nProductName = Skyfence");
    description.hasTranslation = false;
    const std::string path = folder_.File("plain.exe");
    const std::vector<std::uint8_t> image = MakePeImage(WriteVersionBlock(description));
    WriteFileBytes(path, std::string(image.begin(), image.end()));
    resource_.SetFilename(path);
    EXPECT_TRUE(resource_.Translations().empty());
    EXPECT_EQ(resource_.ProductName(), "Skyfence");
}

TEST_F(Reader, UnsetLanguageAndCodePageAreListedAsUsEnglishWestern) {
    TVersionInfoResource& vi = Read("@Translation = 0000 0000\nProductName = Skyfence");
    EXPECT_EQ(vi.Translations(), std::vector<std::string>{"040904E4"});
}

TEST_F(Reader, VersionTextIsTheAuthorsOrBuiltFromTheFixedBlock) {
    TVersionInfoResource& vi = Read("@FileVersion = 1.0.0.5\nFileVersion = 1.0.0.5 (release)");
    EXPECT_EQ(vi.FileVersionInfo().AsText(), "1.0.0.5 (release)");
    Read("@FileVersion = 1.0.0.5\n@ProductVersion = 2.0.1.65535\n@Translation = 0809 04E4");
    EXPECT_EQ(vi.FileVersionInfo().AsText(), "1.0.0.5");
    EXPECT_EQ(vi.ProductVersionInfo().AsText(), "2.0.1.65535");
    EXPECT_EQ(vi.ProductVersionInfo().VersionPart(3), 65535);
    EXPECT_EQ(vi.ProductVersionInfo().VersionPart(4), 0);
}

struct FlagCase {
    const char* flags;
    const char* text;
};

class BuildFlags : public Reader, public testing::WithParamInterface<FlagCase> {};

TEST_P(BuildFlags, NameTheSetFlagsInBitOrder) {
    TVersionInfoResource& vi = Read(std::string("@FileFlags = ") + GetParam().flags);
    EXPECT_EQ(vi.BuildFlagsText(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Flags, BuildFlags,
                         testing::Values(FlagCase{"0", ""}, FlagCase{"20", "Special"},
                                         FlagCase{"5", "Debug, Patched"},
                                         FlagCase{"3F", "Debug, Info Inferred, Patched, "
                                                        "Pre-Release, Private, Special"},
                                         FlagCase{"FFC0", ""}));

TEST_F(Reader, PredefinedOutOfRangeIsEmpty) {
    TVersionInfoResource& vi = Read("@Translation = 0809 04E4\nBuildFlags = x\nCompanyName = y");
    EXPECT_EQ(vi.GetPredefined(-1), "");
    EXPECT_EQ(vi.GetPredefined(11), "");
    EXPECT_EQ(vi.GetPredefined(0), "y");
    EXPECT_EQ(vi.GetPredefined(10), "x");
}

TEST_F(Reader, MissingFileGivesEmptyTextsAndInvalidNumbers) {
    Read("@FileVersion = 1.0.0.5\nProductName = Skyfence");
    resource_.SetFilename(folder_.File("gone.exe"));
    EXPECT_EQ(resource_.ProductName(), "");
    EXPECT_FALSE(resource_.FileVersionInfo().Valid);
    EXPECT_EQ(resource_.FileVersionInfo().AsText(), "");
    EXPECT_EQ(resource_.FileVersionInfo().MS, 0x00010000u); // kept from the last read
    EXPECT_TRUE(resource_.FixedInfo().FileFlags().none());
    EXPECT_TRUE(resource_.Translations().empty());
}

TEST(LinkedControls, CopyrightLabelLeavesTheOtherTenEntriesShown) {
    TComponent owner;
    auto& vi = owner.Create<TVersionInfoResource>(&owner);
    auto& label = owner.Create<FakeLabel>(&owner);
    ASSERT_EQ(vi.ShowResource().count(), 11u);
    vi.SetCopyrightLabel(&label);
    EXPECT_EQ(vi.ShowResource().count(), 10u);
    EXPECT_FALSE(vi.ShowResource().test(pdLegalCopyright));
    vi.SetCopyrightLabel(nullptr);
    EXPECT_FALSE(vi.ShowResource().test(pdLegalCopyright));
}

TEST_F(Reader, LinkedControlsFollowTheDataAndForgetDestroyedOnes) {
    auto version = std::make_unique<FakeLabel>();
    FakeLabel product;
    FakeListView list;
    Read("@FileVersion = 1.0.0.5\n@Translation = 0809 04E4\nProductName = Skyfence\n"
         "CompanyName = Quillmoor Software\nLegalTrademarks = ");
    resource_.SetVersionLabel(version.get());
    resource_.SetProductLabel(&product);
    resource_.SetVersionListView(&list);
    EXPECT_EQ(version->Caption, "1.0.0.5");
    EXPECT_EQ(product.Caption, "Skyfence");
    EXPECT_EQ(list.Columns, (std::vector<std::string>{"Resource", "Value"}));
    EXPECT_EQ(list.Rows, (std::vector<std::string>{"Product Version=0.0.0.0",
                                                   "Company Name=Quillmoor Software"}));
    version.reset();
    EXPECT_EQ(resource_.VersionLabel(), nullptr);
    resource_.SetShowResource(PreDefsOf({pdCompanyName}));
    EXPECT_EQ(list.Rows, std::vector<std::string>{"Company Name=Quillmoor Software"});
}

TEST(LinkedControls, NothingIsWrittenWhileLoading) {
    TVersionInfoResource vi;
    FakeLabel label;
    vi.BeginLoading();
    vi.SetProductLabel(&label);
    EXPECT_EQ(label.Caption, "<unset>");
    vi.SetFilename("/nonexistent");
    vi.EndLoading();
    EXPECT_EQ(label.Caption, "");
}

struct AddressCase {
    const char* caption;
    const char* opened;
};

class WebAddress : public testing::TestWithParam<AddressCase> {};

TEST_P(WebAddress, GetsASchemeOnlyWhenItHasNone) {
    EXPECT_EQ(WebAddressToOpen(GetParam().caption), GetParam().opened);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, WebAddress,
    testing::Values(AddressCase{"", ""},
                    AddressCase{"www.quillmoor.example", "http://www.quillmoor.example"},
                    AddressCase{"http://x.example", "http://x.example"},
                    AddressCase{"https://x.example", "https://x.example"},
                    AddressCase{"go to http://x.example", "go to http://x.example"}));

} // namespace
