#include "EngineState.h"

namespace zvipengine {

void EngineState::reset()
{
    // A background run may still be reading the volume.
    analysis.waitForAll();
    const double slope = volume.baseSlope;
    const double offset = volume.baseOffset;
    volume.reset();
    volume.baseSlope = slope;
    volume.baseOffset = offset;
    bricks.clear();
    buffers.releaseAll();
    isoSurface.clear();
    maskLevelCount = 0;
    for (std::int32_t& v : maskBoundingBox)
        v = 0;
    imageBackColor = 0;
    extracted = false;
    debugWritten = false;
    zBuffer = nullptr;
    zBufferBytes = 0;
    useBitMask = true;
}

bool EngineState::allocateBuffer(std::int32_t id, std::int64_t bytes, std::uint8_t*& address)
{
    switch (buffers.allocate(id, bytes, address)) {
    case BufferTable::Result::Done:
        return true;
    case BufferTable::Result::InvalidArgument:
        errorNumber = -1;
        return false;
    case BufferTable::Result::NoMemory:
        errorNumber = -2;
        return false;
    }
    return false;
}

} // namespace zvipengine
