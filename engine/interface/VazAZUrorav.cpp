// VazAZUrorav: properties, volume declaration, slice hand-over, buffers,
// slice queries, ordering and the SpecialMethod dispatch.
#include "ZVIPEngine/VazAZUrorav.h"

#include "AnalysisActions.h"
#include "DebugOutput.h"
#include "EngineState.h"
#include "OrientationClassifier.h"
#include "SliceConversion.h"
#include "SliceOrdering.h"
#include "VolumeStatistics.h"

#include <algorithm>
#include <cmath>
#include <thread>

using zvipengine::BufferTable;
using zvipengine::EngineState;

namespace {

constexpr char VersionText[] = "1, 2a, 5, 928";
constexpr std::int32_t VersionLength = 13;
constexpr std::int32_t MaximumVersionCharacters = 100;

} // namespace

VazAZUrorav::VazAZUrorav() : state_(std::make_unique<EngineState>())
{
    state_->processorCount = static_cast<std::int32_t>(std::max(1u, std::thread::hardware_concurrency()));
}

VazAZUrorav::~VazAZUrorav()
{
    state_->analysis.waitForAll();
}

// ---------------------------------------------------------------- properties

bool VazAZUrorav::IsSigned() const { return state_->isSigned; }
void VazAZUrorav::setIsSigned(bool value) { state_->isSigned = value; }
bool VazAZUrorav::UseBitMask() const { return state_->useBitMask; }
void VazAZUrorav::setUseBitMask(bool value) { state_->useBitMask = value; }
std::int32_t VazAZUrorav::ImageBackColor() const { return state_->imageBackColor; }
void VazAZUrorav::setImageBackColor(std::int32_t value) { state_->imageBackColor = value; }
std::int32_t VazAZUrorav::ErrorNumber() const { return state_->errorNumber; }
void VazAZUrorav::setErrorNumber(std::int32_t value) { state_->errorNumber = value; }
float VazAZUrorav::Xspacing() const { return state_->volume.spacingX; }
float VazAZUrorav::Yspacing() const { return state_->volume.spacingY; }
float VazAZUrorav::Zspacing() const { return state_->volume.spacingZ; }
std::int32_t VazAZUrorav::Xdims() const { return state_->volume.X; }
std::int32_t VazAZUrorav::Ydims() const { return state_->volume.Y; }
std::int32_t VazAZUrorav::Zdims() const { return state_->volume.Z; }
std::int16_t* VazAZUrorav::PtrData() const { return state_->volume.exists() ? state_->volume.samples() : nullptr; }
bool VazAZUrorav::Extracted() const { return state_->extracted; }
const std::uint8_t* VazAZUrorav::StructureMap() const
{
    const zvipengine::ChestAnalyzer& analyzer = state_->analyzer;
    const zvipengine::VolumeStore& volume = state_->volume;
    const bool current = state_->extracted && analyzer.hasInput() && analyzer.X() == volume.X &&
                         analyzer.Y() == volume.Y && analyzer.Z() == volume.Z;
    return current ? analyzer.map().data() : nullptr;
}
bool VazAZUrorav::BitMaskFlag() const { return state_->maskLevelCount != 0; }
std::int32_t VazAZUrorav::SourceOrientationType() const { return state_->volume.orientationType; }
void VazAZUrorav::setSourceOrientationType(std::int32_t) {}
float VazAZUrorav::Xorigin() const { return state_->volume.origin[0]; }
float VazAZUrorav::Yorigin() const { return state_->volume.origin[1]; }
float VazAZUrorav::Zorigin() const { return state_->volume.origin[2]; }

void VazAZUrorav::setThreadFinished(std::function<void()> callback)
{
    state_->threadFinished = std::move(callback);
}

void VazAZUrorav::setAboutBoxHandler(std::function<void()> handler) { state_->aboutBox = std::move(handler); }

void VazAZUrorav::AboutBox()
{
    if (state_->aboutBox)
        state_->aboutBox();
}

// ------------------------------------------------------------ declaration

bool VazAZUrorav::SetDataProfile(std::int32_t ImageWidth, std::int32_t ImageHeight, std::int32_t ImageNum,
                                 double SpacingPixelWidth, double SpacingPixelHeight, double SpacingSlice,
                                 double RSSlope, std::int16_t RSIntercept)
{
    EngineState& s = *state_;
    s.reset();
    const std::int32_t failure = s.volume.declare(ImageWidth, ImageHeight, ImageNum, SpacingPixelWidth,
                                                  SpacingPixelHeight, SpacingSlice, RSSlope, RSIntercept);
    if (failure != 0) {
        s.errorNumber = failure;
        s.reset();
        return false;
    }
    return true;
}

bool VazAZUrorav::SetDICOMProfile(std::int32_t ImageWidth, std::int32_t ImageHeight, std::int32_t ImageNumSlice,
                                  double SpacingWidth, double SpacingHeight, double SpacingSlice,
                                  float ImageOrientationRowX, float ImageOrientationRowY, float ImageOrientationRowZ,
                                  float ImageOrientationColX, float ImageOrientationColY, float ImageOrientationColZ,
                                  double RSSlope, double RSIntercept)
{
    // The base offset is a 16-bit whole number; out-of-range intercepts are
    // refused rather than wrapped.
    const double intercept = std::trunc(RSIntercept);
    if (!(intercept >= -32768.0 && intercept <= 32767.0)) {
        state_->errorNumber = -1;
        state_->reset();
        return false;
    }
    if (!SetDataProfile(ImageWidth, ImageHeight, ImageNumSlice, SpacingWidth, SpacingHeight, SpacingSlice, RSSlope,
                        static_cast<std::int16_t>(intercept)))
        return false;
    zvipengine::VolumeStore& v = state_->volume;
    const float row[3] = {ImageOrientationRowX, ImageOrientationRowY, ImageOrientationRowZ};
    const float column[3] = {ImageOrientationColX, ImageOrientationColY, ImageOrientationColZ};
    for (int a = 0; a < 3; ++a) {
        v.rowCosines[a] = row[a];
        v.columnCosines[a] = column[a];
    }
    const zvipengine::OrientationResult orientation =
        zvipengine::OrientationClassifier::classify(row, column, SpacingSlice);
    v.orientationType = orientation.orientationType;
    v.reverseOrder = orientation.reverseOrder;
    v.spacingZ = static_cast<float>(orientation.spacingSlice);
    return true;
}

// ------------------------------------------------------------ slice hand-over

namespace {

// Checks shared by the four hand-over methods; the target index of the next
// slice, or -1 when the slice must be refused. More slices than declared
// would be written past the volume: refused.
std::int32_t nextTarget(const zvipengine::VolumeStore& v)
{
    if (!v.exists() || v.slicesLoaded >= v.Z)
        return -1;
    return v.reverseOrder ? v.Z - 1 - v.slicesLoaded : v.slicesLoaded;
}

void recordSlice(zvipengine::VolumeStore& v, std::int32_t target, std::int32_t imageNumber, double position)
{
    zvipengine::SliceRecord& r = v.records[static_cast<std::size_t>(target)];
    r.slicePosition = position;
    r.imageNumber = imageNumber;
    r.loadOrder = v.slicesLoaded + 1;
    r.sortKey = imageNumber;
    ++v.slicesLoaded;
}

zvipengine::SliceConversion conversionFor(const zvipengine::VolumeStore& v, double slope, double intercept)
{
    return zvipengine::SliceConversion(slope / v.baseSlope, intercept - v.baseOffset);
}

// Position of the next slice from its patient coordinates: the first slice
// sets the origin and the normal, later ones get their signed distance.
double positionFromCoordinates(zvipengine::VolumeStore& v, std::int32_t target, double x, double y, double z)
{
    zvipengine::SliceRecord& r = v.records[static_cast<std::size_t>(target)];
    r.imagePosition[0] = x;
    r.imagePosition[1] = y;
    r.imagePosition[2] = z;
    if (v.slicesLoaded == 0) {
        v.origin[0] = static_cast<float>(x);
        v.origin[1] = static_cast<float>(y);
        v.origin[2] = static_cast<float>(z);
        const float* R = v.rowCosines;
        const float* C = v.columnCosines;
        v.normal[0] = R[1] * C[2] - R[2] * C[1];
        v.normal[1] = R[2] * C[0] - R[0] * C[2];
        v.normal[2] = R[0] * C[1] - R[1] * C[0];
        return 0.0;
    }
    const double dx = x - v.origin[0];
    const double dy = y - v.origin[1];
    const double dz = z - v.origin[2];
    const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    return dx * v.normal[0] + dy * v.normal[1] + dz * v.normal[2] < 0.0 ? -distance : distance;
}

} // namespace

bool VazAZUrorav::SetDicomImage(const std::int16_t* hImage, std::int32_t ImageNumber, double RSSlope,
                                double RSIntercept, double ImagePosition)
{
    EngineState& s = *state_;
    const std::int32_t target = nextTarget(s.volume);
    if (hImage == nullptr || ImageNumber < 1 || target < 0) {
        s.errorNumber = -1;
        return false;
    }
    zvipengine::VolumeStore& v = s.volume;
    conversionFor(v, RSSlope, RSIntercept)
        .convert16(hImage, s.isSigned, static_cast<std::size_t>(v.sliceSize()), v.loadingSlice(target));
    recordSlice(v, target, ImageNumber, ImagePosition);
    s.volumeChanged();
    return true;
}

std::int16_t* VazAZUrorav::SliceLoadAddress(std::int32_t ahead) const
{
    const zvipengine::VolumeStore& v = state_->volume;
    if (!v.exists() || ahead < 0 || v.slicesLoaded >= v.Z || ahead >= v.Z - v.slicesLoaded)
        return nullptr;
    const std::int32_t loadOrder = v.slicesLoaded + ahead;
    v.placesLent();
    return v.loadingSlice(v.reverseOrder ? v.Z - 1 - loadOrder : loadOrder);
}

bool VazAZUrorav::SetDicomImageInPlace(std::int32_t ImageNumber, double RSSlope, double RSIntercept,
                                       double ImagePosition)
{
    EngineState& s = *state_;
    const std::int32_t target = nextTarget(s.volume);
    if (ImageNumber < 1 || target < 0) {
        s.errorNumber = -1;
        return false;
    }
    zvipengine::VolumeStore& v = s.volume;
    std::int16_t* samples = v.loadingSlice(target);
    conversionFor(v, RSSlope, RSIntercept)
        .convert16(samples, s.isSigned, static_cast<std::size_t>(v.sliceSize()), samples);
    recordSlice(v, target, ImageNumber, ImagePosition);
    s.volumeChanged();
    return true;
}

void VazAZUrorav::ConvertLentSlice(std::int16_t* place, std::size_t count, double RSSlope, double RSIntercept,
                                   bool isSigned) const
{
    conversionFor(state_->volume, RSSlope, RSIntercept).convert16(place, isSigned, count, place);
}

bool VazAZUrorav::SetConvertedImageInPlace(std::int32_t ImageNumber, double ImagePosition)
{
    EngineState& s = *state_;
    const std::int32_t target = nextTarget(s.volume);
    if (ImageNumber < 1 || target < 0) {
        s.errorNumber = -1;
        return false;
    }
    recordSlice(s.volume, target, ImageNumber, ImagePosition);
    s.volumeChanged();
    return true;
}

bool VazAZUrorav::SetDicomImageBits(const std::uint8_t* hImage, std::int32_t BitsAllocated,
                                    std::int32_t ImageNumber, double RSSlope, double RSIntercept,
                                    double ImagePosition)
{
    EngineState& s = *state_;
    if (BitsAllocated == 16)
        return SetDicomImage(reinterpret_cast<const std::int16_t*>(hImage), ImageNumber, RSSlope, RSIntercept,
                             ImagePosition);
    if (BitsAllocated < 1 || BitsAllocated > 16 || ImageNumber < 1 || !s.volume.exists() || hImage == nullptr)
        return false;
    const std::int32_t target = nextTarget(s.volume);
    if (target < 0) {
        s.errorNumber = -1;
        return false;
    }
    zvipengine::VolumeStore& v = s.volume;
    conversionFor(v, RSSlope, RSIntercept)
        .convertPacked(hImage, BitsAllocated, static_cast<std::size_t>(v.sliceSize()), v.loadingSlice(target));
    recordSlice(v, target, ImageNumber, ImagePosition);
    s.volumeChanged();
    return true;
}

bool VazAZUrorav::SetDicomImageInfo(const std::int16_t* hImage, std::int32_t /*AcqNumber*/,
                                    std::int32_t ImageNumber, double RSSlope, double RSIntercept,
                                    double ImagePositionX, double ImagePositionY, double ImagePositionZ)
{
    EngineState& s = *state_;
    // Checked before the record is touched, so that a refused slice leaves
    // neither its position nor the origin behind.
    const std::int32_t target = nextTarget(s.volume);
    if (hImage == nullptr || ImageNumber < 1 || target < 0) {
        s.errorNumber = -1;
        return false;
    }
    const double position = positionFromCoordinates(s.volume, target, ImagePositionX, ImagePositionY, ImagePositionZ);
    return SetDicomImage(hImage, ImageNumber, RSSlope, RSIntercept, position);
}

bool VazAZUrorav::SetDicomImageInfoBits(const std::uint8_t* hImage, std::int32_t BitsAllocated,
                                        std::int32_t /*AcqNumber*/, std::int32_t ImageNumber, double RSSlope,
                                        double RSIntercept, double ImagePositionX, double ImagePositionY,
                                        double ImagePositionZ)
{
    EngineState& s = *state_;
    if (BitsAllocated == 16)
        return SetDicomImageInfo(reinterpret_cast<const std::int16_t*>(hImage), 0, ImageNumber, RSSlope,
                                 RSIntercept, ImagePositionX, ImagePositionY, ImagePositionZ);
    if (BitsAllocated < 1 || BitsAllocated > 16 || ImageNumber < 1 || !s.volume.exists() || hImage == nullptr)
        return false;
    const std::int32_t target = nextTarget(s.volume);
    if (target < 0) {
        s.errorNumber = -1;
        return false;
    }
    const double position = positionFromCoordinates(s.volume, target, ImagePositionX, ImagePositionY, ImagePositionZ);
    return SetDicomImageBits(hImage, BitsAllocated, ImageNumber, RSSlope, RSIntercept, position);
}

// ------------------------------------------------------------------ buffers

namespace {

bool allocateSlot(EngineState& s, std::int32_t id, std::int64_t bytes, std::uint8_t*& address)
{
    switch (s.buffers.allocate(id, bytes, address)) {
    case BufferTable::Result::Done:
        return true;
    case BufferTable::Result::InvalidArgument:
        s.errorNumber = -1;
        return false;
    case BufferTable::Result::NoMemory:
        s.errorNumber = -2;
        return false;
    }
    return false;
}

} // namespace

bool VazAZUrorav::CreateImageBuffer(std::int16_t** phImage, std::int32_t BufferID, std::int32_t BufferSize)
{
    if (phImage == nullptr) {
        state_->errorNumber = -1;
        return false;
    }
    std::uint8_t* address = nullptr;
    const bool done = allocateSlot(*state_, BufferID, std::int64_t{BufferSize} * 2, address);
    *phImage = reinterpret_cast<std::int16_t*>(address);
    return done;
}

bool VazAZUrorav::CreateBuffer(std::uint8_t** phBuffer, std::int32_t BufferID, std::int32_t BufferByte)
{
    if (phBuffer == nullptr) {
        state_->errorNumber = -1;
        return false;
    }
    return allocateSlot(*state_, BufferID, BufferByte, *phBuffer);
}

bool VazAZUrorav::GetBuffer(std::uint8_t** phBuffer, std::int32_t BufferID, std::int32_t* pBufferByte)
{
    if (!BufferTable::validId(BufferID) || phBuffer == nullptr || pBufferByte == nullptr) {
        state_->errorNumber = -1;
        return false;
    }
    *phBuffer = state_->buffers.address(BufferID);
    *pBufferByte = state_->buffers.length(BufferID);
    return true;
}

bool VazAZUrorav::ReleaseBuffer(std::int32_t BufferID)
{
    return state_->buffers.release(BufferID);
}

// ------------------------------------------------------------ slice queries

namespace {

// A slice index answers when a slice was handed over to it. In load order
// these are the indices below the slices loaded; with the reverse order the
// first slices sit at the top of the volume.
bool holdsSlice(const zvipengine::VolumeStore& v, std::int32_t index)
{
    return index >= 0 && index < v.capacity() && v.records[static_cast<std::size_t>(index)].loaded();
}

} // namespace

std::int32_t VazAZUrorav::GetImageNumber(std::int32_t PositionZ) const
{
    const zvipengine::VolumeStore& v = state_->volume;
    if (!holdsSlice(v, PositionZ))
        return -1;
    return v.records[static_cast<std::size_t>(PositionZ)].imageNumber;
}

double VazAZUrorav::GetImageSlicePosition(std::int32_t PositionZ) const
{
    const zvipengine::VolumeStore& v = state_->volume;
    if (!holdsSlice(v, PositionZ))
        return -1.0;
    return v.records[static_cast<std::size_t>(PositionZ)].slicePosition;
}

double VazAZUrorav::GetValueImagePosition(std::int32_t PositionZ, std::int32_t Axis) const
{
    const zvipengine::VolumeStore& v = state_->volume;
    if (!holdsSlice(v, PositionZ) || Axis < 0 || Axis > 2)
        return 0.0;
    return v.records[static_cast<std::size_t>(PositionZ)].imagePosition[Axis];
}

std::int16_t VazAZUrorav::GetValueSourceData(std::int32_t Px, std::int32_t Py, std::int32_t Pz) const
{
    const zvipengine::VolumeStore& v = state_->volume;
    if (!v.exists() || Px < 0 || Py < 0 || Pz < 0 || Px >= v.X || Py >= v.Y || Pz >= v.Z)
        return -1;
    return static_cast<std::int16_t>(v.slice(Pz)[static_cast<std::ptrdiff_t>(v.X) * Py + Px] & 0x3FFF);
}

bool VazAZUrorav::GetValueMinMax(std::int16_t& MinValue, std::int16_t& MaxValue) const
{
    if (!state_->volume.exists())
        return false;
    zvipengine::VolumeStatistics::minMax(state_->volume.view(), state_->maskLevelCount != 0, MinValue, MaxValue);
    return true;
}

bool VazAZUrorav::ChangeDataRange(std::int32_t MaxValue)
{
    EngineState& s = *state_;
    // A negative ceiling would store negative samples, which no operation
    // of the engine expects.
    if (!s.volume.exists() || s.maskLevelCount != 0 || MaxValue < 0)
        return false;
    if (MaxValue >= 32767)
        return true;
    zvipengine::VolumeStatistics::clampAbove(s.volume.samples(), s.volume.sampleCount(),
                                             static_cast<std::int16_t>(MaxValue));
    s.volumeChanged();
    return true;
}

bool VazAZUrorav::GetHistgramVolumeInt(std::int32_t NumOfSamplingPoints, std::int32_t* HistgramData,
                                       std::int16_t RangeMin, std::int16_t RangeMax, std::int32_t& MaxValue)
{
    if (!state_->volume.exists() || NumOfSamplingPoints < 1 || HistgramData == nullptr || RangeMax <= RangeMin)
        return false;
    MaxValue = zvipengine::VolumeStatistics::histogram(state_->volume.view(), NumOfSamplingPoints, HistgramData,
                                                       RangeMin, RangeMax);
    return true;
}

// ----------------------------------------------------------------- ordering

namespace {

bool afterReorder(EngineState& s, bool done)
{
    if (!done)
        s.errorNumber = -2;
    else
        s.volumeChanged();
    return done;
}

} // namespace

bool VazAZUrorav::SortInitialize()
{
    if (!state_->volume.exists())
        return false;
    return afterReorder(*state_, zvipengine::SliceOrdering::sortInitialize(state_->volume));
}

bool VazAZUrorav::SortImageNumber(std::int32_t /*SortMode*/)
{
    if (!state_->volume.exists())
        return false;
    return afterReorder(*state_, zvipengine::SliceOrdering::sortImageNumber(state_->volume));
}

bool VazAZUrorav::SortSlicePosition(std::int32_t SortMode)
{
    if (!state_->volume.exists())
        return false;
    return afterReorder(*state_, zvipengine::SliceOrdering::sortSlicePosition(state_->volume, SortMode));
}

bool VazAZUrorav::DelDicomImage(std::int32_t NumOfDelList, const std::int32_t* DelList)
{
    if (!state_->volume.exists())
        return false;
    return afterReorder(*state_, zvipengine::SliceOrdering::deleteSlices(state_->volume, NumOfDelList, DelList));
}

bool VazAZUrorav::SortZ()
{
    if (!state_->volume.exists())
        return false;
    state_->volume.spacingZ = -state_->volume.spacingZ;
    return true;
}

std::int32_t VazAZUrorav::CheckData(std::int32_t /*Mode*/) const
{
    const zvipengine::VolumeStore& v = state_->volume;
    if (v.Z < 2 || v.capacity() < v.Z)
        return -1;
    auto position = [&](std::int32_t i) { return v.records[static_cast<std::size_t>(i)].slicePosition; };
    const float first = static_cast<float>(position(1) - position(0));
    for (std::int32_t i = 2; i < v.Z; ++i)
        if (std::fabs(first - (position(i) - position(i - 1))) > 0.001)
            return 1;
    return 0;
}

bool VazAZUrorav::ChangeImageNum(std::int32_t ImageNum)
{
    EngineState& s = *state_;
    // Below 1 there would be no volume left to work on.
    if (!s.volume.exists() || ImageNum < 1)
        return false;
    if (ImageNum < s.volume.Z) {
        s.volume.shrink(ImageNum);
        s.volumeChanged();
    }
    s.extracted = false;
    s.debugWritten = false;
    return true;
}

bool VazAZUrorav::GetDimsOfOrthoImage(std::int32_t* ImageDims, std::int32_t Axis) const
{
    if (ImageDims == nullptr)
        return false;
    const zvipengine::VolumeStore& v = state_->volume;
    const double ratio = static_cast<double>(v.spacingZ) / v.spacingX * (v.Z - 1) + 1.0;
    // A zero X spacing gives no ratio; the slices are then shown one row each.
    std::int32_t stretched = v.Z;
    if (std::isfinite(ratio) && std::fabs(ratio) < 1.0e9)
        stretched = static_cast<std::int32_t>(ratio);
    stretched = stretched < 0 ? -stretched : stretched;
    std::int32_t width;
    std::int32_t height;
    switch (v.orientationType) {
    case 0:
        if (Axis == 1) { width = v.X; height = stretched; }
        else if (Axis == 2) { width = v.Y; height = stretched; }
        else { width = v.X; height = v.Y; }
        break;
    case 1:
        if (Axis == 0) { width = v.X; height = stretched; }
        else if (Axis == 2) { width = stretched; height = v.Y; }
        else { width = v.X; height = v.Y; }
        break;
    case 2:
        if (Axis == 0) { width = stretched; height = v.X; }
        else if (Axis == 1) { width = stretched; height = v.Y; }
        else { width = v.X; height = v.Y; }
        break;
    default:
        return true;
    }
    ImageDims[0] = width;
    ImageDims[1] = height;
    return true;
}

// ------------------------------------------------- identity, debug, analysis

void VazAZUrorav::GetVersion(std::string& string, std::int32_t& len) const
{
    const std::int64_t characters =
        std::min<std::int64_t>({std::max<std::int64_t>(len, 0) / 2, MaximumVersionCharacters,
                                static_cast<std::int64_t>(string.size())});
    for (std::int64_t i = 0; i < characters; ++i)
        string[static_cast<std::size_t>(i)] = i < VersionLength ? VersionText[i] : '\0';
    len = VersionLength;
}

void VazAZUrorav::SetDebugOut(const std::string& DirName, const std::string& PatientID, const std::string& SeriesNo)
{
    state_->seriesName = zvipengine::DebugOutput::set(DirName, PatientID, SeriesNo);
}

void VazAZUrorav::SpecialMethod(std::int32_t RegionFlag)
{
    EngineState& s = *state_;
    if (!s.volume.exists())
        return;
    if (RegionFlag == 9) {
        if (!s.bricks.build(s.volume.view()))
            s.errorNumber = -2;
        return;
    }
    if (RegionFlag == 10) {
        s.bricks.clear();
        return;
    }
    zvipengine::runAnalysisAction(s, RegionFlag);
}
