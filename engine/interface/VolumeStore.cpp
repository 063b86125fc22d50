#include "VolumeStore.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>

namespace zvipengine {

std::int32_t VolumeStore::declare(std::int32_t width, std::int32_t height, std::int32_t slices,
                                  double spacingWidth, double spacingHeight, double spacingSlice, double slope,
                                  double offset)
{
    reset();
    // A zero or non-finite base slope would make every conversion divide by
    // it; the published sample count is a signed 32-bit number.
    const std::int64_t count = static_cast<std::int64_t>(width) * height * slices;
    if (width <= 0 || height <= 0 || slices <= 0 || !(spacingWidth >= 0.0) || !(spacingHeight >= 0.0) ||
        spacingSlice == 0.0 || !std::isfinite(spacingSlice) || !std::isfinite(spacingWidth) ||
        !std::isfinite(spacingHeight) || slope == 0.0 || !std::isfinite(slope) || count > INT32_MAX) {
        releaseMemory();
        return -1;
    }
    const std::size_t bytes = static_cast<std::size_t>(count) * 2;
    if (spare_.size() == bytes) {
        // The previous series' samples must not show through slices that
        // are never handed over: those are cleared when first read.
        block_ = std::move(spare_);
        clearPending_.store(true, std::memory_order_release);
    } else {
        clearPending_.store(false, std::memory_order_release);
        spare_.release();
        if (!block_.allocate(bytes)) {
            reset();
            return static_cast<std::int32_t>(std::min<std::size_t>(bytes + AlignedBlock::Alignment, INT32_MAX));
        }
    }
    try {
        records.resize(static_cast<std::size_t>(slices));
    } catch (const std::bad_alloc&) {
        reset();
        return static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{slices} * 48, INT32_MAX));
    }
    std::memset(static_cast<void*>(records.data()), 0xFF, records.size() * sizeof(SliceRecord));
    X = width;
    Y = height;
    Z = slices;
    spacingX = static_cast<float>(spacingWidth);
    spacingY = static_cast<float>(spacingHeight);
    spacingZ = static_cast<float>(spacingSlice);
    baseSlope = slope;
    baseOffset = offset;
    slicesLoaded = 0;
    return 0;
}

void VolumeStore::clearSlicesNotLoaded() const
{
    // Readers on two threads (the background analysis) clear only once.
    static std::mutex clearing;
    const std::lock_guard<std::mutex> lock(clearing);
    if (!clearPending_.load(std::memory_order_relaxed))
        return;
    const std::size_t sliceBytes = static_cast<std::size_t>(sliceSize()) * 2;
    for (std::size_t index = 0; index < records.size(); ++index)
        if (records[index].loadOrder < 0)
            std::memset(loadingSlice(static_cast<std::int32_t>(index)), 0, sliceBytes);
    clearPending_.store(false, std::memory_order_release);
}

void VolumeStore::reset()
{
    if (!block_.empty())
        spare_ = std::move(block_);
    records = {};
    X = Y = Z = 0;
    spacingX = spacingY = spacingZ = 0.0f;
    slicesLoaded = 0;
    reverseOrder = false;
    for (int a = 0; a < 3; ++a)
        rowCosines[a] = columnCosines[a] = normal[a] = origin[a] = 0.0f;
    orientationType = 0;
}

void VolumeStore::releaseMemory()
{
    reset();
    spare_.release();
}

bool VolumeStore::shrink(std::int32_t slices)
{
    if (!exists() || slices < 1 || slices >= capacity())
        return false;
    samples(); // settles the places never handed over
    AlignedBlock smaller;
    const std::size_t bytes = static_cast<std::size_t>(sliceSize()) * slices * 2;
    // When the smaller block cannot be had the larger one simply stays.
    if (smaller.allocate(bytes)) {
        std::memcpy(smaller.data(), block_.data(), bytes);
        block_ = std::move(smaller);
    }
    records.resize(static_cast<std::size_t>(slices));
    Z = std::min(Z, slices);
    slicesLoaded = std::min(slicesLoaded, slices);
    return true;
}

VolumeView VolumeStore::view() const
{
    VolumeView v;
    if (!exists())
        return v;
    v.samples = samples();
    v.X = X;
    v.Y = Y;
    v.Z = Z;
    v.spacingX = spacingX;
    v.spacingY = spacingY;
    v.spacingZ = spacingZ;
    return v;
}

} // namespace zvipengine
