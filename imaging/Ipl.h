#pragma once

#include <cstdint>
#include <memory>
#include <string>

// A small image library in C style: image headers over pixel buffers, and resampling between
// them through OpenCV. Headers and buffers come from the functions here and go back to
// iplDeallocate; IplImagePtr does that on its own. Bad arguments raise Exception.

struct IplROI;      // regions of interest are not used here: always null
struct IplTileInfo; // nor are tiles

struct IplImage {
    int nChannels = 0;       // 1 or 3
    int alphaChannel = 0;    // 0: none
    int depth = 0;           // bits of an unsigned sample: 8, or 16 (read, never made here)
    char colorModel[4] = {}; // "GRAY" or "RGB", not terminated when four letters long
    char channelSeq[4] = {}; // "GRAY" or "BGR"
    int dataOrder = 0;       // 0: the samples of a pixel side by side
    int origin = 0;          // 0: top-left
    int align = 0;           // bytes each row is padded to a multiple of
    int width = 0;
    int height = 0;
    IplROI* roi = nullptr;
    IplImage* maskROI = nullptr;
    void* imageId = nullptr;
    IplTileInfo* tileInfo = nullptr;
    int imageSize = 0; // bytes at imageData
    std::uint8_t* imageData = nullptr;
    int widthStep = 0; // bytes from one row to the next, top row first
};

constexpr int IplDepth8 = 8;
constexpr int IplDepth16 = 16;
constexpr int IplAlignDword = 4;
constexpr int IplAlignQword = 8;
constexpr int IplPixelOrder = 0;
constexpr int IplOriginTopLeft = 0;

// Interpolation methods, the same codes as OpenCV's.
constexpr int IplInterNearest = 0;
constexpr int IplInterLinear = 1;
constexpr int IplInterCubic = 2;
constexpr int IplInterSuperSample = 3;

// What iplDeallocate frees, added together.
constexpr int IplFreeHeader = 1;
constexpr int IplFreeData = 2;
constexpr int IplFreeRoi = 4;
constexpr int IplFreeTiles = 8;
constexpr int IplFreeMask = 16;
constexpr int IplFreeAll = 31;

// A header for the layout asked for, with no pixels yet. Its widthStep and imageSize follow from
// the sizes; a layout past 2 GiB or of a kind not supported here raises Exception.
IplImage* iplCreateImageHeader(int nChannels, int alphaChannel, int depth, const char* colorModel,
                               const char* channelSeq, int dataOrder, int origin, int align,
                               int width, int height, IplROI* roi, IplImage* maskROI, void* imageId,
                               IplTileInfo* tileInfo);
// Gives the image imageSize bytes of pixels, filled with fillValue when doFill is not 0. When
// memory runs out imageData stays null.
void iplAllocateImage(IplImage* image, int doFill, int fillValue);
void iplDeallocate(IplImage* image, int flag);

// Resample src into dst by dstWidth/srcWidth across and dstHeight/srcHeight down, zoom to
// enlarge and decimate to reduce, with one of the interpolation methods above. The images must
// have the same channels and depth; the part of the result that fits dst is kept.
void iplZoom(const IplImage* src, IplImage* dst, int dstWidth, int srcWidth, int dstHeight,
             int srcHeight, int interpolate);
void iplDecimate(const IplImage* src, IplImage* dst, int dstWidth, int srcWidth, int dstHeight,
                 int srcHeight, int interpolate);

// What is wrong with an image's layout for the functions here (sizes against widthStep against
// imageSize, missing pixels), or empty when nothing is.
std::string iplLayoutFault(const IplImage& image);

struct IplImageDeleter {
    void operator()(IplImage* image) const noexcept { iplDeallocate(image, IplFreeAll); }
};
using IplImagePtr = std::unique_ptr<IplImage, IplImageDeleter>;
