#include "imaging/TExtBitmap.h"
#include "platform/Exception.h"

#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include <cstring>

namespace {

using testing::StrEq;

constexpr const char* MixedText =
    "Error: Interpolate called with increase width and reduce height or vice-versa.";
constexpr const char* FormatText = "Error: Interpolate called without 8-bit or 24-bit pixels.";

int BytesPerPixel(const TBitmap& bitmap) {
    return bitmap.PixelFormat() == TPixelFormat::pf8bit ? 1 : 3;
}

// A picture with detail at every scale, so that each interpolation gives its own result.
TExtBitmap Picture(TPixelFormat format, int width, int height) {
    TExtBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
    const int rowBytes = static_cast<int>(bitmap.Image().bytesPerLine());
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int i = 0; i < rowBytes; ++i) {
            row[i] = static_cast<std::uint8_t>((i * 37 + y * 91 + (i / 5) * (y / 3) * 13) & 0xFF);
        }
    }
    return bitmap;
}

cv::Mat MatOf(TBitmap& bitmap) {
    const int type = bitmap.PixelFormat() == TPixelFormat::pf8bit ? CV_8UC1 : CV_8UC3;
    cv::Mat mat(bitmap.Height(), bitmap.Width(), type);
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::memcpy(mat.ptr(y), bitmap.ScanLine(y),
                    static_cast<std::size_t>(bitmap.Width() * BytesPerPixel(bitmap)));
    }
    return mat;
}

// Whether the bitmap's rows hold exactly the Mat's pixels.
testing::AssertionResult SamePixels(TBitmap& bitmap, const cv::Mat& mat) {
    if (bitmap.Width() != mat.cols || bitmap.Height() != mat.rows) {
        return testing::AssertionFailure() << "size " << bitmap.Width() << "x" << bitmap.Height()
                                           << ", expected " << mat.cols << "x" << mat.rows;
    }
    const auto rowBytes = static_cast<std::size_t>(bitmap.Width() * BytesPerPixel(bitmap));
    for (int y = 0; y < mat.rows; ++y) {
        if (std::memcmp(bitmap.ScanLine(y), mat.ptr(y), rowBytes) != 0) {
            return testing::AssertionFailure() << "row " << y << " differs";
        }
    }
    return testing::AssertionSuccess();
}

struct ResampleCase {
    const char* name;
    TPixelFormat format;
    int width;
    int height;
    int newWidth;
    int newHeight;
    int method;
    int expectedInterpolation;
};

class ResampleTest : public testing::TestWithParam<ResampleCase> {};

TEST_P(ResampleTest, MatchesOpenCvWithTheExpectedInterpolation) {
    const ResampleCase& c = GetParam();
    TExtBitmap bitmap = Picture(c.format, c.width, c.height);
    const cv::Mat source = MatOf(bitmap);
    cv::Mat expected;
    cv::resize(source, expected, cv::Size(c.newWidth, c.newHeight), 0, 0, c.expectedInterpolation);
    bitmap.Interpolate(c.newWidth, c.newHeight, c.method);
    EXPECT_EQ(bitmap.PixelFormat(), c.format);
    EXPECT_TRUE(SamePixels(bitmap, expected));
    // A different interpolation would give a different picture: the match is not by chance.
    if (c.expectedInterpolation != cv::INTER_NEAREST) {
        cv::Mat nearest;
        cv::resize(source, nearest, cv::Size(c.newWidth, c.newHeight), 0, 0, cv::INTER_NEAREST);
        EXPECT_GT(cv::norm(nearest, expected, cv::NORM_L1), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ResampleTest,
                         testing::Values(ResampleCase{"EnlargeBicubic8", TPixelFormat::pf8bit, 360,
                                                      91, 540, 273, -1, cv::INTER_CUBIC},
                                         ResampleCase{"EnlargeBicubic24", TPixelFormat::pf24bit,
                                                      360, 91, 540, 273, -1, cv::INTER_CUBIC},
                                         ResampleCase{"EnlargeOneSide", TPixelFormat::pf8bit, 360,
                                                      91, 360, 182, -1, cv::INTER_CUBIC},
                                         ResampleCase{"ReduceSuperSample8", TPixelFormat::pf8bit,
                                                      540, 273, 360, 91, -1, cv::INTER_AREA},
                                         ResampleCase{"ReduceSuperSample24", TPixelFormat::pf24bit,
                                                      540, 273, 360, 91, -1, cv::INTER_AREA},
                                         ResampleCase{"EnlargeLinear", TPixelFormat::pf24bit, 30,
                                                      20, 45, 50, 1, cv::INTER_LINEAR},
                                         ResampleCase{"ReduceCubic", TPixelFormat::pf8bit, 60, 40,
                                                      31, 17, 2, cv::INTER_CUBIC}),
                         CaseName());

TEST(TExtBitmap, NearestDoublingGivesBlocks) {
    TExtBitmap bitmap = Picture(TPixelFormat::pf8bit, 10, 6);
    const TExtBitmap before(bitmap);
    bitmap.Interpolate(20, 12, IplInterNearest);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 20; ++x) {
            ASSERT_EQ(bitmap.ScanLine(y)[x], before.ScanLine(y / 2)[x / 2]) << x << "," << y;
        }
    }
}

TEST(TExtBitmap, ResamplingMarksModifiedKeepsThePaletteAndNotifies) {
    TExtBitmap bitmap = Picture(TPixelFormat::pf8bit, 10, 6);
    std::vector<TPaletteEntry> palette(256);
    palette[3] = {1, 2, 3, 0};
    bitmap.SetPalette(palette);
    bitmap.SetModified(false);
    int changes = 0;
    bitmap.OnChange = [&](TBitmap&) { ++changes; };
    bitmap.Interpolate(5, 3);
    EXPECT_TRUE(bitmap.Modified());
    EXPECT_GT(changes, 0);
    EXPECT_EQ(bitmap.Palette(), palette);
}

struct RefusalCase {
    const char* name;
    TPixelFormat format;
    int newWidth;
    int newHeight;
    int method;
    const char* message;
};

class RefusedInterpolationTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(RefusedInterpolationTest, LeavesTheBitmapAsItWas) {
    const RefusalCase& c = GetParam();
    TExtBitmap bitmap = Picture(c.format, 360, 91);
    const TExtBitmap before(bitmap);
    bitmap.SetModified(false);
    try {
        bitmap.Interpolate(c.newWidth, c.newHeight, c.method);
        FAIL() << "no error";
    } catch (const Exception& error) {
        EXPECT_THAT(error.what(), StrEq(c.message));
    }
    ASSERT_EQ(bitmap.Width(), 360);
    ASSERT_EQ(bitmap.Height(), 91);
    EXPECT_EQ(bitmap.PixelFormat(), c.format);
    if (c.format == TPixelFormat::pf8bit) {
        for (int y = 0; y < 91; ++y) {
            ASSERT_EQ(std::memcmp(bitmap.ScanLine(y), before.ScanLine(y), 360), 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Calls, RefusedInterpolationTest,
    testing::Values(RefusalCase{"WiderAndLower", TPixelFormat::pf8bit, 540, 60, -1, MixedText},
                    RefusalCase{"NarrowerAndTaller", TPixelFormat::pf8bit, 100, 100, -1, MixedText},
                    RefusalCase{"ThirtyTwoBit", TPixelFormat::pf32bit, 540, 273, -1, FormatText},
                    RefusalCase{"OneBit", TPixelFormat::pf1bit, 100, 50, -1, FormatText},
                    RefusalCase{"MixedBeforeFormat", TPixelFormat::pf32bit, 540, 60, -1, MixedText},
                    RefusalCase{"ZeroWidth", TPixelFormat::pf8bit, 0, 50, -1,
                                "Error: Interpolate called with a size of 0 x 50."},
                    RefusalCase{"NegativeSize", TPixelFormat::pf24bit, -5, -5, -1,
                                "Error: Interpolate called with a size of -5 x -5."},
                    RefusalCase{"AbsurdSize", TPixelFormat::pf8bit, 100000, 100000, -1,
                                "Error: Interpolate called with a size of 100000 x 100000."},
                    RefusalCase{"UnknownMethod", TPixelFormat::pf8bit, 400, 100, 7,
                                "Error: iplZoom called with unknown interpolation method 7."},
                    RefusalCase{"NegativeMethod", TPixelFormat::pf24bit, 100, 50, -2,
                                "Error: iplDecimate called with unknown interpolation method -2."}),
    CaseName());

TEST(TExtBitmap, TinyOrSameSizedPictureIsNotTouched) {
    const std::vector<std::pair<int, int>> sizes{{2, 100}, {100, 2}, {1, 1}, {0, 0}};
    for (const auto& [width, height] : sizes) {
        for (const auto& [newWidth, newHeight] :
             {std::pair{540, 273}, {1, 1}, {540, 1}, {-7, 0}, {width, height}}) {
            TExtBitmap bitmap;
            bitmap.SetPixelFormat(TPixelFormat::pf32bit);
            bitmap.SetSize(width, height);
            bitmap.SetModified(false);
            EXPECT_NO_THROW(bitmap.Interpolate(newWidth, newHeight));
            EXPECT_EQ(bitmap.Width(), width);
            EXPECT_EQ(bitmap.Height(), height);
            EXPECT_FALSE(bitmap.Modified());
        }
    }
    TExtBitmap same = Picture(TPixelFormat::pf32bit, 360, 91);
    same.SetModified(false);
    same.Interpolate(360, 91);
    EXPECT_FALSE(same.Modified());
}

TEST(TExtBitmap, GreyPaletteIsSetOnceAndKeepsIndices) {
    TExtBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf8bit);
    bitmap.SetPalette(std::vector<TPaletteEntry>(16, TPaletteEntry{9, 9, 9, 0}));
    bitmap.SetSize(3, 1);
    bitmap.ScanLine(0)[2] = 200;
    bitmap.SetModified(false);

    bitmap.MakeGreyPalette();
    EXPECT_TRUE(bitmap.Modified());
    const std::vector<TPaletteEntry> palette = bitmap.Palette();
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[77], (TPaletteEntry{77, 77, 77, 0}));
    EXPECT_EQ(bitmap.ScanLine(0)[2], 200);

    bitmap.SetModified(false);
    int changes = 0;
    bitmap.OnChange = [&](TBitmap&) { ++changes; };
    bitmap.MakeGreyPalette();
    EXPECT_FALSE(bitmap.Modified());
    EXPECT_EQ(changes, 0);

    for (const int grey : {0, 1, 127, 128, 254, 255}) {
        const auto level = static_cast<std::uint32_t>(grey);
        bitmap.SetPixel(1, 0, level << 16 | level << 8 | level);
        EXPECT_EQ(bitmap.ScanLine(0)[1], grey);
    }
}

TEST(TExtBitmap, TwentyFourBitImageHasThreeChannelsInBlueGreenRedOrder) {
    TExtBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(3, 2);
    bitmap.SetPixel(2, 1, 0x112233);
    const IplImagePtr image = bitmap.BitmapToIpl();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->nChannels, 3);
    EXPECT_EQ(image->depth, IplDepth8);
    EXPECT_EQ(std::string(image->colorModel, 3), "RGB");
    EXPECT_EQ(std::string(image->channelSeq, 3), "BGR");
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(image->widthStep % 8, 0);
    const std::uint8_t* pixel = image->imageData + image->widthStep + 6;
    EXPECT_EQ(pixel[0], 0x33);
    EXPECT_EQ(pixel[1], 0x22);
    EXPECT_EQ(pixel[2], 0x11);
}

TEST(TExtBitmap, EightBitImageHasOneGreyChannel) {
    const TExtBitmap bitmap = Picture(TPixelFormat::pf8bit, 5, 2);
    const IplImagePtr image = bitmap.BitmapToIpl();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->nChannels, 1);
    EXPECT_EQ(std::string(image->colorModel, 4), "GRAY");
    EXPECT_EQ(std::string(image->channelSeq, 4), "GRAY");
    EXPECT_EQ(image->alphaChannel, 0);
    EXPECT_EQ(image->widthStep, 8);
    EXPECT_EQ(std::memcmp(image->imageData + 8, bitmap.ScanLine(1), 5), 0);
}

TEST(TExtBitmap, BlankImageOfNothingIsNullAndOtherFormatsRefused) {
    const TExtBitmap eight = Picture(TPixelFormat::pf8bit, 5, 2);
    EXPECT_FALSE(eight.MakeBlankIPL(0, 5));
    EXPECT_FALSE(eight.MakeBlankIPL(5, 0));
    EXPECT_FALSE(TExtBitmap().BitmapToIpl());
    const TExtBitmap other = Picture(TPixelFormat::pf32bit, 5, 2);
    try {
        (void)other.MakeBlankIPL(4, 4);
        FAIL() << "no error";
    } catch (const EInvalidGraphicOperation& error) {
        EXPECT_STREQ(error.what(), "Error: MakeBlankIPL called without 8 or 24-bit pixels.");
    }
    EXPECT_THROW((void)eight.MakeBlankIPL(-1, 5), Exception);
}

struct RegionCase {
    const char* name;
    int width;
    int height;
    int xOffset;
    int yOffset;
    std::vector<std::string> rows; // pixel values as letters, '.' for 0
};

class RegionTest : public testing::TestWithParam<RegionCase> {};

// The bitmap is 4 x 3: row 0 "abcd", row 1 "efgh", row 2 "ijkl".
TEST_P(RegionTest, CopiesTheRowsThatLandInTheImage) {
    for (const TPixelFormat format : {TPixelFormat::pf8bit, TPixelFormat::pf24bit}) {
        TExtBitmap bitmap;
        bitmap.SetPixelFormat(format);
        bitmap.SetSize(4, 3);
        const int bytes = BytesPerPixel(bitmap);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x) {
                std::memset(bitmap.ScanLine(y) + x * bytes, 'a' + y * 4 + x,
                            static_cast<std::size_t>(bytes));
            }
        }
        const RegionCase& c = GetParam();
        const IplImagePtr image = bitmap.BitmapRegionToIpl(c.width, c.height, c.xOffset, c.yOffset);
        ASSERT_TRUE(image);
        for (int y = 0; y < c.height; ++y) {
            std::string row;
            for (int x = 0; x < c.width; ++x) {
                const std::uint8_t* pixel = image->imageData + y * image->widthStep + x * bytes;
                for (int b = 1; b < bytes; ++b) {
                    ASSERT_EQ(pixel[b], pixel[0]);
                }
                row += pixel[0] == 0 ? '.' : static_cast<char>(pixel[0]);
            }
            EXPECT_EQ(row, c.rows[static_cast<std::size_t>(y)]) << "row " << y << ", " << bytes;
            // A run longer than the image row would spill into the padding after it.
            for (int i = c.width * bytes; i < image->widthStep; ++i) {
                ASSERT_EQ(image->imageData[y * image->widthStep + i], 0) << "row " << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, RegionTest,
    testing::Values(RegionCase{"Whole", 4, 3, 0, 0, {"abcd", "efgh", "ijkl"}},
                    RegionCase{"Right", 4, 3, 1, 0, {".abc", ".efg", ".ijk"}},
                    RegionCase{"Left", 4, 3, -1, 0, {"bcd.", "fgh.", "jkl."}},
                    RegionCase{"Down", 4, 3, 0, 1, {"....", "abcd", "efgh"}},
                    RegionCase{"Up", 4, 3, 0, -2, {"ijkl", "....", "...."}},
                    RegionCase{"RowsAllOutside", 4, 3, 0, 3, {"....", "....", "...."}},
                    RegionCase{"RowsAllAbove", 4, 2, 0, -3, {"....", "...."}},
                    RegionCase{"TallerImage", 4, 5, 0, 1, {"....", "abcd", "efgh", "ijkl", "...."}},
                    // The run stays a bitmap row shortened by the offset, even in a wider image.
                    RegionCase{"WiderImage", 6, 1, 1, 0, {".abc.."}},
                    RegionCase{"WiderImageLeft", 6, 1, -2, 0, {"cd...."}},
                    // Mend: a narrower image takes no more than its row.
                    RegionCase{"NarrowerImage", 2, 3, 0, 0, {"ab", "ef", "ij"}},
                    RegionCase{"NarrowerImageRight", 3, 1, 2, 0, {"..a"}},
                    RegionCase{"NarrowerImageLeft", 2, 1, -1, 0, {"bc"}},
                    RegionCase{"OffsetPastTheImage", 4, 1, 4, 0, {"...."}},
                    RegionCase{"OffsetPastTheBitmap", 4, 1, -4, 0, {"...."}},
                    RegionCase{"OffsetAtIntLimit", 4, 1, -2147483647 - 1, 0, {"...."}},
                    RegionCase{"RowOffsetAtIntLimit", 4, 1, 0, 2147483647, {"...."}}),
    CaseName());

IplImagePtr GreyImage(int width, int height, int depth, int channels = 1) {
    IplImagePtr image(iplCreateImageHeader(channels, 0, depth, "GRAY", "GRAY", IplPixelOrder,
                                           IplOriginTopLeft, IplAlignQword, width, height, nullptr,
                                           nullptr, nullptr, nullptr));
    iplAllocateImage(image.get(), 1, 0);
    return image;
}

TEST(TExtBitmap, EightBitImageBecomesEightBitPixelsKeepingThePalette) {
    const IplImagePtr image = GreyImage(5, 2, IplDepth8);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x) {
            image->imageData[y * image->widthStep + x] = static_cast<std::uint8_t>(10 * y + x);
        }
    }
    TExtBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf8bit);
    const std::vector<TPaletteEntry> palette(40, TPaletteEntry{1, 2, 3, 0});
    bitmap.SetPalette(palette);
    bitmap.IplToBitmap(image.get());
    ASSERT_EQ(bitmap.Width(), 5);
    ASSERT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.Palette(), palette);
    EXPECT_EQ(bitmap.ScanLine(1)[4], 14);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 0);

    TExtBitmap colour = Picture(TPixelFormat::pf24bit, 2, 2);
    colour.IplToBitmap(image.get());
    EXPECT_EQ(colour.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(colour.ScanLine(1)[3], 13);
}

TEST(TExtBitmap, SixteenBitSamplesKeepBitsSevenToFourteen) {
    const std::vector<std::uint16_t> samples{0, 127, 128, 0x3FFF, 0x7FFF, 0x8000, 0xFFFF};
    const std::vector<std::uint8_t> expected{0, 0, 1, 0x7F, 0xFF, 0x00, 0xFF};
    const IplImagePtr image = GreyImage(static_cast<int>(samples.size()), 1, IplDepth16);
    std::memcpy(image->imageData, samples.data(), samples.size() * 2);
    TExtBitmap bitmap;
    bitmap.IplToBitmap(image.get());
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::pf8bit);
    ASSERT_EQ(bitmap.Width(), static_cast<int>(samples.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(bitmap.ScanLine(0)[i], expected[i]) << "sample " << samples[i];
    }
}

TEST(TExtBitmap, ThreeChannelImageBecomesTwentyFourBitPixels) {
    TExtBitmap source = Picture(TPixelFormat::pf24bit, 7, 3);
    const IplImagePtr image = source.BitmapToIpl();
    TExtBitmap bitmap;
    bitmap.IplToBitmap(image.get());
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_TRUE(SamePixels(bitmap, MatOf(source)));
}

TEST(TExtBitmap, InconsistentImageIsRefusedBeforeAnyChange) {
    for (const auto& damage : std::vector<std::function<void(IplImage&)>>{
             [](IplImage& i) { i.widthStep = 4; }, [](IplImage& i) { i.imageSize = 10; },
             [](IplImage& i) { i.height = 1000; }, [](IplImage& i) { i.width = -1; },
             [](IplImage& i) { i.depth = 32; }, [](IplImage& i) { i.nChannels = 0; }}) {
        const IplImagePtr image = GreyImage(5, 2, IplDepth8);
        damage(*image);
        TExtBitmap bitmap = Picture(TPixelFormat::pf24bit, 3, 3);
        EXPECT_THROW(bitmap.IplToBitmap(image.get()), EInvalidGraphicOperation);
        EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
        EXPECT_EQ(bitmap.Height(), 3);
    }
}

TEST(TExtBitmap, RowsCopyNoMoreThanTheBitmapHolds) {
    // Four channels set no format: an 8-bit bitmap takes the first bytes of each row.
    const IplImagePtr image = GreyImage(3, 2, IplDepth8, 4);
    for (int i = 0; i < image->imageSize; ++i) {
        image->imageData[i] = static_cast<std::uint8_t>(i);
    }
    TExtBitmap bitmap = Picture(TPixelFormat::pf8bit, 1, 1);
    bitmap.IplToBitmap(image.get());
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(bitmap.ScanLine(1)[2], image->widthStep + 2);
}

} // namespace
