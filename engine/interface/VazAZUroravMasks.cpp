// VazAZUrorav: bit masks, region growing, morphology, mark flags and the
// nodule measurement. Masks live in the age bits of the samples (see
// MaskBits); the mask level count and the visible box live in the state.
#include "ZVIPEngine/VazAZUrorav.h"

#include "EngineState.h"

#include "../masks/BitMaskVolume.h"
#include "../masks/MarkFlags.h"
#include "../masks/Morphology.h"
#include "../masks/NoduleMeasurement.h"
#include "../masks/PolygonRaster.h"
#include "../masks/RegionGrowing.h"
#include "../masks/ShapeSelection.h"
#include "../masks/StructuringElement.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

using zvipengine::BitMaskVolume;
using zvipengine::EngineState;
using zvipengine::MaskBits;
using zvipengine::MaskVolume;
using zvipengine::ShapeSelection;
using zvipengine::VoxelBox;

namespace {

MaskVolume maskVolumeOf(const EngineState& s)
{
    MaskVolume v;
    v.samples = reinterpret_cast<std::uint16_t*>(s.volume.samples());
    v.X = s.volume.X;
    v.Y = s.volume.Y;
    v.Z = s.volume.Z;
    return v;
}

BitMaskVolume masksOf(EngineState& s)
{
    return BitMaskVolume(maskVolumeOf(s), s.maskLevelCount, s.maskBoundingBox, s.processorCount);
}

bool refuse(EngineState& s, std::int32_t error)
{
    s.errorNumber = error;
    return false;
}

template <typename Shape>
bool applyShape(EngineState& s, const Shape& shape)
{
    const std::int32_t length = s.volume.X;
    if (!masksOf(s).applyStep([&](std::int32_t y, std::int32_t z, const std::uint16_t* row, std::uint8_t* selected) {
            shape(y, z, row, selected, length);
        }))
        return refuse(s, -2);
    // The samples changed: a brick copy taken now or before no longer
    // matches them once the masks are cleared again.
    s.volumeChanged();
    return true;
}

// Applies a step that selects the visible voxels of `box` marked in a
// box-sized byte image (outside the box nothing is visible to select).
bool applyBoxSelection(EngineState& s, const VoxelBox& box, const std::uint8_t* selection)
{
    const std::int32_t W = box.width();
    const std::int32_t H = box.height();
    if (!masksOf(s).applyStep([&](std::int32_t y, std::int32_t z, const std::uint16_t*, std::uint8_t* selected) {
            std::fill(selected, selected + s.volume.X, std::uint8_t{0});
            if (box.empty() || y < box.yMin || y > box.yMax || z < box.zMin || z > box.zMax)
                return;
            const std::uint8_t* in = selection + (static_cast<std::ptrdiff_t>(z - box.zMin) * H + (y - box.yMin)) * W;
            std::copy(in, in + W, selected + box.xMin);
        }))
        return refuse(s, -2);
    s.volumeChanged();
    return true;
}

bool finite(std::initializer_list<float> values)
{
    for (const float v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

// The visible box as a 0/1 image, with the voxels' values left behind.
bool visibilityOf(const EngineState& s, const VoxelBox& box, std::vector<std::uint8_t>& image)
{
    try {
        image.resize(static_cast<std::size_t>(box.voxelCount()));
    } catch (const std::bad_alloc&) {
        return false;
    }
    const MaskVolume v = maskVolumeOf(s);
    std::size_t i = 0;
    for (std::int32_t z = box.zMin; z <= box.zMax; ++z)
        for (std::int32_t y = box.yMin; y <= box.yMax; ++y) {
            const std::uint16_t* row = v.row(y, z);
            for (std::int32_t x = box.xMin; x <= box.xMax; ++x)
                image[i++] = MaskBits::visible(row[x]) ? 1 : 0;
        }
    return true;
}

// Masks the visible voxels that a morphological operation on the
// visibility image of `box` turned to 0.
bool maskRemoved(EngineState& s, const VoxelBox& box, const std::vector<std::uint8_t>& before,
                 const std::vector<std::uint8_t>& after)
{
    std::vector<std::uint8_t> removed;
    try {
        removed.resize(before.size());
    } catch (const std::bad_alloc&) {
        return refuse(s, -2);
    }
    for (std::size_t i = 0; i < before.size(); ++i)
        removed[i] = (before[i] != 0 && after[i] == 0) ? 1 : 0;
    return applyBoxSelection(s, box, removed.data());
}

enum class RegionUse { Mask, Mark };

// Steps 1-4 of the region growing: the grown region of the visible box.
bool growRegion(EngineState& s, RegionUse use, std::int16_t incTheta, std::int16_t decTheta, std::int16_t minThres,
                std::int16_t maxThres, std::int32_t Px, std::int32_t Py, std::int32_t Pz, VoxelBox& box,
                std::vector<std::uint8_t>& region)
{
    box = masksOf(s).box();
    if (box.empty() || !box.contains(Px, Py, Pz))
        return refuse(s, -1);
    zvipengine::RegionGrowing::Box local{box.width(), box.height(), box.depth()};
    std::vector<std::int16_t> values;
    try {
        values.resize(static_cast<std::size_t>(local.count()));
        region.resize(static_cast<std::size_t>(local.count()));
    } catch (const std::bad_alloc&) {
        return refuse(s, -2);
    }
    // A host that marks keeps its values below 4096, so that the marks of
    // earlier calls (bits 12-13) are not taken for values.
    const std::uint16_t valueBits = use == RegionUse::Mask ? MaskBits::Value : std::uint16_t{0x0FFF};
    zvipengine::RegionGrowing::copyBox(maskVolumeOf(s), box, valueBits, minThres, maxThres,
                                       use == RegionUse::Mask ? std::int16_t{32767} : std::int16_t{-1},
                                       values.data());
    if (!zvipengine::RegionGrowing::grow(values.data(), local, Px - box.xMin, Py - box.yMin, Pz - box.zMin, incTheta,
                                         decTheta, s.processorCount, region.data()))
        return refuse(s, -2);
    return true;
}

} // namespace

// ------------------------------------------------------------ masking steps

bool VazAZUrorav::SetBitMaskRectangle(std::int32_t interior, float min_X, float max_X, float min_Y, float max_Y,
                                      float min_Z, float max_Z, const float* hMatrix)
{
    EngineState& s = *state_;
    if (!s.volume.exists())
        return false;
    if (hMatrix == nullptr)
        return refuse(s, -1);
    ShapeSelection::unboundedDepth(min_Z, max_Z);
    ShapeSelection::Rectangle shape{zvipengine::ShapeTransform(hMatrix), interior >= 1, {min_X, min_Y, min_Z},
                                    {max_X, max_Y, max_Z}};
    return applyShape(s, shape);
}

bool VazAZUrorav::SetBitMaskCylinder(std::int32_t interior, float center_X, float center_Y, float radius_X,
                                     float radius_Y, float min_Z, float max_Z, const float* hMatrix)
{
    EngineState& s = *state_;
    if (!s.volume.exists())
        return false;
    if (hMatrix == nullptr)
        return refuse(s, -1);
    ShapeSelection::unboundedDepth(min_Z, max_Z);
    ShapeSelection::Cylinder shape{zvipengine::ShapeTransform(hMatrix), interior > 0, center_X, center_Y,
                                   radius_X, radius_Y, min_Z, max_Z};
    return applyShape(s, shape);
}

bool VazAZUrorav::SetBitMaskSphere(std::int32_t interior, float center_X, float center_Y, float center_Z,
                                   float radius_X, float radius_Y, float radius_Z, const float* hMatrix)
{
    EngineState& s = *state_;
    if (!s.volume.exists())
        return false;
    if (hMatrix == nullptr)
        return refuse(s, -1);
    ShapeSelection::Ellipsoid shape{zvipengine::ShapeTransform(hMatrix), interior > 0,
                                    {center_X, center_Y, center_Z}, {radius_X, radius_Y, radius_Z}};
    return applyShape(s, shape);
}

bool VazAZUrorav::SetBitMaskFreePoints(std::int32_t interior, std::int32_t NumOfPoints, const std::int32_t* Points,
                                       float min_Z, float max_Z, const float* hMatrix)
{
    EngineState& s = *state_;
    if (!s.volume.exists())
        return false;
    if (hMatrix == nullptr || !finite({min_Z, max_Z}))
        return refuse(s, -1);
    zvipengine::PolygonRaster polygon;
    switch (polygon.build(Points, NumOfPoints)) {
    case zvipengine::PolygonRaster::Result::Done:
        break;
    case zvipengine::PolygonRaster::Result::InvalidArgument:
        return refuse(s, -1);
    case zvipengine::PolygonRaster::Result::NoMemory:
        return refuse(s, -2);
    }
    ShapeSelection::unboundedDepth(min_Z, max_Z);
    // Truncated toward zero; bounds beyond any slice index are kept in a
    // range where the conversion is defined.
    const auto truncated = [](float z) { return static_cast<std::int64_t>(std::clamp(z, -1.0e15f, 1.0e15f)); };
    ShapeSelection::PolygonPrism shape{zvipengine::ShapeTransform(hMatrix), &polygon, interior > 0,
                                       truncated(min_Z), truncated(max_Z)};
    return applyShape(s, shape);
}

bool VazAZUrorav::SetBitMaskThreshold(std::int32_t interior, std::int16_t min_thres, std::int16_t max_thres)
{
    EngineState& s = *state_;
    if (!s.volume.exists())
        return false;
    return applyShape(s, ShapeSelection::Threshold{interior, min_thres, max_thres});
}

bool VazAZUrorav::SetBitMaskRegionGrowingPoint(std::int16_t inc_theta, std::int16_t dec_theta,
                                               std::int16_t min_thres, std::int16_t max_thres, std::int32_t Px,
                                               std::int32_t Py, std::int32_t Pz)
{
    EngineState& s = *state_;
    if (!s.volume.exists())
        return false;
    VoxelBox box;
    std::vector<std::uint8_t> region;
    if (!growRegion(s, RegionUse::Mask, inc_theta, dec_theta, min_thres, max_thres, Px, Py, Pz, box, region))
        return false;
    std::vector<std::uint8_t> background;
    try {
        background.resize(region.size());
    } catch (const std::bad_alloc&) {
        return refuse(s, -2);
    }
    const zvipengine::RegionGrowing::Box local{box.width(), box.height(), box.depth()};
    if (!zvipengine::RegionGrowing::background(region.data(), local, Px - box.xMin, Py - box.yMin, Pz - box.zMin,
                                               s.processorCount, background.data()))
        return refuse(s, -2);
    region = {};
    return applyBoxSelection(s, box, background.data());
}

namespace {

bool erodeOrDilate(EngineState& s, zvipengine::Morphology::Operation operation, const std::int16_t* entries,
                   const std::int32_t* dims)
{
    if (!s.volume.exists())
        return false;
    if (entries == nullptr || dims == nullptr ||
        !zvipengine::StructuringElement::acceptableSize(dims[0], dims[1], dims[2]))
        return refuse(s, -1);
    const zvipengine::StructuringElement element =
        zvipengine::StructuringElement::fromEntries(entries, dims[0], dims[1], dims[2]);
    if (element.empty())
        return refuse(s, -1);
    const VoxelBox box = masksOf(s).box();
    if (box.empty())
        return applyBoxSelection(s, box, nullptr);
    // Outside the box nothing is visible, which the operation's "outside
    // counts as 0" already gives: no zero border needs to be stored.
    std::vector<std::uint8_t> before;
    std::vector<std::uint8_t> after;
    if (!visibilityOf(s, box, before))
        return refuse(s, -2);
    try {
        after.resize(before.size());
    } catch (const std::bad_alloc&) {
        return refuse(s, -2);
    }
    if (!zvipengine::Morphology::apply(operation, before.data(), after.data(), box.width(), box.height(), box.depth(),
                                       element, nullptr, s.processorCount))
        return refuse(s, -2);
    return maskRemoved(s, box, before, after);
}

} // namespace

bool VazAZUrorav::SetBitMaskErosion(const std::int16_t* ps_StructureElementData, const std::int32_t* pl3_Dims)
{
    return erodeOrDilate(*state_, zvipengine::Morphology::Operation::Erosion, ps_StructureElementData, pl3_Dims);
}

bool VazAZUrorav::SetBitMaskDilation(const std::int16_t* ps_StructureElementData, const std::int32_t* pl3_Dims)
{
    return erodeOrDilate(*state_, zvipengine::Morphology::Operation::Dilation, ps_StructureElementData, pl3_Dims);
}

bool VazAZUrorav::MathBitMaskMorphology(std::int16_t MathType, std::int16_t FilterType, std::int16_t FilterSizeX,
                                        std::int16_t FilterSizeY, std::int16_t FilterSizeZ)
{
    EngineState& s = *state_;
    if (!s.volume.exists())
        return false;
    // Only the ellipsoid (types 0 and 1) is a defined element.
    if (MathType < 0 || MathType > 3 || (FilterType != 0 && FilterType != 1) ||
        !zvipengine::StructuringElement::acceptableSize(FilterSizeX, FilterSizeY, FilterSizeZ))
        return refuse(s, -1);
    using Operation = zvipengine::Morphology::Operation;
    const zvipengine::StructuringElement element =
        zvipengine::StructuringElement::ellipsoid(FilterSizeX, FilterSizeY, FilterSizeZ);
    const VoxelBox whole = VoxelBox::whole(s.volume.X, s.volume.Y, s.volume.Z);
    std::vector<std::uint8_t> before;
    std::vector<std::uint8_t> first;
    std::vector<std::uint8_t> second;
    if (!visibilityOf(s, whole, before))
        return refuse(s, -2);
    try {
        first.resize(before.size());
        if (MathType >= 2)
            second.resize(before.size());
    } catch (const std::bad_alloc&) {
        return refuse(s, -2);
    }
    const Operation firstOperation = (MathType == 0 || MathType == 2) ? Operation::Erosion : Operation::Dilation;
    const auto run = [&](Operation operation, const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out) {
        return zvipengine::Morphology::apply(operation, in.data(), out.data(), s.volume.X, s.volume.Y, s.volume.Z,
                                             element, nullptr, s.processorCount);
    };
    if (!run(firstOperation, before, first))
        return refuse(s, -2);
    if (MathType >= 2) {
        const Operation secondOperation =
            firstOperation == Operation::Erosion ? Operation::Dilation : Operation::Erosion;
        if (!run(secondOperation, first, second))
            return refuse(s, -2);
        first.swap(second);
    }
    return maskRemoved(s, whole, before, first);
}

// ------------------------------------------------------------ undo, clear

bool VazAZUrorav::UndoBitMask()
{
    EngineState& s = *state_;
    if (!s.volume.exists())
        return false;
    masksOf(s).undo();
    s.volumeChanged();
    return true;
}

bool VazAZUrorav::ClearBitMask()
{
    EngineState& s = *state_;
    if (!s.volume.exists())
        return false;
    masksOf(s).clear();
    s.volumeChanged();
    return true;
}

bool VazAZUrorav::ClearBitMaskImage(std::int16_t* hImage, std::int32_t NumOfPixels, std::int32_t Mode)
{
    if (hImage == nullptr || NumOfPixels < 0)
        return refuse(*state_, -1);
    BitMaskVolume::clearImageBits(reinterpret_cast<std::uint16_t*>(hImage), NumOfPixels, Mode);
    return true;
}

bool VazAZUrorav::GetByteImageBitMaskFreePoints(std::uint8_t* hByteImage, std::int32_t Width, std::int32_t Height,
                                                std::int32_t interior, std::int32_t NumOfPoints,
                                                const std::int32_t* Points)
{
    EngineState& s = *state_;
    if (hByteImage == nullptr || Width <= 0 || Height <= 0)
        return refuse(s, -1);
    zvipengine::PolygonRaster polygon;
    switch (polygon.build(Points, NumOfPoints)) {
    case zvipengine::PolygonRaster::Result::Done:
        break;
    case zvipengine::PolygonRaster::Result::InvalidArgument:
        return refuse(s, -1);
    case zvipengine::PolygonRaster::Result::NoMemory:
        return refuse(s, -2);
    }
    polygon.writeByteImage(hByteImage, Width, Height, interior);
    return true;
}

// ------------------------------------------------------------- mark flags

bool VazAZUrorav::SetMarkFlagSphere(float center_X, float center_Y, float center_Z, float radius_X, float radius_Y,
                                    float radius_Z, const float* hMatrix, std::int16_t FlagType)
{
    EngineState& s = *state_;
    if (!s.volume.exists())
        return false;
    if (hMatrix == nullptr || !zvipengine::MarkFlags::validFlag(FlagType))
        return refuse(s, -1);
    const ShapeSelection::Ellipsoid inside{zvipengine::ShapeTransform(hMatrix), true,
                                           {center_X, center_Y, center_Z}, {radius_X, radius_Y, radius_Z}};
    if (!zvipengine::MarkFlags::markEllipsoid(maskVolumeOf(s), inside, FlagType, s.processorCount))
        return refuse(s, -2);
    s.volumeChanged();
    return true;
}

bool VazAZUrorav::SetMarkFlagRegionGrowingPoint(std::int16_t inc_theta, std::int16_t dec_theta,
                                                std::int16_t min_thres, std::int16_t max_thres, std::int32_t Px,
                                                std::int32_t Py, std::int32_t Pz, std::int16_t FlagType)
{
    EngineState& s = *state_;
    if (!s.volume.exists())
        return false;
    if (!zvipengine::MarkFlags::validFlag(FlagType))
        return refuse(s, -1);
    VoxelBox box;
    std::vector<std::uint8_t> region;
    if (!growRegion(s, RegionUse::Mark, inc_theta, dec_theta, min_thres, max_thres, Px, Py, Pz, box, region))
        return false;
    zvipengine::MarkFlags::markRegion(maskVolumeOf(s), box, region.data(), FlagType);
    s.volumeChanged();
    return true;
}

bool VazAZUrorav::SetMarkFlagClear(std::int32_t /*ClearMode*/)
{
    EngineState& s = *state_;
    if (!s.volume.exists())
        return false;
    zvipengine::MarkFlags::clearAll(maskVolumeOf(s), s.processorCount);
    s.volumeChanged();
    return true;
}

// ------------------------------------------------------ nodule measurement

bool VazAZUrorav::GetNoduleProperty(float* ValueProperty, std::int32_t NumOfValueProperty, std::int32_t* Histgram,
                                    std::int32_t NumOfHistgramArray, float* MesureProperty,
                                    std::int32_t NumOfMesureProperty, std::int16_t* LineProfile,
                                    std::int32_t NumOfLineProfile)
{
    EngineState& s = *state_;
    if (!s.volume.exists())
        return false;
    const MaskVolume volume = maskVolumeOf(s);
    zvipengine::NoduleMeasurement::Result r;
    if (!zvipengine::NoduleMeasurement::measure(volume, masksOf(s).box(), s.volume.spacingX, s.volume.spacingY,
                                                s.volume.spacingZ, r))
        return refuse(s, -2);
    const double slope = s.volume.baseSlope;
    const double offset = s.volume.baseOffset;
    const bool any = r.count > 0;
    if (ValueProperty != nullptr && NumOfValueProperty >= 4) {
        const double n = static_cast<double>(r.count);
        const double mean = any ? r.sum / n : 0.0;
        const double variance = any ? std::max(0.0, (r.sumOfSquares - r.sum * r.sum / n) / n) : 0.0;
        ValueProperty[0] = any ? static_cast<float>(mean * slope + offset) : 0.0f;
        ValueProperty[1] = any ? static_cast<float>(std::sqrt(variance) * std::fabs(slope)) : 0.0f;
        ValueProperty[2] = any ? static_cast<float>(r.minimum * slope + offset) : 0.0f;
        ValueProperty[3] = any ? static_cast<float>(r.maximum * slope + offset) : 0.0f;
    }
    if (MesureProperty != nullptr && NumOfMesureProperty >= 2) {
        const double voxelVolume =
            std::fabs(static_cast<double>(s.volume.spacingX) * s.volume.spacingY * s.volume.spacingZ);
        MesureProperty[0] = static_cast<float>(static_cast<double>(r.count) * voxelVolume);
        MesureProperty[1] = static_cast<float>(r.diameter);
        if (NumOfMesureProperty >= 8)
            for (int e = 0; e < 2; ++e)
                for (int a = 0; a < 3; ++a)
                    MesureProperty[2 + 3 * e + a] = static_cast<float>(r.ends[e][a]);
    }
    if (Histgram != nullptr && NumOfHistgramArray >= 2) {
        const std::int32_t bins = std::min(NumOfHistgramArray, zvipengine::NoduleMeasurement::HistogramBins);
        for (std::int32_t b = 0; b < bins; ++b)
            Histgram[b] = r.histogram[static_cast<std::size_t>(b)];
    }
    if (LineProfile != nullptr && NumOfLineProfile >= 1)
        zvipengine::NoduleMeasurement::lineProfile(volume, r, NumOfLineProfile, LineProfile);
    return true;
}
