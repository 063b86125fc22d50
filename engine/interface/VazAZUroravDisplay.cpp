// VazAZUrorav: display images (window and threshold bitmaps, colour mapping)
// and the 2-D operations on images the host holds.
#include "ZVIPEngine/VazAZUrorav.h"

#include "EngineState.h"

#include "../imaging/ColorMapping.h"
#include "../imaging/DoubleSize.h"
#include "../imaging/HalfSize.h"
#include "../imaging/ImageKind.h"
#include "../imaging/MedianFilter.h"
#include "../imaging/Mirror.h"
#include "../imaging/OutOfRangeMarking.h"
#include "../imaging/QuarterTurn.h"
#include "../imaging/RectangleCopy.h"
#include "../imaging/SmoothingFilter.h"
#include "../imaging/ThresholdBitmap.h"
#include "../imaging/TwoThreadSplit.h"
#include "../imaging/WindowedBitmap.h"

#include <cstring>
#include <new>
#include <vector>

using zvipengine::EngineState;
using zvipengine::ImageKind;

namespace {

bool validSize(std::int32_t width, std::int32_t height)
{
    return width > 0 && height > 0;
}

// A source that lies in the block of the slot about to be reallocated would
// be freed under the caller's feet: such a source is copied aside first.
const std::int16_t* sourceOutsideSlot(const EngineState& s, std::int32_t bufferId, const std::int16_t* image,
                                      std::int64_t samples, std::vector<std::int16_t>& copy)
{
    if (!zvipengine::BufferTable::validId(bufferId))
        return image;
    const auto* first = reinterpret_cast<const std::uint8_t*>(image);
    const std::uint8_t* block = s.buffers.address(bufferId);
    if (block == nullptr || first < block || first >= block + s.buffers.length(bufferId))
        return image;
    copy.assign(image, image + samples);
    return copy.data();
}

// Slot allocation of the Create methods: the address (or 0) goes to the
// caller's pointer.
template <typename Element>
bool allocateOutput(EngineState& s, Element** ph, std::int32_t bufferId, std::int64_t bytes, Element*& output)
{
    std::uint8_t* address = nullptr;
    const bool done = s.allocateBuffer(bufferId, bytes, address);
    output = reinterpret_cast<Element*>(address);
    *ph = output;
    return done;
}

bool refuse(EngineState& s, std::int32_t error)
{
    s.errorNumber = error;
    return false;
}

template <typename Pointer>
bool refuseCreate(EngineState& s, Pointer** ph)
{
    if (ph != nullptr)
        *ph = nullptr;
    return refuse(s, -1);
}

bool validTable(std::int32_t count, const std::int16_t* values, const std::int32_t* colours)
{
    return count >= 1 && values != nullptr && colours != nullptr;
}

} // namespace

// ---------------------------------------------------------------- bitmaps

bool VazAZUrorav::CreateDIBImage(std::uint8_t** phDIB, std::int32_t BufferID, const std::int16_t* hImage,
                                 std::int32_t Width, std::int32_t Height, std::int32_t WindowLevel,
                                 std::int32_t WindowWidth)
{
    EngineState& s = *state_;
    if (phDIB == nullptr || hImage == nullptr || !validSize(Width, Height))
        return refuseCreate(s, phDIB);
    using zvipengine::WindowedBitmap;
    std::vector<std::int16_t> copy;
    const std::int16_t* image;
    try {
        image = sourceOutsideSlot(s, BufferID, hImage, std::int64_t{Width} * Height, copy);
    } catch (const std::bad_alloc&) {
        *phDIB = nullptr;
        return refuse(s, -2);
    }
    std::uint8_t* bitmap = nullptr;
    if (!allocateOutput(s, phDIB, BufferID, WindowedBitmap::bufferBytes(Width, Height), bitmap))
        return false;
    WindowedBitmap::render(image, Width, Height, WindowLevel, WindowWidth, bitmap, s.processorCount);
    return true;
}

bool VazAZUrorav::CreateDIBbitImage(std::uint8_t** phDIB, std::int32_t BufferID, const std::int16_t* hImage,
                                    std::int32_t Width, std::int32_t Height, std::int16_t ThresholdValue,
                                    std::int32_t Color1, std::int32_t Color2)
{
    EngineState& s = *state_;
    if (phDIB == nullptr || hImage == nullptr || !validSize(Width, Height))
        return refuseCreate(s, phDIB);
    using zvipengine::ThresholdBitmap;
    std::vector<std::int16_t> copy;
    const std::int16_t* image;
    try {
        image = sourceOutsideSlot(s, BufferID, hImage, std::int64_t{Width} * Height, copy);
    } catch (const std::bad_alloc&) {
        *phDIB = nullptr;
        return refuse(s, -2);
    }
    std::uint8_t* bitmap = nullptr;
    if (!allocateOutput(s, phDIB, BufferID, ThresholdBitmap::bufferBytes(Width, Height), bitmap))
        return false;
    ThresholdBitmap::render(image, Width, Height, static_cast<std::uint16_t>(ThresholdValue), Color1, Color2, bitmap);
    return true;
}

// ---------------------------------------------------------------- colour

bool VazAZUrorav::CreateImageRGB(std::uint8_t** phRGBImage, std::int32_t BufferID, const std::int16_t* hImage,
                                 std::int32_t Width, std::int32_t Height, std::int32_t NumPoints,
                                 const std::int16_t* sValues, const std::int32_t* laRGBs)
{
    EngineState& s = *state_;
    if (phRGBImage == nullptr || hImage == nullptr || !validSize(Width, Height) ||
        !validTable(NumPoints, sValues, laRGBs))
        return refuseCreate(s, phRGBImage);
    const std::int64_t samples = std::int64_t{Width} * Height;
    std::vector<std::int16_t> source;
    try {
        source.assign(hImage, hImage + samples);
    } catch (const std::bad_alloc&) {
        *phRGBImage = nullptr;
        return refuse(s, -2);
    }
    std::uint8_t* planes = nullptr;
    if (!allocateOutput(s, phRGBImage, BufferID, 3 * samples, planes))
        return false;
    zvipengine::ColorMapping::render(source.data(), samples, {sValues, laRGBs, NumPoints}, planes,
                                     s.processorCount);
    return true;
}

bool VazAZUrorav::GetImageRGB(std::uint8_t* hRGBImage, const std::int16_t* hImage, std::int32_t Width,
                              std::int32_t Height, std::int32_t NumOfPoints, const std::int16_t* sValues,
                              const std::int32_t* laRGBs)
{
    EngineState& s = *state_;
    if (hRGBImage == nullptr || hImage == nullptr || !validSize(Width, Height) ||
        !validTable(NumOfPoints, sValues, laRGBs))
        return refuse(s, -1);
    const std::int64_t samples = std::int64_t{Width} * Height;
    // The output may overlap the source.
    std::vector<std::int16_t> source;
    try {
        source.assign(hImage, hImage + samples);
    } catch (const std::bad_alloc&) {
        return refuse(s, -2);
    }
    zvipengine::ColorMapping::render(source.data(), samples, {sValues, laRGBs, NumOfPoints}, hRGBImage,
                                     s.processorCount);
    return true;
}

// ---------------------------------------------------------------- size

bool VazAZUrorav::GetImageHalfSize(void* hImage, std::int32_t OrgWidth, std::int32_t OrgHeight,
                                   std::int32_t ColorMode)
{
    EngineState& s = *state_;
    const ImageKind kind = zvipengine::imageKindOf(ColorMode);
    if (kind == ImageKind::Other)
        return false;
    if (hImage == nullptr || !validSize(OrgWidth, OrgHeight))
        return refuse(s, -1);
    const bool done = kind == ImageKind::Grey
                          ? zvipengine::HalfSize::shrinkGrey(static_cast<std::int16_t*>(hImage), OrgWidth, OrgHeight)
                          : zvipengine::HalfSize::shrinkColour(static_cast<std::uint8_t*>(hImage), OrgWidth,
                                                               OrgHeight);
    return done || refuse(s, -2);
}

bool VazAZUrorav::GetImageDoubleSize(void* hImageDst, std::int32_t WidthSrc, std::int32_t HeightSrc,
                                     const void* hImageSrc, std::int32_t ColorMode)
{
    EngineState& s = *state_;
    const ImageKind kind = zvipengine::imageKindOf(ColorMode);
    if (kind == ImageKind::Other)
        return true;
    if (hImageDst == nullptr || hImageSrc == nullptr || !validSize(WidthSrc, HeightSrc))
        return refuse(s, -1);
    const bool done =
        kind == ImageKind::Grey
            ? zvipengine::DoubleSize::enlargeGrey(static_cast<const std::uint16_t*>(hImageSrc), WidthSrc, HeightSrc,
                                                  static_cast<std::uint16_t*>(hImageDst))
            : zvipengine::DoubleSize::enlargeColour(static_cast<const std::uint8_t*>(hImageSrc), WidthSrc,
                                                    HeightSrc, static_cast<std::uint8_t*>(hImageDst));
    return done || refuse(s, -2);
}

// ---------------------------------------------------------------- filters

// The filters report nothing: a refused size or short memory leaves the
// image as it was and still answers true. Only a missing image is refused.
bool VazAZUrorav::GetImageSmoothing(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                    std::int32_t FilterSize)
{
    if (hImage == nullptr || !validSize(Width, Height))
        return refuse(*state_, -1);
    zvipengine::SmoothingFilter::apply(hImage, Width, Height, FilterSize, state_->processorCount);
    return true;
}

bool VazAZUrorav::GetImageMedian(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                 std::int32_t FilterSize)
{
    if (hImage == nullptr || !validSize(Width, Height))
        return refuse(*state_, -1);
    zvipengine::MedianFilter::apply(hImage, Width, Height, FilterSize, state_->processorCount);
    return true;
}

bool VazAZUrorav::SourceSmoothing(std::int32_t Mode, std::int32_t FilterSize)
{
    EngineState& s = *state_;
    if (!s.volume.exists() || s.volume.Z < 1)
        return refuse(s, -1);
    const zvipengine::VolumeStore& v = s.volume;
    // Slices go to the two threads; each filters its slices on one thread
    // and holds one padded slice at a time.
    const auto filterSlice = [&](std::int64_t z) {
        std::int16_t* slice = v.slice(static_cast<std::int32_t>(z));
        if (Mode == 1)
            return zvipengine::MedianFilter::apply(slice, v.X, v.Y, FilterSize, 1) ==
                   zvipengine::MedianFilter::Outcome::Done;
        return zvipengine::SmoothingFilter::apply(slice, v.X, v.Y, FilterSize, 1) ==
               zvipengine::SmoothingFilter::Outcome::Done;
    };
    zvipengine::TwoThreadSplit::run(v.Z, s.processorCount, 2, [&](std::int64_t begin, std::int64_t end) {
        for (std::int64_t z = begin; z < end; ++z)
            if (!filterSlice(z))
                return false;
        return true;
    });
    s.volumeChanged();
    return true;
}

// ---------------------------------------------------------------- geometry

bool VazAZUrorav::GetImageMirrorLR(void* hImage, std::int32_t Width, std::int32_t Height, std::int32_t ColorMode)
{
    const ImageKind kind = zvipengine::imageKindOf(ColorMode);
    if (kind == ImageKind::Other)
        return true;
    if (hImage == nullptr || !validSize(Width, Height))
        return refuse(*state_, -1);
    if (kind == ImageKind::Grey)
        zvipengine::Mirror::leftRight(static_cast<std::int16_t*>(hImage), Width, Height, 1);
    else
        zvipengine::Mirror::leftRight(static_cast<std::uint8_t*>(hImage), Width, Height, 3);
    return true;
}

bool VazAZUrorav::GetImageRotateRect(void* hImage, std::int32_t Width, std::int32_t Height, std::int32_t angle,
                                     std::int32_t* outWidth, std::int32_t* outHeight, std::int32_t ColorMode)
{
    const ImageKind kind = zvipengine::imageKindOf(ColorMode);
    if (kind == ImageKind::Other)
        return true;
    if (hImage == nullptr || !validSize(Width, Height))
        return refuse(*state_, -1);
    const std::int32_t turns = zvipengine::QuarterTurn::turnsOf(angle);
    const bool done = kind == ImageKind::Grey
                          ? zvipengine::QuarterTurn::turn(static_cast<std::int16_t*>(hImage), Width, Height, 1, turns)
                          : zvipengine::QuarterTurn::turn(static_cast<std::uint8_t*>(hImage), Width, Height, 3, turns);
    if (!done)
        return refuse(*state_, -2);
    const bool across = turns == 1 || turns == 3;
    if (outWidth != nullptr)
        *outWidth = across ? Height : Width;
    if (outHeight != nullptr)
        *outHeight = across ? Width : Height;
    return true;
}

bool VazAZUrorav::GetROIImage(void* hROIImage, std::int32_t Width, std::int32_t Height, const void* hImageSrc,
                              std::int32_t WidthSrc, std::int32_t HeightSrc, std::int32_t Px, std::int32_t Py,
                              std::int32_t ColorMode)
{
    using zvipengine::RectangleCopy;
    const ImageKind kind = zvipengine::imageKindOf(ColorMode);
    if (kind == ImageKind::Other)
        return true;
    const RectangleCopy::Image d{Width, Height};
    const RectangleCopy::Image src{WidthSrc, HeightSrc};
    if (!RectangleCopy::cutValid(d, src, Px, Py))
        return false;
    if (hROIImage == nullptr || hImageSrc == nullptr)
        return refuse(*state_, -1);
    if (kind == ImageKind::Grey)
        RectangleCopy::cut(static_cast<std::int16_t*>(hROIImage), d, static_cast<const std::int16_t*>(hImageSrc), src,
                           Px, Py, 1);
    else
        RectangleCopy::cut(static_cast<std::uint8_t*>(hROIImage), d, static_cast<const std::uint8_t*>(hImageSrc), src,
                           Px, Py, 3);
    return true;
}

bool VazAZUrorav::PastImage(void* hImage, std::int32_t Width, std::int32_t Height, const void* hImageSrc,
                            std::int32_t WidthSrc, std::int32_t HeightSrc, std::int32_t Px, std::int32_t Py,
                            std::int32_t ColorMode)
{
    using zvipengine::RectangleCopy;
    const ImageKind kind = zvipengine::imageKindOf(ColorMode);
    if (kind == ImageKind::Other)
        return true;
    const RectangleCopy::Image d{Width, Height};
    const RectangleCopy::Image src{WidthSrc, HeightSrc};
    if (!RectangleCopy::pasteValid(d, src, Px, Py))
        return false;
    if (hImage == nullptr || hImageSrc == nullptr)
        return refuse(*state_, -1);
    if (kind == ImageKind::Grey)
        RectangleCopy::paste(static_cast<std::int16_t*>(hImage), d, static_cast<const std::int16_t*>(hImageSrc), src,
                             Px, Py, 1);
    else
        RectangleCopy::paste(static_cast<std::uint8_t*>(hImage), d, static_cast<const std::uint8_t*>(hImageSrc), src,
                             Px, Py, 3);
    return true;
}

bool VazAZUrorav::GetImageThresholdBitMask(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                           std::int16_t MinThreshold, std::int16_t MaxThreshold)
{
    if (hImage == nullptr || !validSize(Width, Height))
        return refuse(*state_, -1);
    zvipengine::OutOfRangeMarking::apply(hImage, std::int64_t{Width} * Height, MinThreshold, MaxThreshold);
    return true;
}
