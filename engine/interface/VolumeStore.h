#pragma once

#include "AlignedBlock.h"
#include "SliceRecord.h"
#include "VolumeView.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace zvipengine {

// The CT volume in memory: samples, geometry, base scale and the slice
// records. `capacity` is the number of slices the memory holds; Z is the
// number in use (a reorder may drop slices behind Z).
class VolumeStore {
public:
    // 0 on success, -1 for invalid arguments, else the byte count of the
    // allocation that failed (the store is then reset).
    std::int32_t declare(std::int32_t width, std::int32_t height, std::int32_t slices, double spacingWidth,
                         double spacingHeight, double spacingSlice, double slope, double offset);
    void reset();
    // Gives back the memory kept for the next declaration as well.
    void releaseMemory();
    // Keeps the first `slices` slices (1 .. capacity - 1) and gives the rest
    // of the memory back when a smaller block can be had.
    bool shrink(std::int32_t slices);

    bool exists() const { return !block_.empty(); }
    // The samples for reading: slices of a reused block that were never
    // handed over are cleared first (see declare).
    std::int16_t* samples() const
    {
        if (clearPending_.load(std::memory_order_acquire))
            clearSlicesNotLoaded();
        return loadingSamples();
    }
    std::int16_t* slice(std::int32_t index) const
    {
        return samples() + static_cast<std::ptrdiff_t>(X) * Y * index;
    }
    // Places were lent to a host that may fill some it never hands over:
    // those are cleared before the samples are first read, as after a reuse.
    void placesLent() const { clearPending_.store(true, std::memory_order_release); }
    // A slice's place for the hand-over, which overwrites all of it: no clearing.
    std::int16_t* loadingSlice(std::int32_t index) const
    {
        return loadingSamples() + static_cast<std::ptrdiff_t>(X) * Y * index;
    }
    std::ptrdiff_t sliceSize() const { return static_cast<std::ptrdiff_t>(X) * Y; }
    std::ptrdiff_t sampleCount() const { return sliceSize() * Z; }
    std::int32_t capacity() const { return static_cast<std::int32_t>(records.size()); }
    VolumeView view() const;

    std::int32_t X = 0, Y = 0, Z = 0;
    float spacingX = 0.0f, spacingY = 0.0f, spacingZ = 0.0f;
    double baseSlope = 1.0;
    double baseOffset = 0.0;
    std::int32_t slicesLoaded = 0;
    bool reverseOrder = false;
    float rowCosines[3] = {0, 0, 0};
    float columnCosines[3] = {0, 0, 0};
    float normal[3] = {0, 0, 0};
    float origin[3] = {0, 0, 0};
    std::int32_t orientationType = 0;
    std::vector<SliceRecord> records;

private:
    std::int16_t* loadingSamples() const { return reinterpret_cast<std::int16_t*>(block_.data()); }
    void clearSlicesNotLoaded() const;

    AlignedBlock block_;
    // A reused block is not cleared when declared (every slice handed over
    // overwrites its place); the places no slice reached are cleared before
    // the samples are first read.
    mutable std::atomic<bool> clearPending_{false};
    // The memory of the previous volume: a following declaration of the
    // same size takes it back instead of asking the system for fresh pages,
    // whose first touch costs more than the whole slice conversion.
    AlignedBlock spare_;
};

} // namespace zvipengine
