#pragma once

#include "BackgroundAnalysis.h"
#include "BufferTable.h"
#include "../analysis/ChestAnalyzer.h"
#include "VolumeStore.h"

#include "../imaging/BrickVolume.h"
#include "../rendering/IsoSurfaceMesh.h"

#include <cstdint>
#include <functional>
#include <string>

namespace zvipengine {

// Everything one VazAZUrorav instance holds. The instance is used from one
// host thread; the background analysis may read it while the host waits for
// ThreadFinished.
class EngineState {
public:
    VolumeStore volume;
    BufferTable buffers;
    BrickVolume bricks;
    BackgroundAnalysis analysis;
    // The last iso-surface; its arrays go with the volume.
    IsoSurfaceMesh isoSurface;

    bool isSigned = true;
    bool useBitMask = true;
    std::int32_t imageBackColor = 0;
    std::int32_t errorNumber = 0;

    // Bit masks (their operations come with the mask module).
    std::int32_t maskLevelCount = 0;
    std::int32_t maskBoundingBox[6] = {0, 0, 0, 0, 0, 0};

    // Lung analysis state.
    bool extracted = false;
    bool debugWritten = false;
    std::int32_t savedMaskLevelCount = 0;
    std::string seriesName;
    ChestAnalyzer analyzer;

    // Z-buffer target of the next rendering.
    void* zBuffer = nullptr;
    std::int32_t zBufferBytes = 0;

    std::int32_t processorCount = 1;
    std::function<void()> threadFinished;
    std::function<void()> aboutBox;

    // Frees the volume, its records, the brick copy and every buffer; keeps
    // ErrorNumber, IsSigned and the base scale.
    void reset();
    // Any change of the samples makes the brick copy stale; it is dropped
    // (the projections then read the volume, with identical results).
    void volumeChanged() { bricks.clear(); }
    // Slot allocation that records a failure in ErrorNumber (-1 invalid slot
    // or length, -2 no memory).
    bool allocateBuffer(std::int32_t id, std::int64_t bytes, std::uint8_t*& address);
};

} // namespace zvipengine
