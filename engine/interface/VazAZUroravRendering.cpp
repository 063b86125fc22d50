// VazAZUrorav: volume rendering (grey, coloured, endoscope) and the depth
// image with which the host maps screen points into the volume and back.
#include "ZVIPEngine/VazAZUrorav.h"

#include "EngineState.h"
#include "SplitRendering.h"

#include "../imaging/Matrix4.h"
#include "../imaging/ViewSampling.h"
#include "../rendering/CentralStructureRenderer.h"
#include "../rendering/DepthImageRecord.h"
#include "../rendering/PointMapping.h"
#include "../rendering/VolumeRayCaster.h"

#include <algorithm>
#include <atomic>

using zvipengine::Compositing;
using zvipengine::DepthImageRecord;
using zvipengine::EngineState;
using zvipengine::Matrix4;
using zvipengine::RayCastRequest;

namespace {

// The depth image stores steps in 16 bits, so no slab may be deeper.
constexpr std::int32_t DeepestSlab = 65535;

enum class Rows {
    WholeSplit,   // the whole image, over two threads where there are two
    PartSplit,    // strip Part through the two-thread split
    PartOneThread // strip Part with its two following rows, one thread
};

struct StripCall {
    Rows rows = Rows::WholeSplit;
    std::int32_t part = 0;
    std::int32_t partHeight = 0;
};

zvipengine::MaskReading maskReadingOf(const EngineState& s)
{
    if (s.maskLevelCount == 0)
        return zvipengine::MaskReading::Plain;
    return s.useBitMask ? zvipengine::MaskReading::HonourMask : zvipengine::MaskReading::ValueBits;
}

bool refuse(EngineState& s, std::int32_t error = -1)
{
    s.errorNumber = error;
    return false;
}

// Takes the Z-buffer target of this rendering; every rendering consumes it,
// whatever becomes of the rendering.
std::uint8_t* takeDepthTarget(EngineState& s, std::int32_t width, std::int32_t height)
{
    auto* address = static_cast<std::uint8_t*>(s.zBuffer);
    const std::int64_t bytes = s.zBufferBytes;
    s.zBufferBytes = 0;
    if (address == nullptr || width <= 0 || height <= 0 || bytes < DepthImageRecord::requiredBytes(width, height))
        return nullptr;
    return address;
}

bool validStrip(const StripCall& strip)
{
    return strip.rows == Rows::WholeSplit || (strip.part >= 0 && strip.partHeight >= 1);
}

// Validates, fills the grid setup and the depth header, and casts the rays
// of the call's rows. `request` holds the tables and outputs.
bool castRays(EngineState& s, RayCastRequest& request, std::uint8_t* depthTarget, const StripCall& strip,
              std::int32_t width, std::int32_t height, double pixelSpacing, std::int32_t start, std::int32_t depth,
              const float* matrix)
{
    zvipengine::SlabResampler::Setup& grid = request.grid;
    grid.view = zvipengine::ViewSampling::fromMatrix(matrix, width, height, pixelSpacing);
    grid.width = width;
    grid.height = height;
    grid.start = start;
    grid.depth = depth;
    grid.reading = maskReadingOf(s);
    std::copy(s.maskBoundingBox, s.maskBoundingBox + 6, grid.visibleBox);
    if (depthTarget != nullptr && (strip.rows == Rows::WholeSplit || strip.part == 0)) {
        DepthImageRecord::Header header;
        header.width = width;
        header.height = height;
        header.start = grid.geometry == zvipengine::RayGeometry::Parallel ? start : 0;
        header.depth = depth;
        header.view = Matrix4::translate(-width / 2.0, -height / 2.0, 0.0)
                          .then(Matrix4::scale(pixelSpacing, pixelSpacing, pixelSpacing))
                          .then(Matrix4::load(matrix));
        DepthImageRecord::writeHeader(depthTarget, header);
    }
    request.depthRecord = depthTarget;
    const zvipengine::VolumeView volume = s.volume.view();
    std::atomic<bool> done{true};
    const auto render = [&](std::int32_t rowBegin, std::int32_t rowEnd) {
        if (!zvipengine::VolumeRayCaster::renderRows(volume, request, rowBegin, rowEnd))
            done = false;
    };
    switch (strip.rows) {
    case Rows::WholeSplit:
        zvipengine::SplitRendering::renderPart(0, height, height, s.processorCount, render);
        break;
    case Rows::PartSplit:
        zvipengine::SplitRendering::renderPart(strip.part, strip.partHeight, height, s.processorCount, render);
        break;
    case Rows::PartOneThread: {
        const std::int64_t first = std::int64_t{strip.part} * strip.partHeight;
        const std::int64_t last = std::min<std::int64_t>(height, first + strip.partHeight + 2);
        if (first < height)
            render(static_cast<std::int32_t>(first), static_cast<std::int32_t>(last));
        break;
    }
    }
    return done ? true : refuse(s, -2);
}

// The slab of a parallel rendering: start Plane - PlaneDepth / 2, at least
// one step deep; false when deeper than the depth image can record.
bool slabOf(std::int32_t plane, std::int32_t planeDepth, std::int32_t& start, std::int32_t& depth)
{
    if (planeDepth > DeepestSlab)
        return false;
    depth = std::max(1, planeDepth);
    // Floor of a negative half, as for the positive depths.
    const std::int32_t half = planeDepth >= 0 ? planeDepth / 2 : -((1 - planeDepth) / 2);
    const std::int64_t first = std::int64_t{plane} - half;
    if (first < -(std::int64_t{1} << 30) || first > (std::int64_t{1} << 30))
        return false;
    start = static_cast<std::int32_t>(first);
    return true;
}

double pixelSpacingFor(const EngineState& s, float pixelSpacing)
{
    return pixelSpacing > 0.0f ? pixelSpacing : s.volume.spacingX;
}

// Grey rendering with the opacity table already built.
bool renderGrey(EngineState& s, std::int16_t* image, std::uint8_t* depthTarget, const StripCall& strip,
                std::int32_t width, std::int32_t height, float pixelSpacing, std::int32_t plane,
                std::int32_t planeDepth, const zvipengine::OpacityTable& opacity, float attenuation,
                const float* matrix)
{
    std::int32_t start = 0;
    std::int32_t depth = 1;
    if (!slabOf(plane, planeDepth, start, depth))
        return refuse(s);
    RayCastRequest request;
    request.compositing = Compositing::Grey;
    request.opacity = &opacity;
    request.attenuation = attenuation;
    request.grey = image;
    return castRays(s, request, depthTarget, strip, width, height, pixelSpacingFor(s, pixelSpacing), start, depth,
                    matrix);
}

bool validView(const void* image, std::int32_t width, std::int32_t height, const float* matrix)
{
    return image != nullptr && width > 0 && height > 0 && matrix != nullptr;
}

bool renderGreyTable(EngineState& s, std::int16_t* image, const StripCall& strip, std::int32_t width,
                     std::int32_t height, float pixelSpacing, std::int32_t plane, std::int32_t planeDepth,
                     std::int32_t count, const std::int16_t* positions, const float* values, float attenuation,
                     const float* matrix)
{
    std::uint8_t* depthTarget = takeDepthTarget(s, width, height);
    if (!s.volume.exists() || !validView(image, width, height, matrix) || !validStrip(strip) || count < 1 ||
        positions == nullptr || values == nullptr)
        return refuse(s);
    zvipengine::OpacityTable opacity;
    if (!opacity.build(count, positions, values))
        return refuse(s, -2);
    return renderGrey(s, image, depthTarget, strip, width, height, pixelSpacing, plane, planeDepth, opacity,
                      attenuation, matrix);
}

bool renderGreyRamp(EngineState& s, std::int16_t* image, const StripCall& strip, std::int32_t width,
                    std::int32_t height, float pixelSpacing, std::int32_t plane, std::int32_t planeDepth,
                    std::int16_t minimum, std::int16_t maximum, float transmission, const float* matrix)
{
    std::uint8_t* depthTarget = takeDepthTarget(s, width, height);
    if (!s.volume.exists() || !validView(image, width, height, matrix) || !validStrip(strip))
        return refuse(s);
    zvipengine::OpacityTable opacity;
    if (!opacity.buildRamp(minimum, maximum))
        return refuse(s, -2);
    return renderGrey(s, image, depthTarget, strip, width, height, pixelSpacing, plane, planeDepth, opacity,
                      transmission, matrix);
}

bool renderColor(EngineState& s, std::uint8_t* image, const StripCall& strip, std::int32_t width,
                 std::int32_t height, float pixelSpacing, std::int32_t plane, std::int32_t planeDepth,
                 std::int32_t count, const std::int16_t* positions, const float* values, std::int32_t colorCount,
                 const std::int16_t* colorPositions, const std::int32_t* colors, float attenuation,
                 const float* matrix)
{
    std::uint8_t* depthTarget = takeDepthTarget(s, width, height);
    if (!s.volume.exists() || !validView(image, width, height, matrix) || !validStrip(strip) || count < 1 ||
        positions == nullptr || values == nullptr || colorCount < 1 || colorPositions == nullptr ||
        colors == nullptr)
        return refuse(s);
    std::int32_t start = 0;
    std::int32_t depth = 1;
    if (!slabOf(plane, planeDepth, start, depth))
        return refuse(s);
    zvipengine::OpacityTable opacity;
    zvipengine::ColorTable table;
    if (!opacity.build(count, positions, values) || !table.build(colorCount, colorPositions, colors))
        return refuse(s, -2);
    RayCastRequest request;
    request.compositing = Compositing::Color;
    request.grid.markers.endMarker = -2;
    request.opacity = &opacity;
    request.colors = &table;
    request.attenuation = attenuation;
    request.backColor = s.imageBackColor;
    request.rgb = image;
    return castRays(s, request, depthTarget, strip, width, height, pixelSpacingFor(s, pixelSpacing), start, depth,
                    matrix);
}

bool renderEndoscope(EngineState& s, std::int16_t* image, const StripCall& strip, std::int32_t width,
                     std::int32_t height, float spacing, std::int32_t steps, std::int32_t count,
                     const std::int16_t* positions, const float* values, float attenuation, const float* matrix)
{
    std::uint8_t* depthTarget = takeDepthTarget(s, width, height);
    if (!s.volume.exists() || !validView(image, width, height, matrix) || !validStrip(strip) || count < 1 ||
        positions == nullptr || values == nullptr || steps > DeepestSlab)
        return refuse(s);
    zvipengine::OpacityTable opacity;
    if (!opacity.build(count, positions, values))
        return refuse(s, -2);
    const double pixelSpacing = pixelSpacingFor(s, spacing);
    RayCastRequest request;
    request.compositing = Compositing::Grey;
    request.grid.geometry = zvipengine::RayGeometry::Perspective;
    request.grid.markers.beforeEntry = -1;
    request.grid.markers.endMarker = -2;
    request.grid.fanCentre = std::max(width, height) / 2.0;
    request.grid.fanGrowth = s.volume.spacingX > 0.0f ? pixelSpacing / s.volume.spacingX : 1.0;
    request.opacity = &opacity;
    request.attenuation = attenuation;
    request.grey = image;
    if (s.maskLevelCount != 0) {
        // The fan is not drawn through masks: the header alone is left.
        if (depthTarget != nullptr && (strip.rows == Rows::WholeSplit || strip.part == 0)) {
            DepthImageRecord::Header header;
            header.width = width;
            header.height = height;
            header.depth = std::max(1, steps);
            header.view = Matrix4::translate(-width / 2.0, -height / 2.0, 0.0)
                              .then(Matrix4::scale(pixelSpacing, pixelSpacing, pixelSpacing))
                              .then(Matrix4::load(matrix));
            DepthImageRecord::writeHeader(depthTarget, header);
        }
        return refuse(s);
    }
    return castRays(s, request, depthTarget, strip, width, height, pixelSpacing, 0, std::max(1, steps), matrix);
}

template <typename Pixel>
bool allocateOutput(EngineState& s, Pixel** phImage, std::int32_t bufferId, std::int32_t width, std::int32_t height,
                    std::int32_t bytesPerPixel, Pixel*& image)
{
    image = nullptr;
    if (phImage == nullptr)
        return refuse(s);
    *phImage = nullptr;
    if (!s.volume.exists() || width <= 0 || height <= 0) {
        // Consumed here too, as by any rendering.
        s.zBufferBytes = 0;
        return refuse(s);
    }
    std::uint8_t* address = nullptr;
    if (!s.allocateBuffer(bufferId, std::int64_t{width} * height * bytesPerPixel, address)) {
        s.zBufferBytes = 0;
        return false;
    }
    image = reinterpret_cast<Pixel*>(address);
    *phImage = image;
    return true;
}

StripCall wholeImage()
{
    return StripCall{};
}

StripCall strip(Rows rows, std::int32_t part, std::int32_t partHeight)
{
    return StripCall{rows, part, partHeight};
}

} // namespace

// ------------------------------------------------------------ grey, table

bool VazAZUrorav::GetImageVolumeRenderNMatrix(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                              float PixelSpacing, std::int32_t Plane, std::int32_t PlaneDepth,
                                              std::int32_t NumOfParam, const std::int16_t* ParamPosition,
                                              const float* ParamValues, float AttenuationFactor,
                                              float /*LuminousEnergy*/, const float* hMatrix)
{
    return renderGreyTable(*state_, hImage, wholeImage(), Width, Height, PixelSpacing, Plane, PlaneDepth, NumOfParam,
                           ParamPosition, ParamValues, AttenuationFactor, hMatrix);
}

bool VazAZUrorav::GetImageVolumeRenderNMatrixPart(std::int32_t Part, std::int32_t PartHeight, std::int16_t* hImage,
                                                  std::int32_t Width, std::int32_t Height, float PixelSpacing,
                                                  std::int32_t Plane, std::int32_t PlaneDepth,
                                                  std::int32_t NumOfParam, const std::int16_t* ParamPosition,
                                                  const float* ParamValues, float AttenuationFactor,
                                                  float /*LuminousEnergy*/, const float* hMatrix)
{
    return renderGreyTable(*state_, hImage, strip(Rows::PartSplit, Part, PartHeight), Width, Height, PixelSpacing,
                           Plane, PlaneDepth, NumOfParam, ParamPosition, ParamValues, AttenuationFactor, hMatrix);
}

bool VazAZUrorav::CreateImageVolumeRenderNMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                                                 std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                                                 std::int32_t PlaneDepth, std::int32_t NumOfParam,
                                                 const std::int16_t* ParamPosition, const float* ParamValues,
                                                 float AttenuationFactor, float LuminousEnergy, const float* hMatrix)
{
    std::int16_t* image = nullptr;
    if (!allocateOutput(*state_, phImage, BufferID, Width, Height, 2, image))
        return false;
    return GetImageVolumeRenderNMatrix(image, Width, Height, PixelSpacing, Plane, PlaneDepth, NumOfParam,
                                       ParamPosition, ParamValues, AttenuationFactor, LuminousEnergy, hMatrix);
}

// ------------------------------------------------------ grey, two points

bool VazAZUrorav::GetImageVolumeRenderMatrix(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                             float PixelSpacing, std::int32_t Plane, std::int32_t PlaneDepth,
                                             std::int16_t MinValue, std::int16_t MaxValue, float TransmissionFactor,
                                             float /*LuminousEnergy*/, const float* hMatrix)
{
    return renderGreyRamp(*state_, hImage, wholeImage(), Width, Height, PixelSpacing, Plane, PlaneDepth, MinValue,
                          MaxValue, TransmissionFactor, hMatrix);
}

bool VazAZUrorav::GetImageVolumeRenderMatrixPart(std::int32_t Part, std::int32_t PartHeight, std::int16_t* hImage,
                                                 std::int32_t Width, std::int32_t Height, float PixelSpacing,
                                                 std::int32_t Plane, std::int32_t PlaneDepth, std::int16_t MinValue,
                                                 std::int16_t MaxValue, float TransmissionFactor,
                                                 float /*LuminousEnergy*/, const float* hMatrix)
{
    return renderGreyRamp(*state_, hImage, strip(Rows::PartOneThread, Part, PartHeight), Width, Height,
                          PixelSpacing, Plane, PlaneDepth, MinValue, MaxValue, TransmissionFactor, hMatrix);
}

bool VazAZUrorav::CreateImageVolumeRenderMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                                                std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                                                std::int32_t PlaneDepth, std::int16_t MinValue,
                                                std::int16_t MaxValue, float TransmissionFactor,
                                                float LuminousEnergy, const float* hMatrix)
{
    std::int16_t* image = nullptr;
    if (!allocateOutput(*state_, phImage, BufferID, Width, Height, 2, image))
        return false;
    return GetImageVolumeRenderMatrix(image, Width, Height, PixelSpacing, Plane, PlaneDepth, MinValue, MaxValue,
                                      TransmissionFactor, LuminousEnergy, hMatrix);
}

// ------------------------------------------------------------- coloured

bool VazAZUrorav::GetImageVRCNMatrix(std::uint8_t* hRGBImage, std::int32_t Width, std::int32_t Height,
                                     float PixelSpacing, std::int32_t Plane, std::int32_t PlaneDepth,
                                     std::int32_t NumOfParam, const std::int16_t* ParamPosition,
                                     const float* ParamValues, std::int32_t NumOfColor,
                                     const std::int16_t* ColorPosition, const std::int32_t* ColorValues,
                                     float AttenuationFactor, float /*LuminousEnergy*/, const float* hMatrix)
{
    return renderColor(*state_, hRGBImage, wholeImage(), Width, Height, PixelSpacing, Plane, PlaneDepth, NumOfParam,
                       ParamPosition, ParamValues, NumOfColor, ColorPosition, ColorValues, AttenuationFactor,
                       hMatrix);
}

bool VazAZUrorav::GetImageVRCNMatrixPart(std::int32_t Part, std::int32_t PartHeight, std::uint8_t* hRGBImage,
                                         std::int32_t Width, std::int32_t Height, float PixelSpacing,
                                         std::int32_t Plane, std::int32_t PlaneDepth, std::int32_t NumOfParam,
                                         const std::int16_t* ParamPosition, const float* ParamValues,
                                         std::int32_t NumOfColor, const std::int16_t* ColorPosition,
                                         const std::int32_t* ColorValues, float AttenuationFactor,
                                         float /*LuminousEnergy*/, const float* hMatrix)
{
    return renderColor(*state_, hRGBImage, strip(Rows::PartSplit, Part, PartHeight), Width, Height, PixelSpacing,
                       Plane, PlaneDepth, NumOfParam, ParamPosition, ParamValues, NumOfColor, ColorPosition,
                       ColorValues, AttenuationFactor, hMatrix);
}

bool VazAZUrorav::CreateImageVRCNMatrix(std::uint8_t** phRGBImage, std::int32_t BufferID, std::int32_t Width,
                                        std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                                        std::int32_t PlaneDepth, std::int32_t NumOfParam,
                                        const std::int16_t* ParamPosition, const float* ParamValues,
                                        std::int32_t NumOfColor, const std::int16_t* ColorPosition,
                                        const std::int32_t* ColorValues, float AttenuationFactor,
                                        float LuminousEnergy, const float* hMatrix)
{
    std::uint8_t* image = nullptr;
    if (!allocateOutput(*state_, phRGBImage, BufferID, Width, Height, 3, image))
        return false;
    return GetImageVRCNMatrix(image, Width, Height, PixelSpacing, Plane, PlaneDepth, NumOfParam, ParamPosition,
                              ParamValues, NumOfColor, ColorPosition, ColorValues, AttenuationFactor, LuminousEnergy,
                              hMatrix);
}

// ------------------------------------------------------------- endoscope

bool VazAZUrorav::GetImageVREndoscopeNMatrix(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                             float Spacing, float /*Perspective*/, std::int32_t Depth,
                                             float /*FrontSpacing*/, std::int32_t NumOfParam,
                                             const std::int16_t* ParamPosition, const float* ParamValues,
                                             float AttenuationFactor, const float* hMatrix)
{
    return renderEndoscope(*state_, hImage, wholeImage(), Width, Height, Spacing, Depth, NumOfParam, ParamPosition,
                           ParamValues, AttenuationFactor, hMatrix);
}

bool VazAZUrorav::GetImageVREndoscopeNMatrixPart(std::int32_t Part, std::int32_t PartHeight, std::int16_t* hImage,
                                                 std::int32_t Width, std::int32_t Height, float Spacing,
                                                 float /*Perspective*/, std::int32_t Depth, float /*FrontSpacing*/,
                                                 std::int32_t NumOfParam, const std::int16_t* ParamPosition,
                                                 const float* ParamValues, float AttenuationFactor,
                                                 const float* hMatrix)
{
    return renderEndoscope(*state_, hImage, strip(Rows::PartOneThread, Part, PartHeight), Width, Height, Spacing,
                           Depth, NumOfParam, ParamPosition, ParamValues, AttenuationFactor, hMatrix);
}

bool VazAZUrorav::CreateImageVREndoscopeNMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                                                std::int32_t Height, float Spacing, float Perspective,
                                                std::int32_t Depth, float FrontSpacing, std::int32_t NumOfParam,
                                                const std::int16_t* ParamPosition, const float* ParamValues,
                                                float AttenuationFactor, const float* hMatrix)
{
    std::int16_t* image = nullptr;
    if (!allocateOutput(*state_, phImage, BufferID, Width, Height, 2, image))
        return false;
    return GetImageVREndoscopeNMatrix(image, Width, Height, Spacing, Perspective, Depth, FrontSpacing, NumOfParam,
                                      ParamPosition, ParamValues, AttenuationFactor, hMatrix);
}

// ------------------------------------------------------- central structure

bool VazAZUrorav::CreateImageAVRMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                                       std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                                       std::int32_t PlaneDepth, std::int16_t MinValue, std::int16_t MaxValue,
                                       float TransmissionFactor, const float* hMatrix)
{
    EngineState& s = *state_;
    std::int16_t* image = nullptr;
    if (!allocateOutput(s, phImage, BufferID, Width, Height, 2, image))
        return false;
    s.zBufferBytes = 0;
    zvipengine::CentralStructureRenderer::Request request;
    if (hMatrix == nullptr || !slabOf(Plane, PlaneDepth, request.start, request.depth))
        return refuse(s);
    request.view = zvipengine::ViewSampling::fromMatrix(hMatrix, Width, Height, pixelSpacingFor(s, PixelSpacing));
    request.width = Width;
    request.height = Height;
    request.minimum = MinValue;
    request.maximum = MaxValue;
    request.transmission = TransmissionFactor;
    request.valueBits = s.maskLevelCount != 0;
    // Working memory that cannot be had is a failure, not an empty image.
    if (!zvipengine::CentralStructureRenderer::render(s.volume.view(), request, image, s.processorCount))
        return refuse(s, -2);
    return true;
}

// ------------------------------------------------------------ depth image

bool VazAZUrorav::SetZbuffer(void* hZBuffer, std::int32_t BufferSize)
{
    state_->zBuffer = hZBuffer;
    state_->zBufferBytes = BufferSize;
    return true;
}

bool VazAZUrorav::GetPointVRtoVolume(float* f3Point, const void* hZBuffer, std::int32_t Px, std::int32_t Py)
{
    return zvipengine::PointMapping::screenToVolume(f3Point, static_cast<const std::uint8_t*>(hZBuffer), Px, Py);
}

bool VazAZUrorav::GetPointVolumetoVR(float* f3Point, std::int32_t* iPosition, const void* hZBuffer,
                                     std::int32_t Px, std::int32_t Py, std::int32_t Pz)
{
    return zvipengine::PointMapping::volumeToScreen(f3Point, iPosition, static_cast<const std::uint8_t*>(hZBuffer),
                                                    Px, Py, Pz);
}

bool VazAZUrorav::ReMapZbuffer(void* hZBuffer, std::int32_t Width, std::int32_t Height)
{
    return zvipengine::PointMapping::enlarge(static_cast<std::uint8_t*>(hZBuffer), Width, Height);
}
