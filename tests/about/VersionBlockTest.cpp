#include "platform/Exception.h"
#include "platform/Utf16Text.h"
#include "platform/VersionResource.h"
#include "tools/versionres/VersionBlockWriter.h"
#include "tools/versionres/VersionDescription.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::uint8_t> Block() {
    return WriteVersionBlock(ParseVersionDescription(R"(
# comment
@FileVersion = 1.0.0.5
@ProductVersion = 1.2.3.4
@FileFlags = 21
@Translation = 0809 04E4
ProductName = Skyfence
Web site = http://www.quillmoor.example/skyfence
Empty =
)"));
}

std::string Text(const std::vector<std::uint8_t>& block, const std::string& path) {
    const auto value = VerQueryValue(block, path);
    return value ? VersionStringText(*value, 65001) : "<none>";
}

TEST(VersionBlock, LooksUpFixedBlockTranslationAndStrings) {
    const std::vector<std::uint8_t> block = Block();
    const auto fixed = VerQueryValue(block, "\\");
    ASSERT_TRUE(fixed);
    ASSERT_EQ(fixed->size(), 52u);
    EXPECT_EQ(ReadU32(*fixed, 0), 0xFEEF04BDu);
    EXPECT_EQ(ReadU32(*fixed, 8), 0x00010000u);
    EXPECT_EQ(ReadU32(*fixed, 12), 0x00000005u);
    EXPECT_EQ(ReadU32(*fixed, 16), 0x00010002u);
    EXPECT_EQ(ReadU32(*fixed, 20), 0x00030004u);
    EXPECT_EQ(ReadU32(*fixed, 28), 0x21u);
    const auto translation = VerQueryValue(block, "\\VarFileInfo\\Translation");
    ASSERT_TRUE(translation);
    ASSERT_EQ(translation->size(), 4u);
    EXPECT_EQ(ReadU16(*translation, 0), 0x0809);
    EXPECT_EQ(ReadU16(*translation, 2), 0x04E4);
    EXPECT_EQ(Text(block, "\\StringFileInfo\\080904E4\\ProductName"), "Skyfence");
    EXPECT_EQ(Text(block, "\\StringFileInfo\\080904e4\\web SITE"),
              "http://www.quillmoor.example/skyfence");
    EXPECT_EQ(Text(block, "\\StringFileInfo\\080904E4\\Empty"), "");
    EXPECT_EQ(Text(block, "\\StringFileInfo\\040904E4\\ProductName"), "<none>");
    EXPECT_EQ(Text(block, "\\StringFileInfo\\080904E4\\Missing"), "<none>");
}

// Every prefix and every single damaged byte must be read without going outside the block.
TEST(VersionBlock, TruncatedOrCorruptedBlocksAreReadSafely) {
    const std::vector<std::uint8_t> block = Block();
    for (std::size_t size = 0; size < block.size(); ++size) {
        std::vector<std::uint8_t> cut(block.begin(),
                                      block.begin() + static_cast<std::ptrdiff_t>(size));
        cut.shrink_to_fit(); // so a sanitizer sees a read past the end
        VerQueryValue(cut, "\\");
        VerQueryValue(cut, "\\VarFileInfo\\Translation");
        const auto value = VerQueryValue(cut, "\\StringFileInfo\\080904E4\\Web site");
        if (value) {
            VersionStringText(*value, 65001);
        }
    }
    for (std::size_t at = 0; at < block.size(); ++at) {
        for (const std::uint8_t damage : {0x00, 0xFF, 0x7F}) {
            std::vector<std::uint8_t> bad = block;
            bad[at] = damage;
            VerQueryValue(bad, "\\");
            if (const auto value = VerQueryValue(bad, "\\StringFileInfo\\080904E4\\Web site")) {
                VersionStringText(*value, 1252);
            }
        }
    }
    std::vector<std::uint8_t> noSignature = block;
    noSignature[0x28] ^= 1; // inside the fixed block's signature
    EXPECT_FALSE(VerQueryValue(noSignature, "\\"));
}

TEST(VersionBlock, DescriptionErrorsNameTheLine) {
    for (const char* text : {"@FileVersion = 1.0.5", "@Translation = 0809", "novalue",
                             "@FileVersion = 1.0.0.70000", "@Unknown = 1"}) {
        EXPECT_THROW(ParseVersionDescription(std::string("\n") + text), Exception) << text;
    }
    try {
        ParseVersionDescription("\nbroken");
        FAIL();
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message().rfind("line 2:", 0), 0u) << error.Message();
    }
}

struct Conversion {
    std::u16string text;
    int codePage;
    std::string expected;
};

class Utf16Conversion : public testing::TestWithParam<Conversion> {};

TEST_P(Utf16Conversion, GivesTheCodePagesBytes) {
    EXPECT_EQ(Utf16ToCodePage(GetParam().text, GetParam().codePage), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, Utf16Conversion,
    testing::Values(Conversion{u"Skyfence", 1252, "Skyfence"},
                    Conversion{u"\u00A9 2007", 1252, "\xA9 2007"},
                    Conversion{u"\u00A9 2007", 65001, "\xC2\xA9 2007"},
                    Conversion{u"\u20AC", 65001, "\xE2\x82\xAC"}, Conversion{u"\u20AC", 1252, "?"},
                    Conversion{u"\U0001F600", 65001, "\xF0\x9F\x98\x80"},
                    Conversion{std::u16string(1, char16_t(0xD800)), 65001, "\xEF\xBF\xBD"}));

TEST(Utf8ToUtf16, RoundTripsThroughUtf8) {
    for (const char* text :
         {"Skyfence", "\xC2\xA9 Quillmoor", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"}) {
        EXPECT_EQ(Utf16ToCodePage(Utf8ToUtf16(text), 65001), text);
    }
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\uFFFD\uFFFD"); // cut short
}

} // namespace
