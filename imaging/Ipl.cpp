#include "Ipl.h"

#include "platform/Exception.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr std::int64_t MaxImageBytes = std::numeric_limits<int>::max();

std::string SizeText(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

void CopyName(char (&target)[4], const char* name) {
    std::memset(target, 0, sizeof target);
    if (name != nullptr) {
        std::memcpy(target, name, std::min(std::strlen(name), sizeof target));
    }
}

std::int64_t RowBytes(const IplImage& image) {
    return std::int64_t{image.width} * image.nChannels * (image.depth / 8);
}

void CheckImage(const char* function, const IplImage* image) {
    if (image == nullptr) {
        throw Exception(std::string("Error: ") + function + " called without an image.");
    }
    if (const std::string fault = iplLayoutFault(*image); !fault.empty()) {
        throw Exception(std::string("Error: ") + function + " called with " + fault + ".");
    }
}

void Resample(const char* function, bool enlarging, const IplImage* src, IplImage* dst,
              int dstWidth, int srcWidth, int dstHeight, int srcHeight, int interpolate) {
    CheckImage(function, src);
    CheckImage(function, dst);
    const std::string called = std::string("Error: ") + function + " called ";
    if (src->nChannels != dst->nChannels || src->depth != dst->depth) {
        throw Exception(called + "with images of different channels or depths.");
    }
    if (interpolate < IplInterNearest || interpolate > IplInterSuperSample) {
        throw Exception(called + "with unknown interpolation method " +
                        std::to_string(interpolate) + ".");
    }
    if (dstWidth <= 0 || srcWidth <= 0 || dstHeight <= 0 || srcHeight <= 0) {
        throw Exception(called + "with a factor that is not positive.");
    }
    const bool enlarges = dstWidth >= srcWidth && dstHeight >= srcHeight;
    const bool reduces = dstWidth <= srcWidth && dstHeight <= srcHeight;
    if (enlarging ? !enlarges : !reduces) {
        throw Exception(called + (enlarging ? "with a factor below 1." : "with a factor above 1."));
    }
    if (src->width == 0 || src->height == 0 || dst->width == 0 || dst->height == 0) {
        return;
    }

    const double fx = static_cast<double>(dstWidth) / srcWidth;
    const double fy = static_cast<double>(dstHeight) / srcHeight;
    const auto scaledWidth = std::llround(src->width * fx);
    const auto scaledHeight = std::llround(src->height * fy);
    if (scaledWidth > std::numeric_limits<int>::max() ||
        scaledHeight > std::numeric_limits<int>::max() ||
        scaledWidth * scaledHeight * src->nChannels * (src->depth / 8) > MaxImageBytes) {
        throw Exception(called + "to make " + SizeText(scaledWidth, scaledHeight) +
                        " pixels, more than an image holds.");
    }
    const int type = CV_MAKETYPE(src->depth == IplDepth8 ? CV_8U : CV_16U, src->nChannels);
    // OpenCV only reads the source; its Mat header has no const form.
    const cv::Mat from(src->height, src->width, type, src->imageData,
                       static_cast<std::size_t>(src->widthStep));
    cv::Mat to(dst->height, dst->width, type, dst->imageData,
               static_cast<std::size_t>(dst->widthStep));
    try {
        if (scaledWidth == dst->width && scaledHeight == dst->height) {
            cv::resize(from, to, to.size(), 0, 0, interpolate);
            if (to.data != dst->imageData) {
                throw Exception(called + "and OpenCV did not write into the image.");
            }
        } else {
            cv::Mat scaled;
            cv::resize(from, scaled, cv::Size(), fx, fy, interpolate);
            const cv::Rect kept(0, 0, std::min(scaled.cols, to.cols),
                                std::min(scaled.rows, to.rows));
            scaled(kept).copyTo(to(kept));
        }
    } catch (const cv::Exception& error) {
        throw Exception(called + "and OpenCV failed: " + error.what());
    }
}

} // namespace

IplImage* iplCreateImageHeader(int nChannels, int alphaChannel, int depth, const char* colorModel,
                               const char* channelSeq, int dataOrder, int origin, int align,
                               int width, int height, IplROI* roi, IplImage* maskROI, void* imageId,
                               IplTileInfo* tileInfo) {
    const std::string called = "Error: iplCreateImageHeader called ";
    if (nChannels < 1 || nChannels > 4 || alphaChannel < 0 || alphaChannel > nChannels) {
        throw Exception(called + "with " + std::to_string(nChannels) + " channels.");
    }
    if (depth != IplDepth8 && depth != IplDepth16) {
        throw Exception(called + "with a depth of " + std::to_string(depth) + " bits.");
    }
    if (dataOrder != IplPixelOrder || origin != IplOriginTopLeft ||
        (align != IplAlignDword && align != IplAlignQword)) {
        throw Exception(called + "for a layout other than pixel order, top-left, aligned rows.");
    }
    if (roi != nullptr || maskROI != nullptr || imageId != nullptr || tileInfo != nullptr) {
        throw Exception(called + "with regions, masks or tiles, which are not supported.");
    }
    if (width < 0 || height < 0) {
        throw Exception(called + "with a size of " + SizeText(width, height) + ".");
    }
    const std::int64_t rowBytes = std::int64_t{width} * nChannels * (depth / 8);
    const std::int64_t widthStep = (rowBytes + align - 1) / align * align;
    if (widthStep * height > MaxImageBytes) {
        throw Exception(called + "for " + SizeText(width, height) +
                        " pixels, more than an image holds.");
    }
    auto image = std::make_unique<IplImage>();
    image->nChannels = nChannels;
    image->alphaChannel = alphaChannel;
    image->depth = depth;
    CopyName(image->colorModel, colorModel);
    CopyName(image->channelSeq, channelSeq);
    image->dataOrder = dataOrder;
    image->origin = origin;
    image->align = align;
    image->width = width;
    image->height = height;
    image->widthStep = static_cast<int>(widthStep);
    image->imageSize = static_cast<int>(widthStep * height);
    return image.release();
}

void iplAllocateImage(IplImage* image, int doFill, int fillValue) {
    if (image == nullptr) {
        return;
    }
    delete[] image->imageData;
    image->imageData = nullptr;
    if (image->imageSize <= 0) {
        return;
    }
    const auto size = static_cast<std::size_t>(image->imageSize);
    image->imageData = new (std::nothrow) std::uint8_t[size];
    if (image->imageData == nullptr || doFill == 0) {
        return;
    }
    if (image->depth == IplDepth16) {
        const auto sample = static_cast<std::uint16_t>(fillValue);
        for (std::size_t at = 0; at + 1 < size; at += 2) {
            std::memcpy(image->imageData + at, &sample, sizeof sample);
        }
    } else {
        std::memset(image->imageData, fillValue, size);
    }
}

// Regions, tiles and masks are never made here, so only the pixels and the header are freed.
void iplDeallocate(IplImage* image, int flag) {
    if (image == nullptr) {
        return;
    }
    if ((flag & IplFreeData) != 0) {
        delete[] image->imageData;
        image->imageData = nullptr;
    }
    if ((flag & IplFreeHeader) != 0) {
        delete image;
    }
}

void iplZoom(const IplImage* src, IplImage* dst, int dstWidth, int srcWidth, int dstHeight,
             int srcHeight, int interpolate) {
    Resample("iplZoom", true, src, dst, dstWidth, srcWidth, dstHeight, srcHeight, interpolate);
}

void iplDecimate(const IplImage* src, IplImage* dst, int dstWidth, int srcWidth, int dstHeight,
                 int srcHeight, int interpolate) {
    Resample("iplDecimate", false, src, dst, dstWidth, srcWidth, dstHeight, srcHeight, interpolate);
}

std::string iplLayoutFault(const IplImage& image) {
    if (image.nChannels < 1 || image.nChannels > 4) {
        return "an image of " + std::to_string(image.nChannels) + " channels";
    }
    if (image.depth != IplDepth8 && image.depth != IplDepth16) {
        return "an image of " + std::to_string(image.depth) + "-bit samples";
    }
    if (image.dataOrder != IplPixelOrder || image.origin != IplOriginTopLeft) {
        return "an image not in pixel order from the top-left";
    }
    if (image.width < 0 || image.height < 0) {
        return "an image of " + SizeText(image.width, image.height) + " pixels";
    }
    if (image.widthStep < RowBytes(image) || image.widthStep % (image.depth / 8) != 0) {
        return "rows of " + std::to_string(image.widthStep) + " bytes for " +
               std::to_string(RowBytes(image)) + " bytes of pixels";
    }
    if (std::int64_t{image.widthStep} * image.height > image.imageSize) {
        return "an image of " + std::to_string(image.imageSize) + " bytes for " +
               std::to_string(image.height) + " rows of " + std::to_string(image.widthStep);
    }
    if (image.imageData == nullptr && std::int64_t{image.width} * image.height > 0) {
        return "an image without pixels";
    }
    return "";
}
