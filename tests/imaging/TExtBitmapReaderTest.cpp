#include "imaging/TExtBitmap.h"
#include "platform/Exception.h"
#include "platform/TPicture.h"

#include "BitmapFileParts.h"
#include "TemporaryFolder.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>

#include <optional>
#include <sstream>

namespace {

using testing::StartsWith;

// Distinct colours, none of them grey, so that a shifted table or pixel shows.
std::vector<std::uint32_t> ColourTable(int entries) {
    std::vector<std::uint32_t> table;
    for (int i = 0; i < entries; ++i) {
        table.push_back(static_cast<std::uint32_t>(i << 16 | (255 - i) << 8 | (i * 7 & 0xFF)));
    }
    return table;
}

TExtBitmap Loaded(const std::string& bytes) {
    std::istringstream in(bytes);
    TExtBitmap bitmap;
    bitmap.LoadFromStream(in);
    return bitmap;
}

// A file whose table holds all 256 entries though the headers declare only `declared`, with the
// pixel offset placed as if the table were that short unless given.
std::string FullTableFile(int declared, int width, int height,
                          std::optional<std::uint32_t> pixelOffset = std::nullopt) {
    BitmapFileParts parts;
    parts.width = width;
    parts.height = height;
    parts.colourTable = ColourTable(256);
    parts.pixelOffset = pixelOffset.value_or(static_cast<std::uint32_t>(54 + declared * 4));
    parts.coloursUsed = static_cast<std::uint32_t>(declared);
    parts.coloursImportant = static_cast<std::uint32_t>(declared);
    parts.pixels = EightBitRows(width, height, [declared](int x, int y) {
        return static_cast<std::uint8_t>((x * 7 + y * 3) % declared);
    });
    return BitmapFile(parts);
}

// The picture of FullTableFile(declared, 13, 5).
void ExpectDeclaredColoursAndIntactPixels(const TExtBitmap& bitmap, int declared) {
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::pf8bit);
    ASSERT_EQ(bitmap.Width(), 13);
    ASSERT_EQ(bitmap.Height(), 5);
    const std::vector<TPaletteEntry> palette = bitmap.Palette();
    ASSERT_EQ(palette.size(), static_cast<std::size_t>(declared));
    const std::vector<std::uint32_t> table = ColourTable(declared);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        EXPECT_EQ(palette[i].peRed << 16 | palette[i].peGreen << 8 | palette[i].peBlue, table[i]);
    }
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 13; ++x) {
            EXPECT_EQ(bitmap.ScanLine(y)[x], (x * 7 + y * 3) % declared) << x << "," << y;
        }
    }
}

class FullColourTableTest : public testing::TestWithParam<int> {};

TEST_P(FullColourTableTest, LoadsWithTheDeclaredColoursAndIntactPixels) {
    const int declared = GetParam();
    const std::string file = FullTableFile(declared, 13, 5);

    const TExtBitmap bitmap = Loaded(file);
    ExpectDeclaredColoursAndIntactPixels(bitmap, declared);

    // The standard reader alone takes the rest of the table for pixels.
    std::istringstream in(file);
    TBitmap plain;
    plain.LoadFromStream(in);
    EXPECT_NE(std::string_view(reinterpret_cast<const char*>(plain.ScanLine(4)), 13),
              std::string_view(reinterpret_cast<const char*>(bitmap.ScanLine(4)), 13));
}

INSTANTIATE_TEST_SUITE_P(Declared, FullColourTableTest, testing::Values(200, 224));

struct FullTableOffsetCase {
    const char* name;
    int declared;
    std::uint32_t pixelOffset;
};

class FullTableOffsetTest : public testing::TestWithParam<FullTableOffsetCase> {};

// The pixels follow the full table, wherever the offset field says they are.
TEST_P(FullTableOffsetTest, LoadsTheSamePicture) {
    const int declared = GetParam().declared;
    ExpectDeclaredColoursAndIntactPixels(
        Loaded(FullTableFile(declared, 13, 5, GetParam().pixelOffset)), declared);
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, FullTableOffsetTest,
    testing::Values(FullTableOffsetCase{"Declared200AtTheFullTable", 200, 1078},
                    FullTableOffsetCase{"Declared224AtTheFullTable", 224, 1078},
                    FullTableOffsetCase{"Declared200AtZero", 200, 0},
                    FullTableOffsetCase{"Declared224InsideTheTable", 224, 300},
                    FullTableOffsetCase{"Declared200PastTheEnd", 200, 0xFFFFFFFF}),
    CaseName());

TEST(TExtBitmapReader, OtherColourCountsAreLeftToTheStandardReader) {
    // Used and important differ: not the damage repaired, so read as the headers say.
    BitmapFileParts parts;
    parts.colourTable = ColourTable(200);
    parts.coloursImportant = 0;
    parts.pixels =
        EightBitRows(4, 3, [](int x, int y) { return static_cast<std::uint8_t>(x + y); });
    const TExtBitmap bitmap = Loaded(BitmapFile(parts));
    EXPECT_EQ(bitmap.Palette().size(), 200u);
    EXPECT_EQ(bitmap.ScanLine(2)[3], 5);
}

std::uint8_t WidePixel(int x, int y) {
    return static_cast<std::uint8_t>((x / 8 + y * 31) & 0xFF);
}

// The same picture whichever way the rows are stored; a negative height stores the top first.
std::string WideFile(std::int32_t height, std::uint32_t imageSize) {
    const int rows = height < 0 ? -height : height;
    BitmapFileParts parts;
    parts.width = 2080;
    parts.height = height;
    parts.colourTable = ColourTable(256);
    parts.imageSize = imageSize;
    parts.pixels = EightBitRows(2080, rows, [height, rows](int x, int y) {
        return WidePixel(x, height < 0 ? rows - 1 - y : y);
    });
    return BitmapFile(parts);
}

struct WideCase {
    const char* name;
    std::int32_t height;
    std::uint32_t imageSize;
};

class WideFileTest : public testing::TestWithParam<WideCase> {};

TEST_P(WideFileTest, ReadsAsIfTheImageSizeWereRight) {
    const std::int32_t height = GetParam().height;
    const int rows = height < 0 ? -height : height;
    const std::string file = WideFile(height, GetParam().imageSize);
    const TExtBitmap bitmap = Loaded(file);

    std::string corrected = file;
    Put32(corrected, 34, static_cast<std::uint32_t>(2080 * rows));
    QImage independent;
    ASSERT_TRUE(independent.loadFromData(reinterpret_cast<const uchar*>(corrected.data()),
                                         static_cast<int>(corrected.size()), "BMP"));
    ASSERT_EQ(bitmap.Width(), independent.width());
    ASSERT_EQ(bitmap.Height(), rows);
    ASSERT_EQ(bitmap.Height(), independent.height());
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::pf8bit);
    for (int y = 0; y < rows; ++y) {
        ASSERT_EQ(std::memcmp(bitmap.ScanLine(y), independent.constScanLine(y), 2080), 0)
            << "row " << y;
        EXPECT_EQ(bitmap.ScanLine(y)[1000], WidePixel(1000, y));
    }
}

INSTANTIATE_TEST_SUITE_P(
    SizeFields, WideFileTest,
    testing::Values(WideCase{"Zero", 3, 0}, WideCase{"One", 3, 1},
                    WideCase{"OneTooMany", 3, 2080 * 3 + 1}, WideCase{"AllOnes", 3, 0xFFFFFFFF},
                    WideCase{"TopDownRight", -5, 2080 * 5}, WideCase{"TopDownWrong", -5, 7},
                    WideCase{"TopDownSignedProduct", -5, static_cast<std::uint32_t>(2080 * -5)}),
    CaseName());

// A stream not at its start is not repaired; a file refused from there is tried again from the
// start of the stream, without its last two bytes.
TEST(TExtBitmapReader, RetryReadsTheWholeStreamWithoutItsLastTwoBytes) {
    TBitmap saved;
    saved.SetPixelFormat(TPixelFormat::pf24bit);
    saved.SetSize(3, 2);
    saved.SetPixel(2, 1, 0x345678);
    std::ostringstream out;
    saved.SaveToStream(out);
    std::istringstream in(out.str() + "zz");
    in.seekg(1);
    TExtBitmap bitmap;
    bitmap.LoadFromStream(in);
    EXPECT_EQ(bitmap.Pixel(2, 1), 0x345678u);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
}

TEST(TExtBitmapReader, FileRefusedTwiceRaisesTheSecondError) {
    std::istringstream in(std::string(100, 'x'));
    TExtBitmap bitmap;
    try {
        bitmap.LoadFromStream(in);
        FAIL() << "no error";
    } catch (const EInvalidGraphic& error) {
        EXPECT_THAT(error.what(), StartsWith("Error: not a bitmap"));
    }
}

struct MalformedCase {
    const char* name;
    std::function<std::string()> file;
    const char* message; // the start of it
};

class MalformedFileTest : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedFileTest, IsRefusedCleanlyAndTheBitmapKept) {
    TExtBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf8bit);
    bitmap.SetSize(2, 2);
    bitmap.ScanLine(1)[1] = 77;
    std::istringstream in(GetParam().file());
    try {
        bitmap.LoadFromStream(in);
        FAIL() << "no error";
    } catch (const EInvalidGraphic& error) {
        EXPECT_THAT(error.what(), StartsWith(GetParam().message));
    }
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.ScanLine(1)[1], 77);
}

std::string Truncated(std::string file, std::size_t size) {
    file.resize(size);
    return file;
}

std::string WithField(std::string file, std::size_t at, std::uint32_t value) {
    Put32(file, at, value);
    return file;
}

INSTANTIATE_TEST_SUITE_P(
    Files, MalformedFileTest,
    testing::Values(
        MalformedCase{"Empty", [] { return std::string(); }, "Error: not a bitmap"},
        MalformedCase{"HeadersOnly", [] { return Truncated(FullTableFile(200, 4, 3), 55); },
                      "Error: the bitmap declares 200 colours but is too short"},
        MalformedCase{"ShortFileClaiming224",
                      [] { return Truncated(FullTableFile(224, 4, 3), 1077); },
                      "Error: the bitmap declares 224 colours but is too short"},
        MalformedCase{"FullTableFileCutInItsPixels",
                      [] { return Truncated(FullTableFile(200, 40, 30), 1078 + 100); },
                      "Error: the bitmap's pixels are cut short"},
        MalformedCase{"FullTableFileClaimingAbsurdSize",
                      [] { return WithField(FullTableFile(200, 4, 3), 18, 0x7FFFFFFF); },
                      "Error: a bitmap of 2147483647 x 3 pixels is larger"},
        MalformedCase{
            "WideFileWithAbsurdNegativeHeight",
            [] { return WithField(WideFile(3, 7), 22, static_cast<std::uint32_t>(-1000000)); },
            "Error: a bitmap of 2080 x -1000000 pixels cannot be read."},
        MalformedCase{"WideFileWithAbsurdHeight",
                      [] { return WithField(WideFile(3, 7), 22, 1000000); },
                      "Error: a bitmap of 2080 x 1000000 pixels cannot be read."},
        MalformedCase{"WideFileWithOverflowingHeight",
                      [] { return WithField(WideFile(3, 7), 22, 0x7FFFFFFF); },
                      "Error: a bitmap of 2080 x 2147483647 pixels cannot be read."},
        MalformedCase{"WideFileCutShort", [] { return Truncated(WideFile(3, 7), 3000); },
                      "Error: the bitmap's pixels are cut short"},
        MalformedCase{"LyingColourCount",
                      [] { return WithField(FullTableFile(200, 4, 3), 46, 300); },
                      "Error: not a bitmap"},
        MalformedCase{
            "AbsurdWidthAndHeight",
            [] { return WithField(WithField(FullTableFile(200, 4, 3), 18, 100000), 22, 100000); },
            "Error: a bitmap of 100000 x 100000 pixels is larger"},
        MalformedCase{"NegativeWidth",
                      [] { return WithField(WideFile(3, 2080 * 3), 18, 0xFFFFFFFF); },
                      "Error: not a bitmap"},
        MalformedCase{"LargeClaimWithFewPixels",
                      [] {
                          BitmapFileParts parts;
                          parts.width = 10000;
                          parts.height = 10000;
                          parts.colourTable = ColourTable(256);
                          parts.pixels = std::string(64, '\1');
                          return BitmapFile(parts);
                      },
                      "Error: the bitmap's pixels are cut short"},
        MalformedCase{"PixelsPastTheEnd",
                      [] { return WithField(WideFile(3, 2080 * 3), 10, 0x7FFFFFF0); },
                      "Error: the bitmap's pixels are cut short"}),
    CaseName());

TEST(TExtBitmapReader, LoadFromFileUsesTheTolerantReader) {
    TemporaryFolder folder;
    const std::string path = folder.File("full-table.bmp");
    WriteFileBytes(path, FullTableFile(200, 6, 2));
    TExtBitmap bitmap;
    bitmap.LoadFromFile(path);
    EXPECT_EQ(bitmap.Palette().size(), 200u);
    EXPECT_EQ(bitmap.ScanLine(0)[5], (5 * 7) % 200);
}

TEST(TExtBitmapReader, TwentyFourBitSaveWritesNoColourTable) {
    TExtBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(2, 2);
    bitmap.SetPixel(0, 0, 0x102030);
    TemporaryFolder folder;
    const std::string path = folder.File("colour.bmp");
    bitmap.SaveToFile(path);
    const std::string bytes = ReadFileBytes(path);
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[28], 24);
    EXPECT_EQ(bytes[10], 54); // pixels right after the headers
    EXPECT_EQ(bytes.size(), 54u + 2 * 8);
    TExtBitmap loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Pixel(0, 0), 0x102030u);
}

class RegistrationTest : public testing::Test {
protected:
    ~RegistrationTest() override {
        TPicture::RegisterFileFormat("BMP", "Bitmaps", [] { return std::make_unique<TBitmap>(); });
    }
};

TEST_F(RegistrationTest, RegisteredExtBitmapReadsBitmapPictures) {
    RegisterExtBitmap();
    EXPECT_EQ(TPicture::FileFilter(), "Windows bitmap (*.bmp)");
    TemporaryFolder folder;
    const std::string path = folder.File("full-table.BMP");
    WriteFileBytes(path, FullTableFile(224, 3, 3));
    TPicture picture;
    picture.LoadFromFile(path);
    ASSERT_NE(dynamic_cast<TExtBitmap*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Bitmap().Palette().size(), 224u);
}

} // namespace
