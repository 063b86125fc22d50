#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

// The samples a viewer shows: either memory the host owns (shown without
// copying) or the viewer's own copy, with the image's width, height and depth.
// Also the block handed to the host by GetBuffer.
class ImageSamples
{
public:
    static constexpr std::size_t unknownLength = std::numeric_limits<std::size_t>::max();

    // Takes up to three dimensions (missing ones are 1; more than three are
    // ignored). With copyMode non-zero the bytes are copied (2 x W x H x D; at
    // least 3 x W x H when colour is true). Returns false, leaving everything
    // as it was, for null or non-positive dimensions, a null copy source, a
    // size that does not fit in memory or a failed allocation.
    bool setImageData(const void* data, std::int32_t ndim, const std::int32_t* dims, std::int32_t copyMode, bool colour);

    // The host's memory becomes the samples shown (not copied).
    void setAddress(const void* address) { address_ = static_cast<const std::uint8_t*>(address); }
    const void* address() const { return address_; }

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    std::int32_t depth() const { return depth_; }
    void setWidth(std::int32_t width) { width_ = width; }
    void setHeight(std::int32_t height) { height_ = height; }

    // How many bytes are known to be readable at address(): the size of the
    // own copy or of the GetBuffer block when one of them is shown,
    // unknownLength for host memory (the host answers for it).
    std::size_t knownLength() const;

    // Frees the previous block (the samples shown are dropped when they were
    // in it) and allocates width x height 16-bit samples; nullptr for
    // non-positive or too large sizes or a failed allocation.
    std::int16_t* getBuffer(std::int32_t width, std::int32_t height);

    // The sample at an image position: -1 without samples or outside
    // 0..W-2 / 0..H-2; the nearest sample when both fractions are below 0.01
    // or above 0.99; otherwise the bilinear mix, truncated toward zero.
    std::int16_t shortValue(float x, float y) const;

    const std::uint8_t* ownCopy() const { return ownCopy_.get(); }

private:
    const std::uint8_t* address_ = nullptr;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t depth_ = 1;
    std::unique_ptr<std::uint8_t[]> ownCopy_;
    std::size_t ownCopyLength_ = 0;
    std::unique_ptr<std::int16_t[]> hostBuffer_;
    std::size_t hostBufferLength_ = 0;
};
