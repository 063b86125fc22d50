#include "ZVImgViewer/ImageSamples.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// Nothing larger than a 32-bit process could have held is allocated: such a
// request is a wrong size, not an image.
constexpr std::uint64_t largestBlock = 0x7FFFFFFF;

std::int16_t sampleAt(const std::uint8_t* samples, std::size_t index)
{
    std::int16_t value;
    std::memcpy(&value, samples + index * 2, sizeof value);
    return value;
}

} // namespace

bool ImageSamples::setImageData(const void* data, std::int32_t ndim, const std::int32_t* dims, std::int32_t copyMode,
                                bool colour)
{
    const std::int32_t count = std::clamp(ndim, 0, 3);
    if (count > 0 && dims == nullptr)
        return false;
    std::int32_t extent[3] = {1, 1, 1};
    for (std::int32_t i = 0; i < count; ++i)
        extent[i] = dims[i];
    if (extent[0] <= 0 || extent[1] <= 0 || extent[2] <= 0)
        return false;

    if (copyMode != 0) {
        const std::uint64_t plane = std::uint64_t(extent[0]) * std::uint64_t(extent[1]);
        std::uint64_t length = plane * 2 * std::uint64_t(extent[2]);
        if (colour)
            length = std::max(length, plane * 3);
        if (data == nullptr || length > largestBlock)
            return false;
        // The new copy is made before the old one is freed: the host may hand
        // back the address of the copy it is shown.
        std::unique_ptr<std::uint8_t[]> copy(new (std::nothrow) std::uint8_t[length]);
        if (!copy)
            return false;
        std::memcpy(copy.get(), data, length);
        ownCopy_ = std::move(copy);
        ownCopyLength_ = length;
        address_ = ownCopy_.get();
    } else {
        address_ = static_cast<const std::uint8_t*>(data);
    }
    width_ = extent[0];
    height_ = extent[1];
    depth_ = extent[2];
    return true;
}

std::size_t ImageSamples::knownLength() const
{
    if (address_ == nullptr)
        return 0;
    if (ownCopy_ && address_ == ownCopy_.get())
        return ownCopyLength_;
    if (hostBuffer_ && address_ == reinterpret_cast<const std::uint8_t*>(hostBuffer_.get()))
        return hostBufferLength_;
    return unknownLength;
}

std::int16_t* ImageSamples::getBuffer(std::int32_t width, std::int32_t height)
{
    // The block about to be freed may be what is shown; then nothing is shown
    // rather than freed memory.
    if (hostBuffer_ && address_ == reinterpret_cast<const std::uint8_t*>(hostBuffer_.get()))
        address_ = nullptr;
    hostBuffer_.reset();
    hostBufferLength_ = 0;
    if (width <= 0 || height <= 0)
        return nullptr;
    const std::uint64_t count = std::uint64_t(width) * std::uint64_t(height);
    if (count * 2 > largestBlock)
        return nullptr;
    hostBuffer_.reset(new (std::nothrow) std::int16_t[count]());
    if (!hostBuffer_)
        return nullptr;
    hostBufferLength_ = count * 2;
    return hostBuffer_.get();
}

std::int16_t ImageSamples::shortValue(float x, float y) const
{
    if (address_ == nullptr || !std::isfinite(x) || !std::isfinite(y))
        return -1;
    // Range checks in floating point first: converting a huge value to an
    // integer is undefined.
    if (x <= -1.0f || y <= -1.0f || x >= static_cast<float>(width_) || y >= static_cast<float>(height_))
        return -1;
    const auto ix = static_cast<std::int32_t>(x);
    const auto iy = static_cast<std::int32_t>(y);
    if (ix < 0 || ix > width_ - 2 || iy < 0 || iy > height_ - 2)
        return -1;
    const float fx = x - static_cast<float>(ix);
    const float fy = y - static_cast<float>(iy);
    const auto rowLength = static_cast<std::size_t>(width_);
    const bool nearX = fx < 0.01f || fx > 0.99f;
    const bool nearY = fy < 0.01f || fy > 0.99f;
    if (nearX && nearY) {
        const auto nx = static_cast<std::size_t>(static_cast<std::int32_t>(x + 0.5f));
        const auto ny = static_cast<std::size_t>(static_cast<std::int32_t>(y + 0.5f));
        return sampleAt(address_, ny * rowLength + nx);
    }
    const std::size_t base = static_cast<std::size_t>(iy) * rowLength + static_cast<std::size_t>(ix);
    const float w00 = (1.0f - fx) * (1.0f - fy);
    const float w10 = fx * (1.0f - fy);
    const float w01 = (1.0f - fx) * fy;
    const float w11 = 1.0f - w00 - w10 - w01;
    float sum = 0.0f;
    if (w00 != 0.0f)
        sum += w00 * sampleAt(address_, base);
    if (w10 != 0.0f)
        sum += w10 * sampleAt(address_, base + 1);
    if (w01 != 0.0f)
        sum += w01 * sampleAt(address_, base + rowLength);
    if (w11 != 0.0f)
        sum += w11 * sampleAt(address_, base + rowLength + 1);
    return static_cast<std::int16_t>(std::clamp(std::trunc(sum), -32768.0f, 32767.0f));
}
