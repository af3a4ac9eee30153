#include "platform/TBitmap.h"
#include "platform/Exception.h"

#include "BitmapFileParts.h"
#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <malloc.h>
#include <sstream>

namespace {

using Palette = std::vector<TPaletteEntry>;

TPaletteEntry Entry(std::uint32_t colour) {
    return {static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
            static_cast<std::uint8_t>(colour), 0};
}

Palette Entries(std::initializer_list<std::uint32_t> colours) {
    Palette palette;
    for (const std::uint32_t colour : colours) {
        palette.push_back(Entry(colour));
    }
    return palette;
}

TBitmap Make(TPixelFormat format, int width, int height, const Palette& palette = {}) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    if (!palette.empty()) {
        bitmap.SetPalette(palette);
    }
    bitmap.SetSize(width, height);
    return bitmap;
}

// A colour per pixel that differs from its neighbours in every channel.
std::uint32_t Pattern(int x, int y) {
    return static_cast<std::uint32_t>((x * 40 + 7) << 16 | (y * 50 + 11) << 8 | (x * 13 + y * 29));
}

std::string Bytes(const TBitmap& bitmap) {
    std::ostringstream out;
    bitmap.SaveToStream(out);
    return out.str();
}

std::uint32_t Get16(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

struct FormatCase {
    const char* name;
    TPixelFormat format;
    QImage::Format qtFormat;
    std::size_t paletteSize;
};

class FormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, StoresPixelsInItsQtFormat) {
    TBitmap bitmap = Make(GetParam().format, 9, 3);
    EXPECT_EQ(bitmap.PixelFormat(), GetParam().format);
    EXPECT_EQ(bitmap.Image().format(), GetParam().qtFormat);
    EXPECT_EQ(bitmap.Palette().size(), GetParam().paletteSize);
    // Black and white exist in every format, palettes included.
    bitmap.SetPixel(8, 2, 0xFFFFFF);
    bitmap.SetPixel(7, 2, 0x000000);
    EXPECT_EQ(bitmap.Pixel(8, 2), 0xFFFFFFu);
    EXPECT_EQ(bitmap.Pixel(7, 2), 0x000000u);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatTest,
    testing::Values(FormatCase{"Device", TPixelFormat::pfDevice, QImage::Format_RGB32, 0},
                    FormatCase{"Bits1", TPixelFormat::pf1bit, QImage::Format_Mono, 2},
                    FormatCase{"Bits4", TPixelFormat::pf4bit, QImage::Format_Indexed8, 16},
                    FormatCase{"Bits8", TPixelFormat::pf8bit, QImage::Format_Indexed8, 256},
                    FormatCase{"Bits15", TPixelFormat::pf15bit, QImage::Format_RGB555, 0},
                    FormatCase{"Bits16", TPixelFormat::pf16bit, QImage::Format_RGB16, 0},
                    FormatCase{"Bits24", TPixelFormat::pf24bit, QImage::Format_BGR888, 0},
                    FormatCase{"Bits32", TPixelFormat::pf32bit, QImage::Format_RGB32, 0}),
    CaseName());

TEST(TBitmap, TwentyFourBitRowsHoldBlueGreenRed) {
    TBitmap bitmap = Make(TPixelFormat::pf24bit, 3, 2);
    bitmap.SetPixel(1, 1, 0x112233);
    const std::uint8_t* row = bitmap.ScanLine(1);
    EXPECT_EQ(row[3], 0x33);
    EXPECT_EQ(row[4], 0x22);
    EXPECT_EQ(row[5], 0x11);
    bitmap.ScanLine(0)[0] = 0x44;
    bitmap.ScanLine(0)[2] = 0x66;
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x660044u);
}

TEST(TBitmap, ScanLineOutsideTheBitmapRaises) {
    TBitmap bitmap = Make(TPixelFormat::pf8bit, 3, 2);
    EXPECT_THROW(bitmap.ScanLine(2), EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.ScanLine(-1), EInvalidGraphicOperation);
    EXPECT_THROW(TBitmap().ScanLine(0), EInvalidGraphicOperation);
}

TEST(TBitmap, EmptyBitmapKeepsItsFormatAndPaletteForTheNextSize) {
    const Palette palette = Entries({0x102030, 0x405060, 0x708090});
    TBitmap bitmap = Make(TPixelFormat::pf8bit, 4, 4, palette);
    bitmap.SetHeight(0);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Width(), 4);
    bitmap.SetWidth(0);
    bitmap.SetSize(5, 2);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(bitmap.Palette(), palette);
    ASSERT_EQ(bitmap.Image().colorCount(), 3);
    EXPECT_EQ(bitmap.Image().color(1), qRgb(0x40, 0x50, 0x60));
}

TEST(TBitmap, PaletteRoundTripsAndIsRefusedWhereItCannotBe) {
    TBitmap bitmap = Make(TPixelFormat::pf8bit, 2, 2);
    const Palette palette = Entries({0xFF0000, 0x00FF00, 0x0000FF});
    bitmap.SetPalette(palette);
    EXPECT_EQ(bitmap.Palette(), palette);
    EXPECT_THROW(bitmap.SetPalette({}), EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.SetPalette(Palette(257)), EInvalidGraphicOperation);
    EXPECT_EQ(bitmap.Palette(), palette);

    TBitmap colour = Make(TPixelFormat::pf24bit, 2, 2);
    EXPECT_THROW(colour.SetPalette(palette), EInvalidGraphicOperation);
    colour.SetModified(false);
    colour.SetPalette({});
    EXPECT_FALSE(colour.Modified());
    EXPECT_TRUE(colour.Palette().empty());
}

struct NearestCase {
    const char* name;
    std::uint32_t colour;
    std::uint8_t index;
};

class NearestEntryTest : public testing::TestWithParam<NearestCase> {};

TEST_P(NearestEntryTest, EightBitPixelTakesTheNearestEntry) {
    // Entries 3 and 5 are both white: a colour found twice takes the first.
    const Palette palette =
        Entries({0x000000, 0xFF0000, 0x808080, 0xFFFFFF, 0x0000FE, 0xFFFFFF, 0x010203});
    TBitmap bitmap = Make(TPixelFormat::pf8bit, 2, 1, palette);
    bitmap.SetPixel(1, 0, GetParam().colour);
    EXPECT_EQ(bitmap.ScanLine(0)[1], GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(
    Colours, NearestEntryTest,
    testing::Values(NearestCase{"ExactBlack", 0x000000, 0}, NearestCase{"ExactGrey", 0x808080, 2},
                    NearestCase{"ExactNearBlack", 0x010203, 6},
                    NearestCase{"DuplicateTakesFirst", 0xFFFFFF, 3},
                    NearestCase{"NearBlack", 0x000001, 0}, NearestCase{"DarkRed", 0xC01010, 1},
                    NearestCase{"LightGrey", 0xA0A0A0, 2}, NearestCase{"Blue", 0x0000FF, 4},
                    NearestCase{"HighByteIgnored", 0xFF808080, 2}),
    CaseName());

TEST(TBitmap, PixelOutsideTheBitmapIsIgnored) {
    TBitmap bitmap = Make(TPixelFormat::pf24bit, 2, 2);
    bitmap.SetModified(false);
    int changes = 0;
    bitmap.OnChange = [&](TBitmap&) { ++changes; };
    for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}}) {
        bitmap.SetPixel(x, y, 0xFFFFFF);
        EXPECT_EQ(bitmap.Pixel(x, y), 0u);
    }
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(bitmap.Modified());
}

struct FillCase {
    const char* name;
    TRect rect;
    std::vector<std::string> rows; // '#' filled
};

class FillRectTest : public testing::TestWithParam<FillCase> {};

TEST_P(FillRectTest, FillsTheClippedRectangle) {
    for (const TPixelFormat format : {TPixelFormat::pf8bit, TPixelFormat::pf24bit}) {
        TBitmap bitmap = Make(format, 5, 4);
        bitmap.FillRect({0, 0, 5, 4}, 0x000000);
        bitmap.FillRect(GetParam().rect, 0xFFFFFF);
        for (int y = 0; y < 4; ++y) {
            std::string row;
            for (int x = 0; x < 5; ++x) {
                row += bitmap.Pixel(x, y) == 0xFFFFFF ? '#' : '.';
            }
            EXPECT_EQ(row, GetParam().rows[static_cast<std::size_t>(y)]) << "row " << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rectangles, FillRectTest,
    testing::Values(FillCase{"Inside", {1, 1, 3, 2}, {".....", ".##..", ".....", "....."}},
                    FillCase{"OverTopLeft", {-3, -2, 2, 1}, {"##...", ".....", ".....", "....."}},
                    FillCase{
                        "OverBottomRight", {3, 2, 99, 99}, {".....", ".....", "...##", "...##"}},
                    FillCase{"Whole", {-1, -1, 6, 5}, {"#####", "#####", "#####", "#####"}},
                    FillCase{"Outside", {5, 0, 9, 4}, {".....", ".....", ".....", "....."}},
                    FillCase{"Inverted", {3, 3, 1, 1}, {".....", ".....", ".....", "....."}}),
    CaseName());

TEST(TBitmap, DrawCopiesIndicesBetweenEqualPalettes) {
    // Entries 1 and 2 are the same red: only an index copy keeps index 2.
    const Palette palette = Entries({0x000000, 0xFF0000, 0xFF0000, 0xFFFFFF});
    TBitmap source = Make(TPixelFormat::pf8bit, 2, 1, palette);
    source.ScanLine(0)[0] = 2;
    source.ScanLine(0)[1] = 3;
    TBitmap target = Make(TPixelFormat::pf8bit, 3, 1, palette);
    target.Draw(1, 0, source);
    EXPECT_EQ(target.ScanLine(0)[1], 2);
    EXPECT_EQ(target.ScanLine(0)[2], 3);
}

TEST(TBitmap, DrawMatchesColoursBetweenDifferentPalettes) {
    const Palette palette = Entries({0x000000, 0xFF0000, 0xFF0000, 0xFFFFFF});
    TBitmap source = Make(TPixelFormat::pf8bit, 2, 1, palette);
    source.ScanLine(0)[0] = 2;
    source.ScanLine(0)[1] = 3;
    TBitmap target = Make(TPixelFormat::pf8bit, 2, 1, Entries({0xFFFFFF, 0xFF0000, 0xFF0000}));
    target.Draw(0, 0, source);
    EXPECT_EQ(target.ScanLine(0)[0], 1);
    EXPECT_EQ(target.ScanLine(0)[1], 0);

    TBitmap colour = Make(TPixelFormat::pf24bit, 2, 1);
    colour.SetPixel(0, 0, 0xF00000);
    colour.SetPixel(1, 0, 0xEEEEEE);
    target.Draw(0, 0, colour);
    EXPECT_EQ(target.ScanLine(0)[0], 1);
    EXPECT_EQ(target.ScanLine(0)[1], 0);
}

struct DrawCase {
    const char* name;
    int x;
    int y;
    std::vector<std::string> rows; // letter of the source pixel, '.' untouched
};

class DrawClipTest : public testing::TestWithParam<DrawCase> {};

TEST_P(DrawClipTest, DrawsOnlyWhatLandsOnTheTarget) {
    // Source pixel (x, y) is colour 'a' + y * 3 + x.
    TBitmap source = Make(TPixelFormat::pf24bit, 3, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            source.SetPixel(x, y, static_cast<std::uint32_t>('a' + y * 3 + x));
        }
    }
    TBitmap target = Make(TPixelFormat::pf24bit, 4, 3);
    target.FillRect({0, 0, 4, 3}, '.');
    target.Draw(GetParam().x, GetParam().y, source);
    for (int y = 0; y < 3; ++y) {
        std::string row;
        for (int x = 0; x < 4; ++x) {
            row += static_cast<char>(target.Pixel(x, y));
        }
        EXPECT_EQ(row, GetParam().rows[static_cast<std::size_t>(y)]) << "row " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, DrawClipTest,
    testing::Values(DrawCase{"Inside", 1, 1, {"....", ".abc", ".def"}},
                    DrawCase{"LeftAndUp", -1, -1, {"ef..", "....", "...."}},
                    DrawCase{"RightAndDown", 2, 2, {"....", "....", "..ab"}},
                    DrawCase{"FarOutside", 4, 0, {"....", "....", "...."}},
                    DrawCase{"NearIntLimit", -2147483647, 0, {"....", "....", "...."}}),
    CaseName());

TEST(TBitmap, DrawOntoItselfUsesThePictureAsItWas) {
    TBitmap bitmap = Make(TPixelFormat::pf24bit, 3, 1);
    bitmap.SetPixel(0, 0, 1);
    bitmap.SetPixel(1, 0, 2);
    bitmap.SetPixel(2, 0, 3);
    bitmap.Draw(1, 0, bitmap);
    EXPECT_EQ(bitmap.Pixel(1, 0), 1u);
    EXPECT_EQ(bitmap.Pixel(2, 0), 2u);
}

class ResizeTest : public testing::TestWithParam<TPixelFormat> {};

TEST_P(ResizeTest, KeepsThePixelsThatStillFit) {
    TBitmap bitmap = Make(GetParam(), 6, 5);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            bitmap.SetPixel(x, y, Pattern(x, y));
        }
    }
    const TBitmap before(bitmap);
    bitmap.SetSize(9, 3);
    bitmap.SetSize(4, 7);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(bitmap.Pixel(x, y), before.Pixel(x, y)) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ResizeTest,
                         testing::Values(TPixelFormat::pf8bit, TPixelFormat::pf24bit,
                                         TPixelFormat::pf32bit));

TEST(TBitmap, ImpossibleSizesAreRefused) {
    TBitmap bitmap = Make(TPixelFormat::pf8bit, 3, 3);
    EXPECT_THROW(bitmap.SetWidth(-1), EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.SetSize(100000, 100000), EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.SetSize(2147483647, 1), EInvalidGraphicOperation);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Height(), 3);
}

TEST(TBitmap, ConvertingToEightBitTakesTheNearestGreyAndBackKeepsIt) {
    TBitmap bitmap = Make(TPixelFormat::pf24bit, 2, 1);
    bitmap.SetPixel(0, 0, 0x101010);
    bitmap.SetPixel(1, 0, 0x204060);
    bitmap.SetPixelFormat(TPixelFormat::pf8bit);
    EXPECT_EQ(bitmap.Palette().size(), 256u);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 0x10);
    EXPECT_EQ(bitmap.ScanLine(0)[1], 0x40);
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x101010u);
    EXPECT_EQ(bitmap.Pixel(1, 0), 0x404040u);
    EXPECT_TRUE(bitmap.Palette().empty());
}

struct ChangeCase {
    const char* name;
    std::function<void(TBitmap&)> change;
};

class ChangeTest : public testing::TestWithParam<ChangeCase> {};

TEST_P(ChangeTest, MarksModifiedAndFiresOnChangeOnce) {
    TBitmap bitmap = Make(TPixelFormat::pf8bit, 4, 4);
    bitmap.SetModified(false);
    int changes = 0;
    bitmap.OnChange = [&](TBitmap& sender) {
        EXPECT_EQ(&sender, &bitmap);
        ++changes;
    };
    GetParam().change(bitmap);
    EXPECT_TRUE(bitmap.Modified());
    EXPECT_EQ(changes, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangeTest,
    testing::Values(
        ChangeCase{"SetWidth", [](TBitmap& b) { b.SetWidth(5); }},
        ChangeCase{"SetHeight", [](TBitmap& b) { b.SetHeight(0); }},
        ChangeCase{"SetSize", [](TBitmap& b) { b.SetSize(1, 1); }},
        ChangeCase{"SetPixelFormat", [](TBitmap& b) { b.SetPixelFormat(TPixelFormat::pf24bit); }},
        ChangeCase{"SetPalette", [](TBitmap& b) { b.SetPalette(Entries({0})); }},
        ChangeCase{"SetPixel", [](TBitmap& b) { b.SetPixel(0, 0, 0xFF); }},
        ChangeCase{"FillRect",
                   [](TBitmap& b) {
                       b.FillRect({0, 0, 2, 2}, 0xFF);
                   }},
        ChangeCase{"Draw", [](TBitmap& b) { b.Draw(0, 0, Make(TPixelFormat::pf24bit, 1, 1)); }},
        ChangeCase{"Assign", [](TBitmap& b) { b = Make(TPixelFormat::pf24bit, 1, 1); }},
        ChangeCase{"LoadFromStream",
                   [](TBitmap& b) {
                       std::istringstream in(Bytes(Make(TPixelFormat::pf24bit, 1, 1)));
                       b.LoadFromStream(in);
                   }},
        ChangeCase{"SetModified", [](TBitmap& b) { b.SetModified(true); }}),
    CaseName());

TEST(TBitmap, CopyIsIndependentAndDoesNotTakeTheHandler) {
    TBitmap original = Make(TPixelFormat::pf24bit, 2, 2);
    original.SetPixel(0, 0, 0x123456);
    int changes = 0;
    original.OnChange = [&](TBitmap&) { ++changes; };
    TBitmap copy(original);
    EXPECT_FALSE(copy.OnChange);
    copy.SetPixel(0, 0, 0x654321);
    EXPECT_EQ(original.Pixel(0, 0), 0x123456u);
    EXPECT_EQ(copy.Pixel(0, 0), 0x654321u);
    EXPECT_EQ(changes, 0);
}

struct RoundTripCase {
    const char* name;
    TPixelFormat format;
    std::size_t paletteSize;
    std::uint32_t storedBits;
};

class RoundTripTest : public testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTripTest, SavedFileReadsBackTheSame) {
    Palette palette;
    for (std::size_t i = 0; i < GetParam().paletteSize; ++i) {
        palette.push_back(Entry(static_cast<std::uint32_t>(i * 0x010203 + 0x400000)));
    }
    TBitmap saved = Make(GetParam().format, 7, 5, palette);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            if (palette.empty()) {
                saved.SetPixel(x, y, Pattern(x, y));
            } else {
                saved.ScanLine(y)[x] = static_cast<std::uint8_t>((x * 5 + y) % palette.size());
            }
        }
    }
    TemporaryFolder folder;
    const std::string path = folder.File("saved.bmp");
    saved.SaveToFile(path);
    EXPECT_EQ(Get16(ReadFileBytes(path), 28), GetParam().storedBits);

    TBitmap loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.PixelFormat(), GetParam().format);
    EXPECT_EQ(loaded.Width(), 7);
    EXPECT_EQ(loaded.Height(), 5);
    EXPECT_EQ(loaded.Palette(), saved.Palette());
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(std::memcmp(loaded.ScanLine(y), saved.ScanLine(y), palette.empty() ? 7 * 3 : 7),
                  0)
            << "row " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTripTest,
                         testing::Values(RoundTripCase{"Bits8", TPixelFormat::pf8bit, 256, 8},
                                         RoundTripCase{"Bits8FewColours", TPixelFormat::pf8bit, 200,
                                                       8},
                                         RoundTripCase{"Bits4", TPixelFormat::pf4bit, 16, 4},
                                         RoundTripCase{"Bits24", TPixelFormat::pf24bit, 0, 24}),
                         CaseName());

TEST(TBitmap, FailedSaveLeavesTheFileAsItWas) {
    TemporaryFolder folder;
    const std::string path = folder.File("kept.bmp");
    WriteFileBytes(path, "old");
    EXPECT_THROW(TBitmap().SaveToFile(path), EInvalidGraphicOperation);
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_THROW(Make(TPixelFormat::pf8bit, 1, 1).SaveToFile(folder.File("no/such.bmp")),
                 EFileError);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(TBitmap, MissingFileRaisesWithItsName) {
    TemporaryFolder folder;
    try {
        TBitmap().LoadFromFile(folder.File("missing.bmp"));
        FAIL() << "no error";
    } catch (const EFileError& error) {
        EXPECT_THAT(error.what(), testing::HasSubstr("missing.bmp"));
    }
}

// Damage done to a valid 8-bit file of 4 x 3 pixels, whose pixels start at byte 1078.
struct GarbageCase {
    const char* name;
    std::function<std::string(std::string)> damage;
};

class GarbageTest : public testing::TestWithParam<GarbageCase> {};

TEST_P(GarbageTest, IsRefusedAndTheBitmapKept) {
    TBitmap valid = Make(TPixelFormat::pf8bit, 4, 3);
    valid.ScanLine(0)[0] = 9;
    ASSERT_EQ(Bytes(valid).size(), 1078u + 12u);
    TBitmap bitmap = Make(TPixelFormat::pf24bit, 2, 2);
    bitmap.SetPixel(1, 1, 0xABCDEF);
    std::istringstream in(GetParam().damage(Bytes(valid)));
    try {
        bitmap.LoadFromStream(in);
        FAIL() << "no error";
    } catch (const EInvalidGraphic& error) {
        EXPECT_THAT(error.what(), testing::StartsWith("Error: "));
    }
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Pixel(1, 1), 0xABCDEFu);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, GarbageTest,
    testing::Values(
        GarbageCase{"Text", [](std::string) { return std::string("not a picture at all"); }},
        GarbageCase{"PixelsCutShort", [](std::string b) { return b.substr(0, b.size() - 1); }},
        GarbageCase{"PixelsPastTheEnd",
                    [](std::string b) {
                        Put32(b, 10, 5000);
                        return b;
                    }},
        GarbageCase{"AbsurdSize",
                    [](std::string b) {
                        Put32(b, 18, 100000);
                        Put32(b, 22, 100000);
                        return b;
                    }},
        GarbageCase{"AbsurdNegativeHeight",
                    [](std::string b) {
                        Put32(b, 22, 0x80000000u);
                        return b;
                    }},
        GarbageCase{"WidthLargerThanThePixels",
                    [](std::string b) {
                        Put32(b, 18, 4000);
                        return b;
                    }},
        GarbageCase{"TooManyColours",
                    [](std::string b) {
                        Put32(b, 46, 300);
                        return b;
                    }},
        GarbageCase{"PixelOffsetZeroAndPixelsCutShort",
                    [](std::string b) {
                        Put32(b, 10, 0);
                        return b.substr(0, b.size() - 1);
                    }},
        GarbageCase{"HeaderSizeLeavingTooFewPixels",
                    [](std::string b) {
                        Put32(b, 14, 108);
                        return b;
                    }},
        GarbageCase{"TwentyFourBitHeaderSizeLeavingTooFewPixels",
                    [](std::string) {
                        std::string b = Bytes(Make(TPixelFormat::pf24bit, 8, 8));
                        Put32(b, 14, 108);
                        return b;
                    }},
        GarbageCase{"RunLengthPixelsPastTheEnd",
                    [](std::string b) {
                        Put32(b, 30, 1);
                        Put32(b, 10, 5000);
                        return b;
                    }}),
    CaseName());

// Qt's reader takes the pixels from after the headers and colour table when the offset points
// inside them, as sloppy writers leave it; that stays so.
TEST(TBitmap, PixelOffsetInsideTheHeadersReadsThePixelsAfterThem) {
    TBitmap valid = Make(TPixelFormat::pf8bit, 4, 3);
    valid.ScanLine(2)[1] = 9;
    std::string bytes = Bytes(valid);
    Put32(bytes, 10, 0);
    std::istringstream in(bytes);
    TBitmap bitmap;
    bitmap.LoadFromStream(in);
    EXPECT_EQ(bitmap.ScanLine(2)[1], 9);
}

// Fills what malloc hands out while it lives (glibc's allocator; a sanitizer's own ignores it),
// so that pixels nobody wrote show whatever the filling was.
class HeapFilling {
public:
    explicit HeapFilling(int fill) { mallopt(M_PERTURB, fill); }
    HeapFilling(const HeapFilling&) = delete;
    HeapFilling& operator=(const HeapFilling&) = delete;
    ~HeapFilling() { mallopt(M_PERTURB, 0); }
};

std::vector<std::uint32_t> PixelsLoadedUnder(int fill, const std::string& file) {
    const HeapFilling filling(fill);
    std::istringstream in(file);
    TBitmap bitmap;
    bitmap.LoadFromStream(in);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            pixels.push_back(bitmap.Pixel(x, y));
        }
    }
    return pixels;
}

// A run-length encoded file of 5 x 3 pixels and what it shows.
struct RunLengthCase {
    const char* name;
    std::uint16_t bitsPerPixel;
    std::int32_t height; // negative: the first row encoded is the top one
    std::vector<int> encoded;
    std::vector<std::string> rows; // from the top, a colour index a hex digit
};

class RunLengthTest : public testing::TestWithParam<RunLengthCase> {};

TEST_P(RunLengthTest, EveryPixelHasAnIndexAndSkippedOnesTakeIndexZero) {
    BitmapFileParts parts;
    parts.width = 5;
    parts.height = GetParam().height;
    parts.bitsPerPixel = GetParam().bitsPerPixel;
    parts.compression = GetParam().bitsPerPixel == 8 ? 1 : 2;
    for (int i = 0; i < 16; ++i) {
        parts.colourTable.push_back(static_cast<std::uint32_t>(0x102030 + i * 0x0F0E0D));
    }
    for (const int byte : GetParam().encoded) {
        parts.pixels.push_back(static_cast<char>(byte));
    }
    const std::string file = BitmapFile(parts);

    std::istringstream in(file);
    TBitmap bitmap;
    bitmap.LoadFromStream(in);
    ASSERT_EQ(bitmap.Width(), 5);
    ASSERT_EQ(bitmap.Height(), 3);
    EXPECT_EQ(bitmap.PixelFormat(),
              GetParam().bitsPerPixel == 8 ? TPixelFormat::pf8bit : TPixelFormat::pf4bit);
    for (int y = 0; y < 3; ++y) {
        std::string row;
        for (int x = 0; x < 5; ++x) {
            row += "0123456789abcdef"[bitmap.ScanLine(y)[x] & 0xF];
            EXPECT_LT(bitmap.ScanLine(y)[x], 16) << x << "," << y;
        }
        EXPECT_EQ(row, GetParam().rows[static_cast<std::size_t>(y)]) << "row " << y;
    }
    EXPECT_EQ(PixelsLoadedUnder(0x5A, file), PixelsLoadedUnder(0xA5, file));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RunLengthTest,
    testing::Values(
        RunLengthCase{"EightBitComplete",
                      8,
                      3,
                      {5, 1, 0, 0, 0, 5, 2, 3, 4, 5, 6, 0, 0, 0, 2, 7, 3, 8, 0, 0, 0, 1},
                      {"77888", "23456", "11111"}},
        RunLengthCase{"EightBitEndsEarly", 8, 3, {2, 5, 0, 1}, {"00000", "00000", "55000"}},
        RunLengthCase{
            "EightBitDelta", 8, 3, {1, 5, 0, 2, 2, 1, 2, 6, 0, 1}, {"00000", "00066", "50000"}},
        RunLengthCase{"EightBitCutShort", 8, 3, {5, 5, 0, 0, 2}, {"00000", "00000", "55555"}},
        RunLengthCase{"EightBitCutInAStoredRun", 8, 3, {0, 4, 1, 2}, {"00000", "00000", "12000"}},
        RunLengthCase{"EightBitRunPastTheRowIsCut",
                      8,
                      3,
                      {7, 1, 0, 0, 3, 2, 0, 1},
                      {"00000", "22200", "11111"}},
        RunLengthCase{"EightBitDeltaPastTheBottom",
                      8,
                      3,
                      {1, 4, 0, 2, 0, 5, 1, 9, 0, 1},
                      {"00000", "00000", "40000"}},
        RunLengthCase{"EightBitTopDown",
                      8,
                      -3,
                      {5, 1, 0, 0, 5, 2, 0, 0, 5, 3, 0, 1},
                      {"11111", "22222", "33333"}},
        RunLengthCase{"FourBitComplete",
                      4,
                      3,
                      {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 5, 0x9A, 0, 1},
                      {"9a9a9", "34567", "12121"}},
        RunLengthCase{"FourBitEndsEarly", 4, 3, {3, 0x57, 0, 1}, {"00000", "00000", "57500"}},
        RunLengthCase{
            "FourBitDelta", 4, 3, {0, 2, 1, 1, 2, 0xAB, 0, 1}, {"00000", "0ab00", "00000"}}),
    CaseName());

} // namespace
