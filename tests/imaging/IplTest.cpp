#include "imaging/Ipl.h"
#include "platform/Exception.h"

#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include <cstring>

namespace {

using testing::StrEq;

IplImagePtr Make(int channels, int depth, int align, int width, int height) {
    return IplImagePtr(iplCreateImageHeader(channels, 0, depth, "RGB", "BGR", IplPixelOrder,
                                            IplOriginTopLeft, align, width, height, nullptr,
                                            nullptr, nullptr, nullptr));
}

IplImagePtr Allocated(int channels, int width, int height, int fill = 0) {
    IplImagePtr image = Make(channels, IplDepth8, IplAlignQword, width, height);
    iplAllocateImage(image.get(), 1, fill);
    return image;
}

struct LayoutCase {
    const char* name;
    int channels;
    int depth;
    int align;
    int width;
    int height;
    int widthStep;
};

class LayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTest, RowsArePaddedToTheAlignment) {
    const LayoutCase& c = GetParam();
    const IplImagePtr image = Make(c.channels, c.depth, c.align, c.width, c.height);
    EXPECT_EQ(image->widthStep, c.widthStep);
    EXPECT_EQ(image->imageSize, c.widthStep * c.height);
    EXPECT_EQ(image->imageData, nullptr);
    EXPECT_EQ(iplLayoutFault(*image), c.width * c.height == 0 ? "" : "an image without pixels");
}

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutTest,
                         testing::Values(LayoutCase{"Grey", 1, 8, 8, 5, 3, 8},
                                         LayoutCase{"GreyExact", 1, 8, 8, 16, 2, 16},
                                         LayoutCase{"Colour", 3, 8, 8, 5, 3, 16},
                                         LayoutCase{"ColourDword", 3, 8, 4, 5, 3, 16},
                                         LayoutCase{"GreyDword", 1, 8, 4, 5, 3, 8},
                                         LayoutCase{"Sixteen", 1, 16, 8, 5, 2, 16},
                                         LayoutCase{"Empty", 3, 8, 8, 0, 0, 0},
                                         LayoutCase{"NoRows", 3, 8, 8, 7, 0, 24}),
                         CaseName());

struct BadHeaderCase {
    const char* name;
    std::function<IplImage*()> create;
};

class BadHeaderTest : public testing::TestWithParam<BadHeaderCase> {};

TEST_P(BadHeaderTest, IsRefused) {
    EXPECT_THROW(IplImagePtr{GetParam().create()}, Exception);
}

IplImage* Header(int channels, int depth, int order, int origin, int align, int width, int height,
                 void* id = nullptr) {
    return iplCreateImageHeader(channels, 0, depth, "RGB", "BGR", order, origin, align, width,
                                height, nullptr, nullptr, id, nullptr);
}

int someId = 0;

INSTANTIATE_TEST_SUITE_P(
    Headers, BadHeaderTest,
    testing::Values(BadHeaderCase{"NoChannels", [] { return Header(0, 8, 0, 0, 8, 1, 1); }},
                    BadHeaderCase{"Depth32", [] { return Header(1, 32, 0, 0, 8, 1, 1); }},
                    BadHeaderCase{"PlaneOrder", [] { return Header(3, 8, 1, 0, 8, 1, 1); }},
                    BadHeaderCase{"Align3", [] { return Header(3, 8, 0, 0, 3, 1, 1); }},
                    BadHeaderCase{"NegativeWidth", [] { return Header(1, 8, 0, 0, 8, -1, 1); }},
                    BadHeaderCase{"Over2GiB", [] { return Header(3, 8, 0, 0, 8, 50000, 50000); }},
                    BadHeaderCase{"RowOverflow",
                                  [] { return Header(3, 16, 0, 0, 8, 2147483647, 1); }},
                    BadHeaderCase{"WithId", [] { return Header(1, 8, 0, 0, 8, 1, 1, &someId); }}),
    CaseName());

TEST(Ipl, AllocationFillsWhenAsked) {
    const IplImagePtr image = Allocated(3, 5, 2, 0x5A);
    ASSERT_NE(image->imageData, nullptr);
    EXPECT_EQ(iplLayoutFault(*image), "");
    for (int i = 0; i < image->imageSize; ++i) {
        ASSERT_EQ(image->imageData[i], 0x5A);
    }
    IplImagePtr sixteen = Make(1, IplDepth16, 8, 3, 1);
    iplAllocateImage(sixteen.get(), 1, 0x1234);
    std::uint16_t sample = 0;
    std::memcpy(&sample, sixteen->imageData + 4, 2);
    EXPECT_EQ(sample, 0x1234);
}

struct ResampleFaultCase {
    const char* name;
    std::function<void(const IplImage*, IplImage*)> call;
    const char* message;
};

class ResampleFaultTest : public testing::TestWithParam<ResampleFaultCase> {};

TEST_P(ResampleFaultTest, RaisesWithAClearMessage) {
    const IplImagePtr source = Allocated(1, 4, 4);
    const IplImagePtr target = Allocated(1, 8, 8);
    try {
        GetParam().call(source.get(), target.get());
        FAIL() << "no error";
    } catch (const Exception& error) {
        EXPECT_THAT(error.what(), StrEq(GetParam().message));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Calls, ResampleFaultTest,
    testing::Values(
        ResampleFaultCase{
            "UnknownMethod",
            [](const IplImage* src, IplImage* dst) { iplZoom(src, dst, 2, 1, 2, 1, 4); },
            "Error: iplZoom called with unknown interpolation method 4."},
        ResampleFaultCase{
            "ZoomReducing",
            [](const IplImage* src, IplImage* dst) { iplZoom(src, dst, 1, 2, 2, 1, 0); },
            "Error: iplZoom called with a factor below 1."},
        ResampleFaultCase{
            "DecimateEnlarging",
            [](const IplImage* src, IplImage* dst) { iplDecimate(src, dst, 2, 1, 1, 1, 0); },
            "Error: iplDecimate called with a factor above 1."},
        ResampleFaultCase{
            "ZeroFactor",
            [](const IplImage* src, IplImage* dst) { iplZoom(src, dst, 2, 0, 2, 1, 0); },
            "Error: iplZoom called with a factor that is not positive."},
        ResampleFaultCase{
            "NoTarget",
            [](const IplImage* src, IplImage*) { iplZoom(src, nullptr, 2, 1, 2, 1, 0); },
            "Error: iplZoom called without an image."},
        ResampleFaultCase{"ChannelsDiffer",
                          [](const IplImage* src, IplImage*) {
                              const IplImagePtr colour = Allocated(3, 8, 8);
                              iplZoom(src, colour.get(), 2, 1, 2, 1, 0);
                          },
                          "Error: iplZoom called with images of different channels or depths."},
        ResampleFaultCase{"TargetWithoutPixels",
                          [](const IplImage* src, IplImage* dst) {
                              iplDeallocate(dst, IplFreeData);
                              iplZoom(src, dst, 2, 1, 2, 1, 0);
                          },
                          "Error: iplZoom called with an image without pixels."},
        ResampleFaultCase{"HugeFactor",
                          [](const IplImage* src, IplImage* dst) {
                              iplZoom(src, dst, 2000000000, 1, 2000000000, 1, 0);
                          },
                          "Error: iplZoom called to make 8000000000 x 8000000000 pixels, more "
                          "than an image holds."}),
    CaseName());

// Factors that do not give the target's size: the result's top-left part fills the target.
TEST(Ipl, ResultIsCutToTheTarget) {
    const IplImagePtr source = Allocated(1, 4, 4);
    for (int i = 0; i < source->imageSize; ++i) {
        source->imageData[i] = static_cast<std::uint8_t>(i * 13);
    }
    const IplImagePtr target = Allocated(1, 6, 5, 0xEE);
    iplZoom(source.get(), target.get(), 2, 1, 2, 1, IplInterLinear);

    const cv::Mat from(4, 4, CV_8UC1, source->imageData,
                       static_cast<std::size_t>(source->widthStep));
    cv::Mat expected;
    cv::resize(from, expected, cv::Size(8, 8), 0, 0, cv::INTER_LINEAR);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            ASSERT_EQ(target->imageData[y * target->widthStep + x], expected.at<std::uint8_t>(y, x))
                << x << "," << y;
        }
    }
}

TEST(Ipl, SixteenBitImagesResample) {
    IplImagePtr source = Make(1, IplDepth16, 8, 2, 2);
    iplAllocateImage(source.get(), 1, 1000);
    IplImagePtr target = Make(1, IplDepth16, 8, 4, 4);
    iplAllocateImage(target.get(), 1, 0);
    iplZoom(source.get(), target.get(), 2, 1, 2, 1, IplInterCubic);
    std::uint16_t sample = 0;
    std::memcpy(&sample, target->imageData + 3 * target->widthStep + 6, 2);
    EXPECT_EQ(sample, 1000);
}

} // namespace
