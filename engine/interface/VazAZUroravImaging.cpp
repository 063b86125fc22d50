// VazAZUrorav: matrices, orthogonal and oblique reformats and projections.
// While a mask is in force (mask level count not 0) every operation reads
// the samples through their low 14 bits, and UseBitMask decides whether
// masked voxels are left out; without a mask the unmasked paths run.
#include "ZVIPEngine/VazAZUrorav.h"

#include "EngineState.h"
#include "SplitRendering.h"

#include "../imaging/Matrix4.h"
#include "../imaging/ObliqueProjection.h"
#include "../imaging/ObliqueReformat.h"
#include "../imaging/OrthogonalProjection.h"
#include "../imaging/OrthogonalReformat.h"
#include "../imaging/ViewMatrices.h"
#include "../imaging/ViewSampling.h"

#include <algorithm>

using zvipengine::EngineState;
using zvipengine::Matrix4;
using zvipengine::ProjectionKind;
using zvipengine::ViewMatrices;

namespace {

zvipengine::VolumeGeometry geometryOf(const EngineState& s)
{
    zvipengine::VolumeGeometry g;
    g.spacingX = s.volume.spacingX;
    g.spacingY = s.volume.spacingY;
    g.spacingZ = s.volume.spacingZ;
    g.X = s.volume.X;
    g.Y = s.volume.Y;
    g.Z = s.volume.Z;
    return g;
}

zvipengine::MaskReading maskReadingOf(const EngineState& s)
{
    if (s.maskLevelCount == 0)
        return zvipengine::MaskReading::Plain;
    return s.useBitMask ? zvipengine::MaskReading::HonourMask : zvipengine::MaskReading::ValueBits;
}

bool storeMatrix(float* destination, const Matrix4& m)
{
    if (destination == nullptr)
        return false;
    m.store(destination);
    return true;
}

// Slot allocation for an image of width x height samples; writes the address
// (or 0) to the caller's pointer.
bool allocateImage(EngineState& s, std::int16_t** phImage, std::int32_t bufferId, std::int32_t width,
                   std::int32_t height, std::int16_t*& image)
{
    image = nullptr;
    const std::int64_t bytes = (width > 0 && height > 0) ? std::int64_t{width} * height * 2 : 0;
    std::uint8_t* address = nullptr;
    bool done = phImage != nullptr;
    if (done) {
        switch (s.buffers.allocate(bufferId, bytes, address)) {
        case zvipengine::BufferTable::Result::Done:
            break;
        case zvipengine::BufferTable::Result::InvalidArgument:
            s.errorNumber = -1;
            done = false;
            break;
        case zvipengine::BufferTable::Result::NoMemory:
            s.errorNumber = -2;
            done = false;
            break;
        }
        *phImage = reinterpret_cast<std::int16_t*>(address);
    } else {
        s.errorNumber = -1;
    }
    image = reinterpret_cast<std::int16_t*>(address);
    return done;
}

bool validImage(const std::int16_t* image, std::int32_t width, std::int32_t height)
{
    return image != nullptr && width > 0 && height > 0;
}

double pixelSpacingFor(const EngineState& s, float pixelSpacing)
{
    return pixelSpacing > 0.0f ? pixelSpacing : s.volume.spacingX;
}

// The slab plane - depth/2 .. + depth - 1 kept in a range where no sum of
// its ends can overflow.
zvipengine::ProjectionRequest slabRequest(ProjectionKind kind, std::int32_t width, std::int32_t height,
                                          std::int32_t plane, std::int32_t depth, bool accumulate)
{
    constexpr std::int64_t Limit = std::int64_t{1} << 30;
    zvipengine::ProjectionRequest r;
    r.kind = kind;
    r.width = width;
    r.height = height;
    r.depth = static_cast<std::int32_t>(std::clamp<std::int64_t>(depth, 1, Limit));
    r.start = static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{plane} - r.depth / 2, -Limit, Limit));
    r.accumulate = accumulate;
    return r;
}

enum class Threads { One, Split };

// The four Get forms of the oblique projections keep the PixelSpacing
// argument of their signature but scale by the X spacing, as the Create forms
// do when they are given no spacing.
float xSpacingOnly(float /*pixelSpacing*/) { return 0.0f; }

// Renders an oblique projection into `image` (all rows, or strip `part`).
bool renderOblique(const EngineState& s, ProjectionKind kind, std::int16_t* image, std::int32_t width,
                   std::int32_t height, float pixelSpacing, std::int32_t plane, std::int32_t depth,
                   const float* matrix, bool accumulate, Threads threads, std::int32_t part,
                   std::int32_t partHeight)
{
    if (!validImage(image, width, height) || matrix == nullptr)
        return false;
    const zvipengine::VolumeView volume = s.volume.view();
    const zvipengine::ViewSampling view =
        zvipengine::ViewSampling::fromMatrix(matrix, width, height, pixelSpacingFor(s, pixelSpacing));
    const zvipengine::ProjectionRequest request = slabRequest(kind, width, height, plane, depth, accumulate);
    // The brick copy serves the unmasked maximum projection only.
    const zvipengine::BrickVolume* bricks =
        (kind == ProjectionKind::Maximum && s.maskLevelCount == 0 && !s.bricks.empty()) ? &s.bricks : nullptr;
    const auto render = [&](std::int32_t rowBegin, std::int32_t rowEnd) {
        zvipengine::ObliqueProjection::renderRows(volume, bricks, view, request, rowBegin, rowEnd, image,
                                                  maskReadingOf(s));
    };
    return zvipengine::SplitRendering::renderPart(part, partHeight, height,
                                                  threads == Threads::Split ? s.processorCount : 1, render);
}

bool renderOrthogonal(const EngineState& s, ProjectionKind kind, std::int16_t* image, std::int32_t width,
                      std::int32_t height, std::int32_t axis, std::int32_t plane, std::int32_t depth)
{
    if (!validImage(image, width, height))
        return false;
    return zvipengine::OrthogonalProjection::render(kind, s.volume.view(), width, height, axis, plane, depth, image,
                                                    maskReadingOf(s)) !=
           zvipengine::OrthogonalProjection::Outcome::InvalidArgument;
}

} // namespace

// ---------------------------------------------------------------- matrices

bool VazAZUrorav::MathMatrix(const float* hMatrix_A, const float* hMatrix_B, float* hMatrix_AB) const
{
    if (hMatrix_A == nullptr || hMatrix_B == nullptr)
        return false;
    // B first, then A.
    return storeMatrix(hMatrix_AB, Matrix4::load(hMatrix_B).then(Matrix4::load(hMatrix_A)));
}

bool VazAZUrorav::GetMatrixInvert(float* hMatrixDest, const float* hMatrixSrc) const
{
    if (hMatrixDest == nullptr || hMatrixSrc == nullptr)
        return false;
    const Matrix4 source = Matrix4::load(hMatrixSrc);
    Matrix4 inverse;
    return storeMatrix(hMatrixDest, source.inverse(inverse) ? inverse : source);
}

bool VazAZUrorav::GetMatrixDefault(float* hMatrix) const
{
    return storeMatrix(hMatrix, ViewMatrices::defaultAxial(geometryOf(*state_)));
}

bool VazAZUrorav::GetMatrixDefaultSagittal(float* hMatrix) const
{
    return storeMatrix(hMatrix, ViewMatrices::defaultSagittal(geometryOf(*state_)));
}

bool VazAZUrorav::GetMatrixDefaultCoronal(float* hMatrix) const
{
    return storeMatrix(hMatrix, ViewMatrices::defaultCoronal(geometryOf(*state_)));
}

bool VazAZUrorav::GetMatrixRotate(float* hMatrix, float Px, float Py, float Pz, float Vx, float Vy, float Vz,
                                  float theta) const
{
    return storeMatrix(hMatrix, ViewMatrices::rotateAboutPoint(Px, Py, Pz, Vx, Vy, Vz, theta));
}

bool VazAZUrorav::GetMatrixAxialRotate(float* hMatrix, float Px, float Py, float Pz, float Vx, float Vy, float Vz,
                                       float theta) const
{
    return storeMatrix(hMatrix, ViewMatrices::axialRotate(geometryOf(*state_), Px, Py, Pz, Vx, Vy, Vz, theta));
}

bool VazAZUrorav::GetMatrixCoronalRotate(float* hMatrix, float Px, float Py, float Pz, float Vx, float Vy,
                                         float Vz, float theta) const
{
    return storeMatrix(hMatrix, ViewMatrices::coronalRotate(geometryOf(*state_), Px, Py, Pz, Vx, Vy, Vz, theta));
}

bool VazAZUrorav::GetMatrixSagittalRotate(float* hMatrix, float Px, float Py, float Pz, float Vx, float Vy,
                                          float Vz, float theta) const
{
    return storeMatrix(hMatrix, ViewMatrices::sagittalRotate(geometryOf(*state_), Px, Py, Pz, Vx, Vy, Vz, theta));
}

bool VazAZUrorav::GetMatrixTAxialRotate(float* hMatrix, float Px, float Py, float Pz, float Vx, float Vy,
                                        float Vz, float theta) const
{
    return storeMatrix(hMatrix,
                       ViewMatrices::transposedAxialRotate(geometryOf(*state_), Px, Py, Pz, Vx, Vy, Vz, theta));
}

bool VazAZUrorav::GetMatrixTCoronalRotate(float* hMatrix, float Px, float Py, float Pz, float Vx, float Vy,
                                          float Vz, float theta) const
{
    return storeMatrix(hMatrix,
                       ViewMatrices::transposedCoronalRotate(geometryOf(*state_), Px, Py, Pz, Vx, Vy, Vz, theta));
}

bool VazAZUrorav::GetMatrixTSagittalRotate(float* hMatrix, float Px, float Py, float Pz, float Vx, float Vy,
                                           float Vz, float theta) const
{
    return storeMatrix(hMatrix,
                       ViewMatrices::transposedSagittalRotate(geometryOf(*state_), Px, Py, Pz, Vx, Vy, Vz, theta));
}

bool VazAZUrorav::GetMatrixOrientation(float* hMatrix, float OrientationRowX, float OrientationRowY,
                                       float OrientationRowZ, float OrientationColX, float OrientationColY,
                                       float OrientationColZ, float /*CenterPositionX*/,
                                       float /*CenterPositionY*/, float /*CenterPositionZ*/) const
{
    const zvipengine::VolumeStore& v = state_->volume;
    const double row1[3] = {v.rowCosines[0], v.rowCosines[1], v.rowCosines[2]};
    const double column1[3] = {v.columnCosines[0], v.columnCosines[1], v.columnCosines[2]};
    const double row2[3] = {OrientationRowX, OrientationRowY, OrientationRowZ};
    const double column2[3] = {OrientationColX, OrientationColY, OrientationColZ};
    return storeMatrix(hMatrix, ViewMatrices::orientationChange(row1, column1, row2, column2));
}

// ------------------------------------------------------ orthogonal images

bool VazAZUrorav::GetImageOrthoMPR(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                   std::int32_t Axis, std::int32_t Plane)
{
    if (!state_->volume.exists() || !validImage(hImage, Width, Height) ||
        !zvipengine::OrthogonalReformat::validAxis(Axis))
        return false;
    // A plane outside the volume leaves the image untouched (still true).
    zvipengine::OrthogonalReformat::render(state_->volume.view(), Width, Height, Axis, Plane, hImage,
                                           maskReadingOf(*state_));
    return true;
}

bool VazAZUrorav::CreateImageOrthoMPR(std::int16_t** hImage, std::int32_t BufNum, std::int32_t Width,
                                      std::int32_t Height, std::int32_t Axis, std::int32_t Plane)
{
    if (!state_->volume.exists())
        return false;
    std::int16_t* image;
    if (!allocateImage(*state_, hImage, BufNum, Width, Height, image))
        return false;
    return GetImageOrthoMPR(image, Width, Height, Axis, Plane);
}

bool VazAZUrorav::GetImageOrthoMIP(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                   std::int32_t Axis, std::int32_t Plane, std::int32_t PlaneDepth)
{
    if (!state_->volume.exists())
        return false;
    return renderOrthogonal(*state_, ProjectionKind::Maximum, hImage, Width, Height, Axis, Plane, PlaneDepth);
}

bool VazAZUrorav::CreateImageOrthoMIP(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                                      std::int32_t Height, std::int32_t Axis, std::int32_t Plane,
                                      std::int32_t PlaneDepth)
{
    if (!state_->volume.exists())
        return false;
    std::int16_t* image;
    if (!allocateImage(*state_, phImage, BufferID, Width, Height, image))
        return false;
    return renderOrthogonal(*state_, ProjectionKind::Maximum, image, Width, Height, Axis, Plane, PlaneDepth);
}

bool VazAZUrorav::GetImageOrthoMinIP(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                     std::int32_t Axis, std::int32_t Plane, std::int32_t PlaneDepth)
{
    if (!state_->volume.exists())
        return false;
    return renderOrthogonal(*state_, ProjectionKind::Minimum, hImage, Width, Height, Axis, Plane, PlaneDepth);
}

bool VazAZUrorav::CreateImageOrthoMinIP(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                                        std::int32_t Height, std::int32_t Axis, std::int32_t Plane,
                                        std::int32_t PlaneDepth)
{
    if (!state_->volume.exists())
        return false;
    std::int16_t* image;
    if (!allocateImage(*state_, phImage, BufferID, Width, Height, image))
        return false;
    return renderOrthogonal(*state_, ProjectionKind::Minimum, image, Width, Height, Axis, Plane, PlaneDepth);
}

bool VazAZUrorav::CreateImageOrthoSum(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                                      std::int32_t Height, std::int32_t Axis, std::int32_t Plane,
                                      std::int32_t PlaneDepth)
{
    if (!state_->volume.exists())
        return false;
    std::int16_t* image;
    if (!allocateImage(*state_, phImage, BufferID, Width, Height, image))
        return false;
    return renderOrthogonal(*state_, ProjectionKind::Mean, image, Width, Height, Axis, Plane, PlaneDepth);
}

// --------------------------------------------------------- oblique images

bool VazAZUrorav::GetImageMPRMatrix(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                    std::int32_t Plane, const float* hMatrix)
{
    if (!state_->volume.exists() || !validImage(hImage, Width, Height) || hMatrix == nullptr)
        return false;
    const zvipengine::ViewSampling view =
        zvipengine::ViewSampling::fromMatrix(hMatrix, Width, Height, state_->volume.spacingX);
    zvipengine::ObliqueReformat::render(state_->volume.view(), view, Width, Height, Plane, hImage,
                                        maskReadingOf(*state_));
    return true;
}

bool VazAZUrorav::CreateImageMPRMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                                       std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                                       const float* hMatrix)
{
    if (!state_->volume.exists())
        return false;
    std::int16_t* image;
    if (!allocateImage(*state_, phImage, BufferID, Width, Height, image))
        return false;
    if (hMatrix == nullptr)
        return false;
    const zvipengine::ViewSampling view =
        zvipengine::ViewSampling::fromMatrix(hMatrix, Width, Height, pixelSpacingFor(*state_, PixelSpacing));
    zvipengine::ObliqueReformat::render(state_->volume.view(), view, Width, Height, Plane, image,
                                        maskReadingOf(*state_));
    return true;
}

bool VazAZUrorav::CreateImageMIPMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                                       std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                                       std::int32_t PlaneDepth, const float* hMatrix)
{
    if (!state_->volume.exists())
        return false;
    std::int16_t* image;
    if (!allocateImage(*state_, phImage, BufferID, Width, Height, image))
        return false;
    return renderOblique(*state_, ProjectionKind::Maximum, image, Width, Height, PixelSpacing, Plane, PlaneDepth,
                         hMatrix, false, Threads::Split, 0, Height);
}

bool VazAZUrorav::CreateImageMinIPMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                                         std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                                         std::int32_t PlaneDepth, const float* hMatrix)
{
    if (!state_->volume.exists())
        return false;
    std::int16_t* image;
    if (!allocateImage(*state_, phImage, BufferID, Width, Height, image))
        return false;
    return renderOblique(*state_, ProjectionKind::Minimum, image, Width, Height, PixelSpacing, Plane, PlaneDepth,
                         hMatrix, false, Threads::One, 0, Height);
}

bool VazAZUrorav::CreateImageSumMatrix(std::int16_t** phImage, std::int32_t BufferID, std::int32_t Width,
                                       std::int32_t Height, float PixelSpacing, std::int32_t Plane,
                                       std::int32_t PlaneDepth, const float* hMatrix)
{
    if (!state_->volume.exists())
        return false;
    std::int16_t* image;
    if (!allocateImage(*state_, phImage, BufferID, Width, Height, image))
        return false;
    return renderOblique(*state_, ProjectionKind::Mean, image, Width, Height, PixelSpacing, Plane, PlaneDepth,
                         hMatrix, false, Threads::One, 0, Height);
}

bool VazAZUrorav::GetImageMIPMatrix(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                    float PixelSpacing, std::int32_t Plane, std::int32_t PlaneDepth,
                                    const float* hMatrix)
{
    if (!state_->volume.exists())
        return false;
    return renderOblique(*state_, ProjectionKind::Maximum, hImage, Width, Height, xSpacingOnly(PixelSpacing), Plane,
                         PlaneDepth, hMatrix, false, Threads::One, 0, Height);
}

bool VazAZUrorav::GetImageMIPMatrixAdd(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                       float PixelSpacing, std::int32_t Plane, std::int32_t PlaneDepth,
                                       const float* hMatrix)
{
    if (!state_->volume.exists())
        return false;
    return renderOblique(*state_, ProjectionKind::Maximum, hImage, Width, Height, xSpacingOnly(PixelSpacing), Plane,
                         PlaneDepth, hMatrix, true, Threads::One, 0, Height);
}

bool VazAZUrorav::GetImageMinIPMatrix(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                      float PixelSpacing, std::int32_t Plane, std::int32_t PlaneDepth,
                                      const float* hMatrix)
{
    if (!state_->volume.exists())
        return false;
    return renderOblique(*state_, ProjectionKind::Minimum, hImage, Width, Height, xSpacingOnly(PixelSpacing), Plane,
                         PlaneDepth, hMatrix, false, Threads::One, 0, Height);
}

bool VazAZUrorav::GetImageMinIPMatrixAdd(std::int16_t* hImage, std::int32_t Width, std::int32_t Height,
                                         float PixelSpacing, std::int32_t Plane, std::int32_t PlaneDepth,
                                         const float* hMatrix)
{
    if (!state_->volume.exists())
        return false;
    return renderOblique(*state_, ProjectionKind::Minimum, hImage, Width, Height, xSpacingOnly(PixelSpacing), Plane,
                         PlaneDepth, hMatrix, true, Threads::One, 0, Height);
}

bool VazAZUrorav::GetImageMIPMatrixPart(std::int32_t Part, std::int32_t PartHeight, std::int16_t* hImage,
                                        std::int32_t Width, std::int32_t Height, float PixelSpacing,
                                        std::int32_t Plane, std::int32_t PlaneDepth, const float* hMatrix)
{
    if (!state_->volume.exists())
        return false;
    return renderOblique(*state_, ProjectionKind::Maximum, hImage, Width, Height, PixelSpacing, Plane, PlaneDepth,
                         hMatrix, false, Threads::Split, Part, PartHeight);
}

bool VazAZUrorav::GetImageSumMatrixPart(std::int32_t Part, std::int32_t PartHeight, std::int16_t* hImage,
                                        std::int32_t Width, std::int32_t Height, float PixelSpacing,
                                        std::int32_t Plane, std::int32_t PlaneDepth, const float* hMatrix)
{
    if (!state_->volume.exists())
        return false;
    return renderOblique(*state_, ProjectionKind::Mean, hImage, Width, Height, PixelSpacing, Plane, PlaneDepth,
                         hMatrix, false, Threads::One, Part, PartHeight);
}
