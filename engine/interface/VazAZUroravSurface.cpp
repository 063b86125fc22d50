// VazAZUrorav: iso-surface of the volume and buffer files.
#include "ZVIPEngine/VazAZUrorav.h"

#include "EngineState.h"

#include "../rendering/BufferFile.h"
#include "../rendering/IsoSurface.h"

#include <algorithm>
#include <climits>

using zvipengine::BufferFile;
using zvipengine::BufferFileHeader;
using zvipengine::EngineState;

bool VazAZUrorav::CreatePolygonIsoSurface(std::int16_t threshold, float pixel_spacing,
                                          const IsoSurfacePolygon** phPolygon)
{
    EngineState& s = *state_;
    using zvipengine::IsoSurface;
    if (phPolygon == nullptr || !s.volume.exists() || s.volume.Z < 1) {
        s.errorNumber = -1;
        return false;
    }
    const zvipengine::VolumeView volume = s.volume.view();
    const std::int32_t factors[3] = {IsoSurface::reductionFactor(pixel_spacing, volume.spacingX),
                                     IsoSurface::reductionFactor(pixel_spacing, volume.spacingY),
                                     IsoSurface::reductionFactor(pixel_spacing, volume.spacingZ)};
    s.isoSurface.clear();
    zvipengine::ByteGrid grid;
    // Short memory is reported, not fatal: the result is then empty.
    if (!IsoSurface::reduce(volume, threshold, factors, s.processorCount, grid) ||
        !IsoSurface::extract(grid, s.isoSurface, s.processorCount)) {
        s.isoSurface.clear();
        *phPolygon = s.isoSurface.publish();
        s.errorNumber = -2;
        return false;
    }
    *phPolygon = s.isoSurface.publish();
    return true;
}

namespace {

// The header of a save: the first min(Ndim, 3) dimensions, each at least 1,
// missing ones 1; false when the data length is not a positive 32-bit count.
bool headerFor(std::int32_t elementSize, std::int32_t ndim, const std::int32_t* dims, std::int32_t colorMode,
               BufferFileHeader& header)
{
    if (elementSize <= 0 || (ndim > 0 && dims == nullptr))
        return false;
    header.elementSize = elementSize;
    header.colorMode = colorMode;
    header.offsetFlag = 0;
    std::int64_t length = elementSize;
    for (std::int32_t k = 0; k < 3; ++k) {
        header.dims[k] = k < ndim ? std::max(1, dims[k]) : 1;
        length *= header.dims[k];
        if (length > INT32_MAX)
            return false;
    }
    header.dataLength = static_cast<std::int32_t>(length);
    return true;
}

bool saveSlot(const EngineState& s, const std::string& fileName, std::int32_t bufferId, std::int32_t elementSize,
              std::int32_t ndim, const std::int32_t* dims, std::int32_t colorMode)
{
    BufferFileHeader header;
    if (!zvipengine::BufferTable::validId(bufferId) || !headerFor(elementSize, ndim, dims, colorMode, header))
        return false;
    if (s.buffers.address(bufferId) == nullptr || s.buffers.length(bufferId) < header.dataLength)
        return false;
    return BufferFile::save(fileName, header, s.buffers.address(bufferId));
}

// A file that fails its checks leaves the slot as it was; once the slot has
// been reallocated, a failure releases it.
bool loadSlot(EngineState& s, const std::string& fileName, std::uint8_t** phImage, std::int32_t bufferId,
              std::int32_t ndim, std::int32_t* dims, BufferFileHeader& header)
{
    if (phImage == nullptr)
        return false;
    *phImage = nullptr;
    if (ndim > 0 && dims == nullptr)
        return false;
    BufferFile::Reader reader;
    if (!reader.open(fileName))
        return false;
    header = reader.header();
    std::uint8_t* address = nullptr;
    if (!s.allocateBuffer(bufferId, header.dataLength, address))
        return false;
    if (!reader.readData(address)) {
        s.buffers.release(bufferId);
        return false;
    }
    if (header.offsetFlag != 0 && header.elementSize == 2) {
        const std::int64_t count = header.dataLength / 2;
        std::uint8_t* p = address;
        for (std::int64_t i = 0; i < count; ++i, p += 2) {
            const auto v = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
            const auto shifted = static_cast<std::uint16_t>(v + 1024);
            p[0] = static_cast<std::uint8_t>(shifted);
            p[1] = static_cast<std::uint8_t>(shifted >> 8);
        }
    }
    for (std::int32_t k = 0; k < std::min(ndim, 3); ++k)
        dims[k] = header.dims[k];
    *phImage = address;
    return true;
}

} // namespace

bool VazAZUrorav::SaveBufferFile(const std::string& FileName, std::int32_t BufferID, std::int32_t Ndim,
                                 const std::int32_t* Dims)
{
    return saveSlot(*state_, FileName, BufferID, 2, Ndim, Dims, 0);
}

bool VazAZUrorav::SaveBufferFileColor(const std::string& FileName, std::int32_t BufferID, std::int32_t ElementSize,
                                      std::int32_t Ndim, const std::int32_t* Dims, std::int32_t ColorMode)
{
    return saveSlot(*state_, FileName, BufferID, ElementSize, Ndim, Dims, ColorMode);
}

bool VazAZUrorav::LoadBufferFile(const std::string& FileName, std::int16_t** phImage, std::int32_t BufferID,
                                 std::int32_t Ndim, std::int32_t* Dims)
{
    BufferFileHeader header;
    std::uint8_t* address = nullptr;
    const bool done = loadSlot(*state_, FileName, phImage == nullptr ? nullptr : &address, BufferID, Ndim, Dims,
                               header);
    if (phImage != nullptr)
        *phImage = reinterpret_cast<std::int16_t*>(address);
    return done;
}

bool VazAZUrorav::LoadBufferFileColor(const std::string& FileName, std::uint8_t** phImage, std::int32_t BufferID,
                                      std::int32_t* ElementSize, std::int32_t Ndim, std::int32_t* Dims,
                                      std::int32_t* ColorMode)
{
    BufferFileHeader header;
    if (!loadSlot(*state_, FileName, phImage, BufferID, Ndim, Dims, header))
        return false;
    if (ElementSize != nullptr)
        *ElementSize = header.elementSize;
    if (ColorMode != nullptr)
        *ColorMode = header.colorMode;
    return true;
}
