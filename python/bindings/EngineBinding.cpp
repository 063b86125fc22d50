// VazAZUrorav for Python: the published members by name and number. Rules of
// this binding:
// - parameters keep their published names and order;
// - an address the engine writes back (ph...) and a value passed by
//   reference for output are not parameters: they come back as the result
//   (several as a tuple), as automation hosts return them;
// - caller memory (h...) is a numpy array, or None for a new one, filled in
//   place and returned;
// - Create... methods return the numbered buffer itself as an array (no
//   copy); reusing or releasing that buffer while the array lives raises
//   BufferError;
// - a false result raises EngineError carrying ErrorNumber.
#include "EngineHost.h"

#include <pybind11/functional.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace vantorpy {

namespace {

using i16 = std::int16_t;
using i32 = std::int32_t;
using Id = VazAZUrorav::DispId;

// Kept for the life of the process (never released at interpreter exit).
PyObject* engineErrorType = nullptr;

std::string errorMeaning(i32 number)
{
    if (number == -1)
        return "invalid argument or no volume";
    if (number == -2)
        return "no memory";
    if (number > 0)
        return "an allocation of " + std::to_string(number) + " bytes failed";
    return "refused (no volume, or an argument outside its range)";
}

std::int64_t area(i32 width, i32 height)
{
    return width > 0 && height > 0 ? static_cast<std::int64_t>(width) * height : 0;
}

// Bytes of an image of the kind ColorMode names: 16-bit grey, three byte
// planes, or nothing (other modes are a no-op of the engine).
std::int64_t imageBytes(i32 width, i32 height, i32 colorMode)
{
    return colorMode == 0 ? 2 * area(width, height) : colorMode == 1 ? 3 * area(width, height) : 0;
}

py::dtype greyType() { return py::dtype::of<std::int16_t>(); }
py::dtype byteType() { return py::dtype::of<std::uint8_t>(); }

EngineHost& host(const py::object& self) { return self.cast<EngineHost&>(); }

// Numbered buffer `id` lent out with `shape`, or flat when it holds fewer bytes.
py::array lendBuffer(const py::object& self, i32 id, std::vector<py::ssize_t> shape, const py::dtype& type)
{
    EngineHost& h = host(self);
    std::uint8_t* data = nullptr;
    i32 bytes = 0;
    h.engine().GetBuffer(&data, id, &bytes);
    if (data == nullptr)
        return py::array(type, std::vector<py::ssize_t>{0});
    std::int64_t wanted = type.itemsize();
    for (py::ssize_t extent : shape)
        wanted *= extent;
    if (shape.empty() || wanted > bytes)
        shape = {bytes / type.itemsize()};
    return h.lender().lend(static_cast<std::size_t>(id), data, shape, type, self);
}

py::array greyBuffer(const py::object& self, i32 id, i32 width, i32 height)
{
    return lendBuffer(self, id, {std::max(height, 0), std::max(width, 0)}, greyType());
}

py::array colourBuffer(const py::object& self, i32 id, i32 width, i32 height)
{
    return lendBuffer(self, id, {3, std::max(height, 0), std::max(width, 0)}, byteType());
}

const i16* greyInput(const py::array& image, i32 width, i32 height, const char* parameter)
{
    return static_cast<const i16*>(readableMemory(image, 2 * area(width, height), 2, parameter));
}

py::array greyOutput(const py::object& given, i32 width, i32 height, const char* parameter)
{
    return outputArray(given, {std::max(height, 0), std::max(width, 0)}, greyType(), parameter);
}

py::array colourOutput(const py::object& given, i32 width, i32 height, const char* parameter)
{
    return outputArray(given, {3, std::max(height, 0), std::max(width, 0)}, byteType(), parameter);
}

i16* greyData(py::array& image) { return static_cast<i16*>(image.mutable_data()); }

std::vector<float> matrixOf(const py::handle& matrix) { return valuesOf<float>(matrix, 16, "hMatrix"); }

py::array matrixOutput(const py::object& given)
{
    return outputArray(given, {4, 4}, py::dtype::of<float>(), "hMatrix");
}

// The Z-buffer record's image size, after checking that the array holds the
// whole record it announces (and `width` x `height` more when asked).
void checkDepthRecord(const py::array& record, i32 width, i32 height)
{
    readableMemory(record, 128, 0, "hZBuffer");
    i32 size[2];
    std::memcpy(size, record.data(), sizeof size);
    const std::int64_t needed = 128 + 2 * std::max(area(size[0], size[1]), area(width, height));
    if (size[0] < 0 || size[1] < 0)
        throw py::value_error("hZBuffer: not a depth record (negative image size)");
    readableMemory(record, needed, 0, "hZBuffer");
}

// Opacity and colour tables: NumOfParam positions and values.
struct Table {
    std::vector<i16> positions;
    std::vector<float> opacities;
    Table(i32 count, const py::handle& positionValues, const py::handle& opacityValues)
        : positions(valuesOf<i16>(positionValues, count, "ParamPosition")),
          opacities(valuesOf<float>(opacityValues, count, "ParamValues"))
    {
    }
};

template <typename Func, typename... Extra>
void method(py::class_<EngineHost>& cls, DispatchTable& table, Id id, const char* name, Func&& f,
            const Extra&... extra)
{
    cls.def(name, std::forward<Func>(f), extra...);
    table[static_cast<i32>(id)] = {name, false};
}

} // namespace

#define MEMBER(Name, ...) method(cls, table, Id::Name, #Name, __VA_ARGS__)

void setEngineErrorType(const py::object& type) { engineErrorType = type.inc_ref().ptr(); }

EngineHost::EngineHost() : engine_(std::make_unique<VazAZUrorav>()) {}

EngineHost::~EngineHost()
{
    // The engine waits for its analysis thread, whose ThreadFinished needs
    // the interpreter lock.
    py::gil_scoped_release release;
    engine_.reset();
}

void EngineHost::raiseEngineError(const std::string& member, std::int32_t errorNumber)
{
    py::object error = py::handle(engineErrorType)(member + " failed: ErrorNumber " + std::to_string(errorNumber) + " (" +
                                       errorMeaning(errorNumber) + ")");
    error.attr("member") = member;
    error.attr("error_number") = errorNumber;
    PyErr_SetObject(engineErrorType, error.ptr());
    throw py::error_already_set();
}

void EngineHost::requireSlotFree(std::int32_t bufferId, const char* member) const
{
    if (bufferId >= 0 && bufferId < 100)
        lender_.requireFree(static_cast<std::size_t>(bufferId),
                            std::string(member) + " on buffer " + std::to_string(bufferId));
}

void EngineHost::requireVolumeFree(const char* member) const
{
    lender_.requireFree(VolumeSlot, std::string(member) + " (the volume)");
    lender_.requireFree(StructureMapSlot, std::string(member) + " (the structure map)");
}

void EngineHost::setThreadFinished(const py::object& callable)
{
    if (callable.is_none()) {
        engine_->setThreadFinished({});
        threadFinished_.reset();
        return;
    }
    if (!PyCallable_Check(callable.ptr()))
        throw py::type_error("ThreadFinished: a callable or None is needed");
    // Released with the interpreter lock, from whichever thread drops it last.
    std::shared_ptr<py::object> target(new py::object(callable), [](py::object* object) {
        py::gil_scoped_acquire acquire;
        delete object;
    });
    threadFinished_ = target;
    engine_->setThreadFinished([target] {
        py::gil_scoped_acquire acquire;
        try {
            (*target)();
        } catch (py::error_already_set& error) {
            error.discard_as_unraisable("vantor.VazAZUrorav.ThreadFinished");
        }
    });
}

void registerEngine(py::module_& module)
{
    py::class_<EngineHost> cls(module, "VazAZUrorav",
                               "The image-processing engine: one CT volume, its numbered output buffers, "
                               "reformats, projections, renderings, masks, iso-surface and lung analysis.");
    DispatchTable table;
    cls.def(py::init<>());

    // ---- properties (numbers 1..17)
    auto property = [&](Id id, const char* name, auto getter, auto setter) {
        if constexpr (std::is_same_v<decltype(setter), std::nullptr_t>)
            cls.def_property_readonly(name, getter);
        else
            cls.def_property(name, getter, setter);
        table[static_cast<i32>(id)] = {name, true};
    };
    property(Id::IsSigned, "IsSigned", [](EngineHost& h) { return h.engine().IsSigned(); },
             [](EngineHost& h, bool v) { h.engine().setIsSigned(v); });
    property(Id::UseBitMask, "UseBitMask", [](EngineHost& h) { return h.engine().UseBitMask(); },
             [](EngineHost& h, bool v) { h.engine().setUseBitMask(v); });
    property(Id::ImageBackColor, "ImageBackColor", [](EngineHost& h) { return h.engine().ImageBackColor(); },
             [](EngineHost& h, i32 v) { h.engine().setImageBackColor(v); });
    property(Id::ErrorNumber, "ErrorNumber", [](EngineHost& h) { return h.engine().ErrorNumber(); },
             [](EngineHost& h, i32 v) { h.engine().setErrorNumber(v); });
    property(Id::Xspacing, "Xspacing", [](EngineHost& h) { return h.engine().Xspacing(); }, nullptr);
    property(Id::Yspacing, "Yspacing", [](EngineHost& h) { return h.engine().Yspacing(); }, nullptr);
    property(Id::Zspacing, "Zspacing", [](EngineHost& h) { return h.engine().Zspacing(); }, nullptr);
    property(Id::Xdims, "Xdims", [](EngineHost& h) { return h.engine().Xdims(); }, nullptr);
    property(Id::Ydims, "Ydims", [](EngineHost& h) { return h.engine().Ydims(); }, nullptr);
    property(Id::Zdims, "Zdims", [](EngineHost& h) { return h.engine().Zdims(); }, nullptr);
    property(Id::PtrData, "PtrData",
             [](EngineHost& h) { return reinterpret_cast<std::uintptr_t>(h.engine().PtrData()); }, nullptr);
    property(Id::Extracted, "Extracted", [](EngineHost& h) { return h.engine().Extracted(); }, nullptr);
    property(Id::BitMaskFlag, "BitMaskFlag", [](EngineHost& h) { return h.engine().BitMaskFlag(); }, nullptr);
    property(Id::SourceOrientationType, "SourceOrientationType",
             [](EngineHost& h) { return h.engine().SourceOrientationType(); },
             [](EngineHost& h, i32 v) { h.engine().setSourceOrientationType(v); });
    property(Id::Xorigin, "Xorigin", [](EngineHost& h) { return h.engine().Xorigin(); }, nullptr);
    property(Id::Yorigin, "Yorigin", [](EngineHost& h) { return h.engine().Yorigin(); }, nullptr);
    property(Id::Zorigin, "Zorigin", [](EngineHost& h) { return h.engine().Zorigin(); }, nullptr);
    cls.def_property(
        "ThreadFinished", [](EngineHost& h) { return h.threadFinished(); },
        [](EngineHost& h, const py::object& f) { h.setThreadFinished(f); },
        "Callable run (on the analysis thread, with the interpreter lock) when a background analysis has run.");

    // ---- volume declaration and slices
    MEMBER(SetDataProfile,
           [](EngineHost& h, i32 ImageWidth, i32 ImageHeight, i32 ImageNum, double SpacingPixelWidth,
              double SpacingPixelHeight, double SpacingSlice, double RSSlope, i16 RSIntercept) {
               h.requireVolumeFree("SetDataProfile");
               h.lender().requireAllFree("SetDataProfile");
               h.run("SetDataProfile", [&](VazAZUrorav& e) {
                   return e.SetDataProfile(ImageWidth, ImageHeight, ImageNum, SpacingPixelWidth, SpacingPixelHeight,
                                           SpacingSlice, RSSlope, RSIntercept);
               });
           },
           py::arg("ImageWidth"), py::arg("ImageHeight"), py::arg("ImageNum"), py::arg("SpacingPixelWidth"),
           py::arg("SpacingPixelHeight"), py::arg("SpacingSlice"), py::arg("RSSlope"), py::arg("RSIntercept"));
    MEMBER(SetDICOMProfile,
           [](EngineHost& h, i32 ImageWidth, i32 ImageHeight, i32 ImageNumSlice, double SpacingWidth,
              double SpacingHeight, double SpacingSlice, float RowX, float RowY, float RowZ, float ColX, float ColY,
              float ColZ, double RSSlope, double RSIntercept) {
               h.requireVolumeFree("SetDICOMProfile");
               h.lender().requireAllFree("SetDICOMProfile");
               h.run("SetDICOMProfile", [&](VazAZUrorav& e) {
                   return e.SetDICOMProfile(ImageWidth, ImageHeight, ImageNumSlice, SpacingWidth, SpacingHeight,
                                            SpacingSlice, RowX, RowY, RowZ, ColX, ColY, ColZ, RSSlope, RSIntercept);
               });
           },
           py::arg("ImageWidth"), py::arg("ImageHeight"), py::arg("ImageNumSlice"), py::arg("SpacingWidth"),
           py::arg("SpacingHeight"), py::arg("SpacingSlice"), py::arg("ImageOrientationRowX"),
           py::arg("ImageOrientationRowY"), py::arg("ImageOrientationRowZ"), py::arg("ImageOrientationColX"),
           py::arg("ImageOrientationColY"), py::arg("ImageOrientationColZ"), py::arg("RSSlope"),
           py::arg("RSIntercept"));
    MEMBER(SetDicomImage,
           [](EngineHost& h, const py::array& hImage, i32 ImageNumber, double RSSlope, double RSIntercept,
              double ImagePosition) {
               const i16* pixels = greyInput(hImage, h.engine().Xdims(), h.engine().Ydims(), "hImage");
               h.run("SetDicomImage", [&](VazAZUrorav& e) {
                   return e.SetDicomImage(pixels, ImageNumber, RSSlope, RSIntercept, ImagePosition);
               });
           },
           py::arg("hImage"), py::arg("ImageNumber"), py::arg("RSSlope"), py::arg("RSIntercept"),
           py::arg("ImagePosition"));
    // Packed pixels are copied with two bytes of padding: the engine reads a
    // 16-bit word at the byte of each pixel's first bit.
    auto packedPixels = [](EngineHost& h, const py::array& image, i32 bits) {
        const std::int64_t count = area(h.engine().Xdims(), h.engine().Ydims());
        const std::int64_t bytes = (count * std::clamp(bits, 1, 16) + 7) / 8;
        const auto* data = static_cast<const std::uint8_t*>(readableMemory(image, bytes, 0, "hImage"));
        std::vector<std::uint8_t> padded(static_cast<std::size_t>(bytes) + 2, 0);
        std::copy_n(data, bytes, padded.begin());
        return padded;
    };
    MEMBER(SetDicomImageBits,
           [packedPixels](EngineHost& h, const py::array& hImage, i32 BitsAllocated, i32 ImageNumber, double RSSlope,
                          double RSIntercept, double ImagePosition) {
               const std::vector<std::uint8_t> pixels = packedPixels(h, hImage, BitsAllocated);
               h.run("SetDicomImageBits", [&](VazAZUrorav& e) {
                   return e.SetDicomImageBits(pixels.data(), BitsAllocated, ImageNumber, RSSlope, RSIntercept,
                                              ImagePosition);
               });
           },
           py::arg("hImage"), py::arg("BitsAllocated"), py::arg("ImageNumber"), py::arg("RSSlope"),
           py::arg("RSIntercept"), py::arg("ImagePosition"));
    MEMBER(SetDicomImageInfo,
           [](EngineHost& h, const py::array& hImage, i32 AcqNumber, i32 ImageNumber, double RSSlope,
              double RSIntercept, double X, double Y, double Z) {
               const i16* pixels = greyInput(hImage, h.engine().Xdims(), h.engine().Ydims(), "hImage");
               h.run("SetDicomImageInfo", [&](VazAZUrorav& e) {
                   return e.SetDicomImageInfo(pixels, AcqNumber, ImageNumber, RSSlope, RSIntercept, X, Y, Z);
               });
           },
           py::arg("hImage"), py::arg("AcqNumber"), py::arg("ImageNumber"), py::arg("RSSlope"),
           py::arg("RSIntercept"), py::arg("ImagePositionX"), py::arg("ImagePositionY"), py::arg("ImagePositionZ"));
    MEMBER(SetDicomImageInfoBits,
           [packedPixels](EngineHost& h, const py::array& hImage, i32 BitsAllocated, i32 AcqNumber, i32 ImageNumber,
                          double RSSlope, double RSIntercept, double X, double Y, double Z) {
               const std::vector<std::uint8_t> pixels = packedPixels(h, hImage, BitsAllocated);
               h.run("SetDicomImageInfoBits", [&](VazAZUrorav& e) {
                   return e.SetDicomImageInfoBits(pixels.data(), BitsAllocated, AcqNumber, ImageNumber, RSSlope,
                                                  RSIntercept, X, Y, Z);
               });
           },
           py::arg("hImage"), py::arg("BitsAllocated"), py::arg("AcqNumber"), py::arg("ImageNumber"),
           py::arg("RSSlope"), py::arg("RSIntercept"), py::arg("ImagePositionX"), py::arg("ImagePositionY"),
           py::arg("ImagePositionZ"));

    // ---- numbered buffers
    MEMBER(CreateImageBuffer,
           [](const py::object& self, i32 BufferID, i32 BufferSize) {
               EngineHost& h = host(self);
               h.requireSlotFree(BufferID, "CreateImageBuffer");
               i16* address = nullptr;
               h.run("CreateImageBuffer",
                     [&](VazAZUrorav& e) { return e.CreateImageBuffer(&address, BufferID, BufferSize); });
               return lendBuffer(self, BufferID, {BufferSize}, greyType());
           },
           py::arg("BufferID"), py::arg("BufferSize"));
    MEMBER(CreateBuffer,
           [](const py::object& self, i32 BufferID, i32 BufferByte) {
               EngineHost& h = host(self);
               h.requireSlotFree(BufferID, "CreateBuffer");
               std::uint8_t* address = nullptr;
               h.run("CreateBuffer", [&](VazAZUrorav& e) { return e.CreateBuffer(&address, BufferID, BufferByte); });
               return lendBuffer(self, BufferID, {BufferByte}, byteType());
           },
           py::arg("BufferID"), py::arg("BufferByte"));
    MEMBER(GetBuffer,
           [](const py::object& self, i32 BufferID) -> py::object {
               EngineHost& h = host(self);
               std::uint8_t* address = nullptr;
               i32 bytes = 0;
               h.run("GetBuffer", [&](VazAZUrorav& e) { return e.GetBuffer(&address, BufferID, &bytes); });
               if (address == nullptr)
                   return py::none();
               return lendBuffer(self, BufferID, {bytes}, byteType());
           },
           py::arg("BufferID"), "The bytes of the numbered buffer (no copy), or None for an empty slot.");
    MEMBER(ReleaseBuffer,
           [](EngineHost& h, i32 BufferID) {
               h.requireSlotFree(BufferID, "ReleaseBuffer");
               h.run("ReleaseBuffer", [&](VazAZUrorav& e) { return e.ReleaseBuffer(BufferID); });
           },
           py::arg("BufferID"));

    // ---- slice queries and value range
    MEMBER(GetImageNumber, [](EngineHost& h, i32 PositionZ) { return h.engine().GetImageNumber(PositionZ); },
           py::arg("PositionZ"));
    MEMBER(GetImageSlicePosition,
           [](EngineHost& h, i32 PositionZ) { return h.engine().GetImageSlicePosition(PositionZ); },
           py::arg("PositionZ"));
    MEMBER(GetValueImagePosition,
           [](EngineHost& h, i32 PositionZ, i32 Axis) { return h.engine().GetValueImagePosition(PositionZ, Axis); },
           py::arg("PositionZ"), py::arg("Axis"));
    MEMBER(GetValueSourceData,
           [](EngineHost& h, i32 Px, i32 Py, i32 Pz) { return h.engine().GetValueSourceData(Px, Py, Pz); },
           py::arg("Px"), py::arg("Py"), py::arg("Pz"));
    MEMBER(GetValueMinMax, [](EngineHost& h) {
        i16 low = 0, high = 0;
        h.run("GetValueMinMax", [&](VazAZUrorav& e) { return e.GetValueMinMax(low, high); });
        return py::make_tuple(low, high);
    });
    MEMBER(ChangeDataRange,
           [](EngineHost& h, i32 MaxValue) {
               h.run("ChangeDataRange", [&](VazAZUrorav& e) { return e.ChangeDataRange(MaxValue); });
           },
           py::arg("MaxValue"));
    MEMBER(GetHistgramVolumeInt,
           [](EngineHost& h, i32 NumOfSamplingPoints, const py::object& HistgramData, i16 RangeMin, i16 RangeMax) {
               py::array histogram = outputArray(HistgramData, {std::max(NumOfSamplingPoints, 0)},
                                                 py::dtype::of<i32>(), "HistgramData");
               i32 largest = 0;
               auto* counts = static_cast<i32*>(histogram.mutable_data());
               h.run("GetHistgramVolumeInt", [&](VazAZUrorav& e) {
                   return e.GetHistgramVolumeInt(NumOfSamplingPoints, counts, RangeMin, RangeMax, largest);
               });
               return py::make_tuple(histogram, largest);
           },
           py::arg("NumOfSamplingPoints"), py::arg("HistgramData"), py::arg("RangeMin"),
           py::arg("RangeMax"));

    // ---- ordering and checks
    MEMBER(SortInitialize, [](EngineHost& h) { h.run("SortInitialize", [](VazAZUrorav& e) { return e.SortInitialize(); }); });
    MEMBER(SortImageNumber,
           [](EngineHost& h, i32 SortMode) {
               h.run("SortImageNumber", [&](VazAZUrorav& e) { return e.SortImageNumber(SortMode); });
           },
           py::arg("SortMode") = 0);
    MEMBER(SortSlicePosition,
           [](EngineHost& h, i32 SortMode) {
               h.run("SortSlicePosition", [&](VazAZUrorav& e) { return e.SortSlicePosition(SortMode); });
           },
           py::arg("SortMode") = 0);
    MEMBER(DelDicomImage,
           [](EngineHost& h, i32 NumOfDelList, const py::object& DelList) {
               const std::vector<i32> list = valuesOf<i32>(DelList, NumOfDelList, "DelList");
               h.run("DelDicomImage", [&](VazAZUrorav& e) { return e.DelDicomImage(NumOfDelList, list.data()); });
           },
           py::arg("NumOfDelList"), py::arg("DelList"));
    MEMBER(SortZ, [](EngineHost& h) { h.run("SortZ", [](VazAZUrorav& e) { return e.SortZ(); }); });
    MEMBER(CheckData, [](EngineHost& h, i32 Mode) { return h.engine().CheckData(Mode); }, py::arg("Mode") = 0);
    MEMBER(ChangeImageNum,
           [](EngineHost& h, i32 ImageNum) {
               h.requireVolumeFree("ChangeImageNum");
               h.run("ChangeImageNum", [&](VazAZUrorav& e) { return e.ChangeImageNum(ImageNum); });
           },
           py::arg("ImageNum"));
    MEMBER(GetDimsOfOrthoImage,
           [](EngineHost& h, i32 Axis) {
               i32 dims[2] = {0, 0};
               h.run("GetDimsOfOrthoImage", [&](VazAZUrorav& e) { return e.GetDimsOfOrthoImage(dims, Axis); });
               return py::make_tuple(dims[0], dims[1]);
           },
           py::arg("Axis"));

    // ---- identity, debugging, analysis
    MEMBER(GetVersion, [](EngineHost& h) {
        std::string text(200, '\0');
        i32 length = 200;
        h.engine().GetVersion(text, length);
        return text.substr(0, static_cast<std::size_t>(std::clamp(length, 0, 200)));
    });
    MEMBER(SetDebugOut,
           [](EngineHost& h, const std::string& DirName, const std::string& PatientID, const std::string& SeriesNo) {
               h.engine().SetDebugOut(DirName, PatientID, SeriesNo);
           },
           py::arg("DirName"), py::arg("PatientID"), py::arg("SeriesNo"));
    MEMBER(SpecialMethod,
           [](EngineHost& h, i32 RegionFlag) {
               // A run replaces the structure map an array may show.
               if (RegionFlag != 0 && RegionFlag != 9 && RegionFlag != 10 && !h.engine().Extracted())
                   h.lender().requireFree(EngineHost::StructureMapSlot, "SpecialMethod (the structure map)");
               h.run("SpecialMethod", [&](VazAZUrorav& e) {
                   e.SpecialMethod(RegionFlag);
                   return RegionFlag < 0 || e.ErrorNumber() == 0;
               });
           },
           py::arg("RegionFlag"));
    MEMBER(AboutBox, [](EngineHost& h) {
        std::string text(200, '\0');
        i32 length = 200;
        h.engine().GetVersion(text, length);
        py::print("VazAZUrorav", text.substr(0, static_cast<std::size_t>(std::clamp(length, 0, 200))));
    });

    // ---- matrices: hMatrix is caller memory (a 4 x 4 float32 array or None)
    MEMBER(MathMatrix,
           [](EngineHost& h, const py::object& A, const py::object& B, const py::object& AB) {
               const std::vector<float> a = matrixOf(A), b = matrixOf(B);
               py::array out = matrixOutput(AB);
               h.run("MathMatrix", [&](VazAZUrorav& e) {
                   return e.MathMatrix(a.data(), b.data(), static_cast<float*>(out.mutable_data()));
               });
               return out;
           },
           py::arg("hMatrix_A"), py::arg("hMatrix_B"), py::arg("hMatrix_AB") = py::none());
    MEMBER(GetMatrixInvert,
           [](EngineHost& h, const py::object& Dest, const py::object& Src) {
               const std::vector<float> source = matrixOf(Src);
               py::array out = matrixOutput(Dest);
               h.run("GetMatrixInvert", [&](VazAZUrorav& e) {
                   return e.GetMatrixInvert(static_cast<float*>(out.mutable_data()), source.data());
               });
               return out;
           },
           py::arg("hMatrixDest"), py::arg("hMatrixSrc"));
    auto defaultMatrix = [&](Id id, const char* name, bool (VazAZUrorav::*build)(float*) const) {
        method(
            cls, table, id, name,
            [name, build](EngineHost& h, const py::object& hMatrix) {
                py::array out = matrixOutput(hMatrix);
                h.run(name, [&](VazAZUrorav& e) { return (e.*build)(static_cast<float*>(out.mutable_data())); });
                return out;
            },
            py::arg("hMatrix") = py::none());
    };
    defaultMatrix(Id::GetMatrixDefault, "GetMatrixDefault", &VazAZUrorav::GetMatrixDefault);
    defaultMatrix(Id::GetMatrixDefaultSagittal, "GetMatrixDefaultSagittal", &VazAZUrorav::GetMatrixDefaultSagittal);
    defaultMatrix(Id::GetMatrixDefaultCoronal, "GetMatrixDefaultCoronal", &VazAZUrorav::GetMatrixDefaultCoronal);
    using RotateBuilder = bool (VazAZUrorav::*)(float*, float, float, float, float, float, float, float) const;
    auto rotateMatrix = [&](Id id, const char* name, RotateBuilder build) {
        method(
            cls, table, id, name,
            [name, build](EngineHost& h, const py::object& hMatrix, float Px, float Py, float Pz, float Vx, float Vy,
                          float Vz, float theta) {
                py::array out = matrixOutput(hMatrix);
                h.run(name, [&](VazAZUrorav& e) {
                    return (e.*build)(static_cast<float*>(out.mutable_data()), Px, Py, Pz, Vx, Vy, Vz, theta);
                });
                return out;
            },
            py::arg("hMatrix"), py::arg("Px"), py::arg("Py"), py::arg("Pz"), py::arg("Vx"), py::arg("Vy"),
            py::arg("Vz"), py::arg("theta"));
    };
    rotateMatrix(Id::GetMatrixRotate, "GetMatrixRotate", &VazAZUrorav::GetMatrixRotate);
    rotateMatrix(Id::GetMatrixAxialRotate, "GetMatrixAxialRotate", &VazAZUrorav::GetMatrixAxialRotate);
    rotateMatrix(Id::GetMatrixCoronalRotate, "GetMatrixCoronalRotate", &VazAZUrorav::GetMatrixCoronalRotate);
    rotateMatrix(Id::GetMatrixSagittalRotate, "GetMatrixSagittalRotate", &VazAZUrorav::GetMatrixSagittalRotate);
    rotateMatrix(Id::GetMatrixTAxialRotate, "GetMatrixTAxialRotate", &VazAZUrorav::GetMatrixTAxialRotate);
    rotateMatrix(Id::GetMatrixTCoronalRotate, "GetMatrixTCoronalRotate", &VazAZUrorav::GetMatrixTCoronalRotate);
    rotateMatrix(Id::GetMatrixTSagittalRotate, "GetMatrixTSagittalRotate", &VazAZUrorav::GetMatrixTSagittalRotate);
    MEMBER(GetMatrixOrientation,
           [](EngineHost& h, const py::object& hMatrix, float RowX, float RowY, float RowZ, float ColX, float ColY,
              float ColZ, float CenterX, float CenterY, float CenterZ) {
               py::array out = matrixOutput(hMatrix);
               h.run("GetMatrixOrientation", [&](VazAZUrorav& e) {
                   return e.GetMatrixOrientation(static_cast<float*>(out.mutable_data()), RowX, RowY, RowZ, ColX,
                                                 ColY, ColZ, CenterX, CenterY, CenterZ);
               });
               return out;
           },
           py::arg("hMatrix"), py::arg("OrientationRowX"), py::arg("OrientationRowY"), py::arg("OrientationRowZ"),
           py::arg("OrientationColX"), py::arg("OrientationColY"), py::arg("OrientationColZ"),
           py::arg("CenterPositionX"), py::arg("CenterPositionY"), py::arg("CenterPositionZ"));

    // ---- orthogonal reformat and slab projections
    MEMBER(CreateImageOrthoMPR,
           [](const py::object& self, i32 BufNum, i32 Width, i32 Height, i32 Axis, i32 Plane) {
               EngineHost& h = host(self);
               h.requireSlotFree(BufNum, "CreateImageOrthoMPR");
               i16* address = nullptr;
               h.run("CreateImageOrthoMPR", [&](VazAZUrorav& e) {
                   return e.CreateImageOrthoMPR(&address, BufNum, Width, Height, Axis, Plane);
               });
               return greyBuffer(self, BufNum, Width, Height);
           },
           py::arg("BufNum"), py::arg("Width"), py::arg("Height"), py::arg("Axis"), py::arg("Plane"));
    MEMBER(GetImageOrthoMPR,
           [](EngineHost& h, const py::object& hImage, i32 Width, i32 Height, i32 Axis, i32 Plane) {
               py::array out = greyOutput(hImage, Width, Height, "hImage");
               i16* data = greyData(out);
               h.run("GetImageOrthoMPR",
                     [&](VazAZUrorav& e) { return e.GetImageOrthoMPR(data, Width, Height, Axis, Plane); });
               return out;
           },
           py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("Axis"), py::arg("Plane"));
    using OrthoCreate = bool (VazAZUrorav::*)(i16**, i32, i32, i32, i32, i32, i32);
    using OrthoGet = bool (VazAZUrorav::*)(i16*, i32, i32, i32, i32, i32);
    auto orthoCreate = [&](Id id, const char* name, OrthoCreate create) {
        method(
            cls, table, id, name,
            [name, create](const py::object& self, i32 BufferID, i32 Width, i32 Height, i32 Axis, i32 Plane,
                           i32 PlaneDepth) {
                EngineHost& h = host(self);
                h.requireSlotFree(BufferID, name);
                i16* address = nullptr;
                h.run(name, [&](VazAZUrorav& e) {
                    return (e.*create)(&address, BufferID, Width, Height, Axis, Plane, PlaneDepth);
                });
                return greyBuffer(self, BufferID, Width, Height);
            },
            py::arg("BufferID"), py::arg("Width"), py::arg("Height"), py::arg("Axis"), py::arg("Plane"),
            py::arg("PlaneDepth"));
    };
    auto orthoGet = [&](Id id, const char* name, OrthoGet get) {
        method(
            cls, table, id, name,
            [name, get](EngineHost& h, const py::object& hImage, i32 Width, i32 Height, i32 Axis, i32 Plane,
                        i32 PlaneDepth) {
                py::array out = greyOutput(hImage, Width, Height, "hImage");
                i16* data = greyData(out);
                h.run(name, [&](VazAZUrorav& e) { return (e.*get)(data, Width, Height, Axis, Plane, PlaneDepth); });
                return out;
            },
            py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("Axis"), py::arg("Plane"),
            py::arg("PlaneDepth"));
    };
    orthoCreate(Id::CreateImageOrthoMIP, "CreateImageOrthoMIP", &VazAZUrorav::CreateImageOrthoMIP);
    orthoCreate(Id::CreateImageOrthoMinIP, "CreateImageOrthoMinIP", &VazAZUrorav::CreateImageOrthoMinIP);
    orthoCreate(Id::CreateImageOrthoSum, "CreateImageOrthoSum", &VazAZUrorav::CreateImageOrthoSum);
    orthoGet(Id::GetImageOrthoMIP, "GetImageOrthoMIP", &VazAZUrorav::GetImageOrthoMIP);
    orthoGet(Id::GetImageOrthoMinIP, "GetImageOrthoMinIP", &VazAZUrorav::GetImageOrthoMinIP);

    // ---- oblique reformat and slab projections
    MEMBER(CreateImageMPRMatrix,
           [](const py::object& self, i32 BufferID, i32 Width, i32 Height, float PixelSpacing, i32 Plane,
              const py::object& hMatrix) {
               EngineHost& h = host(self);
               const std::vector<float> matrix = matrixOf(hMatrix);
               h.requireSlotFree(BufferID, "CreateImageMPRMatrix");
               i16* address = nullptr;
               h.run("CreateImageMPRMatrix", [&](VazAZUrorav& e) {
                   return e.CreateImageMPRMatrix(&address, BufferID, Width, Height, PixelSpacing, Plane, matrix.data());
               });
               return greyBuffer(self, BufferID, Width, Height);
           },
           py::arg("BufferID"), py::arg("Width"), py::arg("Height"), py::arg("PixelSpacing"), py::arg("Plane"),
           py::arg("hMatrix"));
    MEMBER(GetImageMPRMatrix,
           [](EngineHost& h, const py::object& hImage, i32 Width, i32 Height, i32 Plane, const py::object& hMatrix) {
               const std::vector<float> matrix = matrixOf(hMatrix);
               py::array out = greyOutput(hImage, Width, Height, "hImage");
               i16* data = greyData(out);
               h.run("GetImageMPRMatrix",
                     [&](VazAZUrorav& e) { return e.GetImageMPRMatrix(data, Width, Height, Plane, matrix.data()); });
               return out;
           },
           py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("Plane"), py::arg("hMatrix"));
    using SlabCreate = bool (VazAZUrorav::*)(i16**, i32, i32, i32, float, i32, i32, const float*);
    using SlabGet = bool (VazAZUrorav::*)(i16*, i32, i32, float, i32, i32, const float*);
    using SlabPart = bool (VazAZUrorav::*)(i32, i32, i16*, i32, i32, float, i32, i32, const float*);
    auto slabCreate = [&](Id id, const char* name, SlabCreate create) {
        method(
            cls, table, id, name,
            [name, create](const py::object& self, i32 BufferID, i32 Width, i32 Height, float PixelSpacing, i32 Plane,
                           i32 PlaneDepth, const py::object& hMatrix) {
                EngineHost& h = host(self);
                const std::vector<float> matrix = matrixOf(hMatrix);
                h.requireSlotFree(BufferID, name);
                i16* address = nullptr;
                h.run(name, [&](VazAZUrorav& e) {
                    return (e.*create)(&address, BufferID, Width, Height, PixelSpacing, Plane, PlaneDepth,
                                       matrix.data());
                });
                return greyBuffer(self, BufferID, Width, Height);
            },
            py::arg("BufferID"), py::arg("Width"), py::arg("Height"), py::arg("PixelSpacing"), py::arg("Plane"),
            py::arg("PlaneDepth"), py::arg("hMatrix"));
    };
    auto slabGet = [&](Id id, const char* name, SlabGet get) {
        method(
            cls, table, id, name,
            [name, get](EngineHost& h, const py::object& hImage, i32 Width, i32 Height, float PixelSpacing, i32 Plane,
                        i32 PlaneDepth, const py::object& hMatrix) {
                const std::vector<float> matrix = matrixOf(hMatrix);
                py::array out = greyOutput(hImage, Width, Height, "hImage");
                i16* data = greyData(out);
                h.run(name, [&](VazAZUrorav& e) {
                    return (e.*get)(data, Width, Height, PixelSpacing, Plane, PlaneDepth, matrix.data());
                });
                return out;
            },
            py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("PixelSpacing"), py::arg("Plane"),
            py::arg("PlaneDepth"), py::arg("hMatrix"));
    };
    auto slabPart = [&](Id id, const char* name, SlabPart part) {
        method(
            cls, table, id, name,
            [name, part](EngineHost& h, i32 Part, i32 PartHeight, const py::object& hImage, i32 Width, i32 Height,
                         float PixelSpacing, i32 Plane, i32 PlaneDepth, const py::object& hMatrix) {
                const std::vector<float> matrix = matrixOf(hMatrix);
                py::array out = greyOutput(hImage, Width, Height, "hImage");
                i16* data = greyData(out);
                h.run(name, [&](VazAZUrorav& e) {
                    return (e.*part)(Part, PartHeight, data, Width, Height, PixelSpacing, Plane, PlaneDepth,
                                     matrix.data());
                });
                return out;
            },
            py::arg("Part"), py::arg("PartHeight"), py::arg("hImage"), py::arg("Width"), py::arg("Height"),
            py::arg("PixelSpacing"), py::arg("Plane"), py::arg("PlaneDepth"), py::arg("hMatrix"));
    };
    slabCreate(Id::CreateImageMIPMatrix, "CreateImageMIPMatrix", &VazAZUrorav::CreateImageMIPMatrix);
    slabCreate(Id::CreateImageMinIPMatrix, "CreateImageMinIPMatrix", &VazAZUrorav::CreateImageMinIPMatrix);
    slabCreate(Id::CreateImageSumMatrix, "CreateImageSumMatrix", &VazAZUrorav::CreateImageSumMatrix);
    slabGet(Id::GetImageMIPMatrix, "GetImageMIPMatrix", &VazAZUrorav::GetImageMIPMatrix);
    slabGet(Id::GetImageMIPMatrixAdd, "GetImageMIPMatrixAdd", &VazAZUrorav::GetImageMIPMatrixAdd);
    slabGet(Id::GetImageMinIPMatrix, "GetImageMinIPMatrix", &VazAZUrorav::GetImageMinIPMatrix);
    slabGet(Id::GetImageMinIPMatrixAdd, "GetImageMinIPMatrixAdd", &VazAZUrorav::GetImageMinIPMatrixAdd);
    slabPart(Id::GetImageMIPMatrixPart, "GetImageMIPMatrixPart", &VazAZUrorav::GetImageMIPMatrixPart);
    slabPart(Id::GetImageSumMatrixPart, "GetImageSumMatrixPart", &VazAZUrorav::GetImageSumMatrixPart);

    // ---- display images and 2-D filters
    MEMBER(CreateDIBImage,
           [](const py::object& self, i32 BufferID, const py::array& hImage, i32 Width, i32 Height, i32 WindowLevel,
              i32 WindowWidth) {
               EngineHost& h = host(self);
               const i16* source = greyInput(hImage, Width, Height, "hImage");
               h.requireSlotFree(BufferID, "CreateDIBImage");
               std::uint8_t* address = nullptr;
               h.run("CreateDIBImage", [&](VazAZUrorav& e) {
                   return e.CreateDIBImage(&address, BufferID, source, Width, Height, WindowLevel, WindowWidth);
               });
               return lendBuffer(self, BufferID, {}, byteType());
           },
           py::arg("BufferID"), py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("WindowLevel"),
           py::arg("WindowWidth"), "The bitmap block (header, palette, rows bottom-up) as bytes, no copy.");
    MEMBER(CreateDIBbitImage,
           [](const py::object& self, i32 BufferID, const py::array& hImage, i32 Width, i32 Height,
              i16 ThresholdValue, i32 Color1, i32 Color2) {
               EngineHost& h = host(self);
               const i16* source = greyInput(hImage, Width, Height, "hImage");
               h.requireSlotFree(BufferID, "CreateDIBbitImage");
               std::uint8_t* address = nullptr;
               h.run("CreateDIBbitImage", [&](VazAZUrorav& e) {
                   return e.CreateDIBbitImage(&address, BufferID, source, Width, Height, ThresholdValue, Color1,
                                              Color2);
               });
               return lendBuffer(self, BufferID, {}, byteType());
           },
           py::arg("BufferID"), py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("ThresholdValue"),
           py::arg("Color1"), py::arg("Color2"));
    MEMBER(CreateImageRGB,
           [](const py::object& self, i32 BufferID, const py::array& hImage, i32 Width, i32 Height, i32 NumPoints,
              const py::object& sValues, const py::object& laRGBs) {
               EngineHost& h = host(self);
               const i16* source = greyInput(hImage, Width, Height, "hImage");
               const std::vector<i16> points = valuesOf<i16>(sValues, NumPoints, "sValues");
               const std::vector<i32> colours = valuesOf<i32>(laRGBs, NumPoints, "laRGBs");
               h.requireSlotFree(BufferID, "CreateImageRGB");
               std::uint8_t* address = nullptr;
               h.run("CreateImageRGB", [&](VazAZUrorav& e) {
                   return e.CreateImageRGB(&address, BufferID, source, Width, Height, NumPoints, points.data(),
                                           colours.data());
               });
               return colourBuffer(self, BufferID, Width, Height);
           },
           py::arg("BufferID"), py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("NumPoints"),
           py::arg("sValues"), py::arg("laRGBs"));
    MEMBER(GetImageRGB,
           [](EngineHost& h, const py::object& hRGBImage, const py::array& hImage, i32 Width, i32 Height,
              i32 NumOfPoints, const py::object& sValues, const py::object& laRGBs) {
               const i16* source = greyInput(hImage, Width, Height, "hImage");
               const std::vector<i16> points = valuesOf<i16>(sValues, NumOfPoints, "sValues");
               const std::vector<i32> colours = valuesOf<i32>(laRGBs, NumOfPoints, "laRGBs");
               py::array out = colourOutput(hRGBImage, Width, Height, "hRGBImage");
               auto* data = static_cast<std::uint8_t*>(out.mutable_data());
               h.run("GetImageRGB", [&](VazAZUrorav& e) {
                   return e.GetImageRGB(data, source, Width, Height, NumOfPoints, points.data(), colours.data());
               });
               return out;
           },
           py::arg("hRGBImage"), py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("NumOfPoints"),
           py::arg("sValues"), py::arg("laRGBs"));
    // In-place filters on caller memory of the kind ColorMode names.
    MEMBER(GetImageHalfSize,
           [](EngineHost& h, const py::array& hImage, i32 OrgWidth, i32 OrgHeight, i32 ColorMode) {
               void* data = writableMemory(hImage, imageBytes(OrgWidth, OrgHeight, ColorMode), 0, "hImage");
               h.run("GetImageHalfSize",
                     [&](VazAZUrorav& e) { return e.GetImageHalfSize(data, OrgWidth, OrgHeight, ColorMode); });
               return hImage;
           },
           py::arg("hImage"), py::arg("OrgWidth"), py::arg("OrgHeight"), py::arg("ColorMode"));
    MEMBER(GetImageDoubleSize,
           [](EngineHost& h, const py::array& hImageDst, i32 WidthSrc, i32 HeightSrc, const py::array& hImageSrc,
              i32 ColorMode) {
               void* target = writableMemory(hImageDst, 4 * imageBytes(WidthSrc, HeightSrc, ColorMode), 0, "hImageDst");
               const void* source = readableMemory(hImageSrc, imageBytes(WidthSrc, HeightSrc, ColorMode), 0, "hImageSrc");
               h.run("GetImageDoubleSize", [&](VazAZUrorav& e) {
                   return e.GetImageDoubleSize(target, WidthSrc, HeightSrc, source, ColorMode);
               });
               return hImageDst;
           },
           py::arg("hImageDst"), py::arg("WidthSrc"), py::arg("HeightSrc"), py::arg("hImageSrc"), py::arg("ColorMode"));
    using GreyFilter = bool (VazAZUrorav::*)(i16*, i32, i32, i32);
    auto greyFilter = [&](Id id, const char* name, GreyFilter filter) {
        method(
            cls, table, id, name,
            [name, filter](EngineHost& h, const py::array& hImage, i32 Width, i32 Height, i32 FilterSize) {
                auto* data = static_cast<i16*>(writableMemory(hImage, 2 * area(Width, Height), 2, "hImage"));
                h.run(name, [&](VazAZUrorav& e) { return (e.*filter)(data, Width, Height, FilterSize); });
                return hImage;
            },
            py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("FilterSize"));
    };
    greyFilter(Id::GetImageSmoothing, "GetImageSmoothing", &VazAZUrorav::GetImageSmoothing);
    greyFilter(Id::GetImageMedian, "GetImageMedian", &VazAZUrorav::GetImageMedian);
    MEMBER(SourceSmoothing,
           [](EngineHost& h, i32 Mode, i32 FilterSize) {
               h.run("SourceSmoothing", [&](VazAZUrorav& e) { return e.SourceSmoothing(Mode, FilterSize); });
           },
           py::arg("Mode"), py::arg("FilterSize"));
    MEMBER(GetImageMirrorLR,
           [](EngineHost& h, const py::array& hImage, i32 Width, i32 Height, i32 ColorMode) {
               void* data = writableMemory(hImage, imageBytes(Width, Height, ColorMode), 0, "hImage");
               h.run("GetImageMirrorLR", [&](VazAZUrorav& e) { return e.GetImageMirrorLR(data, Width, Height, ColorMode); });
               return hImage;
           },
           py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("ColorMode"));
    MEMBER(GetImageRotateRect,
           [](EngineHost& h, const py::array& hImage, i32 Width, i32 Height, i32 angle, i32 ColorMode) {
               void* data = writableMemory(hImage, imageBytes(Width, Height, ColorMode), 0, "hImage");
               i32 outWidth = 0, outHeight = 0;
               h.run("GetImageRotateRect", [&](VazAZUrorav& e) {
                   return e.GetImageRotateRect(data, Width, Height, angle, &outWidth, &outHeight, ColorMode);
               });
               return py::make_tuple(outWidth, outHeight);
           },
           py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("angle"), py::arg("ColorMode"));
    MEMBER(GetROIImage,
           [](EngineHost& h, const py::array& hROIImage, i32 Width, i32 Height, const py::array& hImageSrc,
              i32 WidthSrc, i32 HeightSrc, i32 Px, i32 Py, i32 ColorMode) {
               void* target = writableMemory(hROIImage, imageBytes(Width, Height, ColorMode), 0, "hROIImage");
               const void* source = readableMemory(hImageSrc, imageBytes(WidthSrc, HeightSrc, ColorMode), 0, "hImageSrc");
               h.run("GetROIImage", [&](VazAZUrorav& e) {
                   return e.GetROIImage(target, Width, Height, source, WidthSrc, HeightSrc, Px, Py, ColorMode);
               });
               return hROIImage;
           },
           py::arg("hROIImage"), py::arg("Width"), py::arg("Height"), py::arg("hImageSrc"), py::arg("WidthSrc"),
           py::arg("HeightSrc"), py::arg("Px"), py::arg("Py"), py::arg("ColorMode"));
    MEMBER(PastImage,
           [](EngineHost& h, const py::array& hImage, i32 Width, i32 Height, const py::array& hImageSrc, i32 WidthSrc,
              i32 HeightSrc, i32 Px, i32 Py, i32 ColorMode) {
               if (Px < 0 || Py < 0)
                   throw py::value_error("PastImage: Px and Py must not be negative");
               void* target = writableMemory(hImage, imageBytes(Width, Height, ColorMode), 0, "hImage");
               const void* source = readableMemory(hImageSrc, imageBytes(WidthSrc, HeightSrc, ColorMode), 0, "hImageSrc");
               h.run("PastImage", [&](VazAZUrorav& e) {
                   return e.PastImage(target, Width, Height, source, WidthSrc, HeightSrc, Px, Py, ColorMode);
               });
               return hImage;
           },
           py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("hImageSrc"), py::arg("WidthSrc"),
           py::arg("HeightSrc"), py::arg("Px"), py::arg("Py"), py::arg("ColorMode"));
    MEMBER(GetImageThresholdBitMask,
           [](EngineHost& h, const py::array& hImage, i32 Width, i32 Height, i16 MinThreshold, i16 MaxThreshold) {
               auto* data = static_cast<i16*>(writableMemory(hImage, 2 * area(Width, Height), 2, "hImage"));
               h.run("GetImageThresholdBitMask", [&](VazAZUrorav& e) {
                   return e.GetImageThresholdBitMask(data, Width, Height, MinThreshold, MaxThreshold);
               });
               return hImage;
           },
           py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("MinThreshold"), py::arg("MaxThreshold"));

    // ---- volume rendering
    MEMBER(GetImageVolumeRenderNMatrix,
           [](EngineHost& h, const py::object& hImage, i32 Width, i32 Height, float PixelSpacing, i32 Plane,
              i32 PlaneDepth, i32 NumOfParam, const py::object& ParamPosition, const py::object& ParamValues,
              float AttenuationFactor, float LuminousEnergy, const py::object& hMatrix) {
               const Table t(NumOfParam, ParamPosition, ParamValues);
               const std::vector<float> matrix = matrixOf(hMatrix);
               py::array out = greyOutput(hImage, Width, Height, "hImage");
               i16* data = greyData(out);
               h.run("GetImageVolumeRenderNMatrix", [&](VazAZUrorav& e) {
                   return e.GetImageVolumeRenderNMatrix(data, Width, Height, PixelSpacing, Plane, PlaneDepth, NumOfParam,
                                                        t.positions.data(), t.opacities.data(), AttenuationFactor,
                                                        LuminousEnergy, matrix.data());
               });
               return out;
           },
           py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("PixelSpacing"), py::arg("Plane"),
           py::arg("PlaneDepth"), py::arg("NumOfParam"), py::arg("ParamPosition"), py::arg("ParamValues"),
           py::arg("AttenuationFactor"), py::arg("LuminousEnergy"), py::arg("hMatrix"));
    MEMBER(GetImageVolumeRenderNMatrixPart,
           [](EngineHost& h, i32 Part, i32 PartHeight, const py::object& hImage, i32 Width, i32 Height,
              float PixelSpacing, i32 Plane, i32 PlaneDepth, i32 NumOfParam, const py::object& ParamPosition,
              const py::object& ParamValues, float AttenuationFactor, float LuminousEnergy, const py::object& hMatrix) {
               const Table t(NumOfParam, ParamPosition, ParamValues);
               const std::vector<float> matrix = matrixOf(hMatrix);
               py::array out = greyOutput(hImage, Width, Height, "hImage");
               i16* data = greyData(out);
               h.run("GetImageVolumeRenderNMatrixPart", [&](VazAZUrorav& e) {
                   return e.GetImageVolumeRenderNMatrixPart(Part, PartHeight, data, Width, Height, PixelSpacing, Plane,
                                                            PlaneDepth, NumOfParam, t.positions.data(),
                                                            t.opacities.data(), AttenuationFactor, LuminousEnergy,
                                                            matrix.data());
               });
               return out;
           },
           py::arg("Part"), py::arg("PartHeight"), py::arg("hImage"), py::arg("Width"), py::arg("Height"),
           py::arg("PixelSpacing"), py::arg("Plane"), py::arg("PlaneDepth"), py::arg("NumOfParam"),
           py::arg("ParamPosition"), py::arg("ParamValues"), py::arg("AttenuationFactor"), py::arg("LuminousEnergy"),
           py::arg("hMatrix"));
    MEMBER(CreateImageVolumeRenderNMatrix,
           [](const py::object& self, i32 BufferID, i32 Width, i32 Height, float PixelSpacing, i32 Plane,
              i32 PlaneDepth, i32 NumOfParam, const py::object& ParamPosition, const py::object& ParamValues,
              float AttenuationFactor, float LuminousEnergy, const py::object& hMatrix) {
               EngineHost& h = host(self);
               const Table t(NumOfParam, ParamPosition, ParamValues);
               const std::vector<float> matrix = matrixOf(hMatrix);
               h.requireSlotFree(BufferID, "CreateImageVolumeRenderNMatrix");
               i16* address = nullptr;
               h.run("CreateImageVolumeRenderNMatrix", [&](VazAZUrorav& e) {
                   return e.CreateImageVolumeRenderNMatrix(&address, BufferID, Width, Height, PixelSpacing, Plane,
                                                           PlaneDepth, NumOfParam, t.positions.data(),
                                                           t.opacities.data(), AttenuationFactor, LuminousEnergy,
                                                           matrix.data());
               });
               return greyBuffer(self, BufferID, Width, Height);
           },
           py::arg("BufferID"), py::arg("Width"), py::arg("Height"), py::arg("PixelSpacing"), py::arg("Plane"),
           py::arg("PlaneDepth"), py::arg("NumOfParam"), py::arg("ParamPosition"), py::arg("ParamValues"),
           py::arg("AttenuationFactor"), py::arg("LuminousEnergy"), py::arg("hMatrix"));
    MEMBER(GetImageVolumeRenderMatrix,
           [](EngineHost& h, const py::object& hImage, i32 Width, i32 Height, float PixelSpacing, i32 Plane,
              i32 PlaneDepth, i16 MinValue, i16 MaxValue, float TransmissionFactor, float LuminousEnergy,
              const py::object& hMatrix) {
               const std::vector<float> matrix = matrixOf(hMatrix);
               py::array out = greyOutput(hImage, Width, Height, "hImage");
               i16* data = greyData(out);
               h.run("GetImageVolumeRenderMatrix", [&](VazAZUrorav& e) {
                   return e.GetImageVolumeRenderMatrix(data, Width, Height, PixelSpacing, Plane, PlaneDepth, MinValue,
                                                       MaxValue, TransmissionFactor, LuminousEnergy, matrix.data());
               });
               return out;
           },
           py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("PixelSpacing"), py::arg("Plane"),
           py::arg("PlaneDepth"), py::arg("MinValue"), py::arg("MaxValue"), py::arg("TransmissionFactor"),
           py::arg("LuminousEnergy"), py::arg("hMatrix"));
    MEMBER(GetImageVolumeRenderMatrixPart,
           [](EngineHost& h, i32 Part, i32 PartHeight, const py::object& hImage, i32 Width, i32 Height,
              float PixelSpacing, i32 Plane, i32 PlaneDepth, i16 MinValue, i16 MaxValue, float TransmissionFactor,
              float LuminousEnergy, const py::object& hMatrix) {
               const std::vector<float> matrix = matrixOf(hMatrix);
               py::array out = greyOutput(hImage, Width, Height, "hImage");
               i16* data = greyData(out);
               h.run("GetImageVolumeRenderMatrixPart", [&](VazAZUrorav& e) {
                   return e.GetImageVolumeRenderMatrixPart(Part, PartHeight, data, Width, Height, PixelSpacing, Plane,
                                                           PlaneDepth, MinValue, MaxValue, TransmissionFactor,
                                                           LuminousEnergy, matrix.data());
               });
               return out;
           },
           py::arg("Part"), py::arg("PartHeight"), py::arg("hImage"), py::arg("Width"), py::arg("Height"),
           py::arg("PixelSpacing"), py::arg("Plane"), py::arg("PlaneDepth"), py::arg("MinValue"),
           py::arg("MaxValue"), py::arg("TransmissionFactor"), py::arg("LuminousEnergy"), py::arg("hMatrix"));
    MEMBER(CreateImageVolumeRenderMatrix,
           [](const py::object& self, i32 BufferID, i32 Width, i32 Height, float PixelSpacing, i32 Plane,
              i32 PlaneDepth, i16 MinValue, i16 MaxValue, float TransmissionFactor, float LuminousEnergy,
              const py::object& hMatrix) {
               EngineHost& h = host(self);
               const std::vector<float> matrix = matrixOf(hMatrix);
               h.requireSlotFree(BufferID, "CreateImageVolumeRenderMatrix");
               i16* address = nullptr;
               h.run("CreateImageVolumeRenderMatrix", [&](VazAZUrorav& e) {
                   return e.CreateImageVolumeRenderMatrix(&address, BufferID, Width, Height, PixelSpacing, Plane,
                                                          PlaneDepth, MinValue, MaxValue, TransmissionFactor,
                                                          LuminousEnergy, matrix.data());
               });
               return greyBuffer(self, BufferID, Width, Height);
           },
           py::arg("BufferID"), py::arg("Width"), py::arg("Height"), py::arg("PixelSpacing"), py::arg("Plane"),
           py::arg("PlaneDepth"), py::arg("MinValue"), py::arg("MaxValue"), py::arg("TransmissionFactor"),
           py::arg("LuminousEnergy"), py::arg("hMatrix"));
    // Coloured rendering: opacity table and colour table.
    struct ColourTable {
        std::vector<i16> positions;
        std::vector<i32> colours;
    };
    auto colourTable = [](i32 count, const py::object& positions, const py::object& colours) {
        return ColourTable{valuesOf<i16>(positions, count, "ColorPosition"), valuesOf<i32>(colours, count, "ColorValues")};
    };
    MEMBER(GetImageVRCNMatrix,
           [colourTable](EngineHost& h, const py::object& hRGBImage, i32 Width, i32 Height, float PixelSpacing,
                         i32 Plane, i32 PlaneDepth, i32 NumOfParam, const py::object& ParamPosition,
                         const py::object& ParamValues, i32 NumOfColor, const py::object& ColorPosition,
                         const py::object& ColorValues, float AttenuationFactor, float LuminousEnergy,
                         const py::object& hMatrix) {
               const Table t(NumOfParam, ParamPosition, ParamValues);
               const ColourTable c = colourTable(NumOfColor, ColorPosition, ColorValues);
               const std::vector<float> matrix = matrixOf(hMatrix);
               py::array out = colourOutput(hRGBImage, Width, Height, "hRGBImage");
               auto* data = static_cast<std::uint8_t*>(out.mutable_data());
               h.run("GetImageVRCNMatrix", [&](VazAZUrorav& e) {
                   return e.GetImageVRCNMatrix(data, Width, Height, PixelSpacing, Plane, PlaneDepth, NumOfParam,
                                               t.positions.data(), t.opacities.data(), NumOfColor, c.positions.data(),
                                               c.colours.data(), AttenuationFactor, LuminousEnergy, matrix.data());
               });
               return out;
           },
           py::arg("hRGBImage"), py::arg("Width"), py::arg("Height"), py::arg("PixelSpacing"), py::arg("Plane"),
           py::arg("PlaneDepth"), py::arg("NumOfParam"), py::arg("ParamPosition"), py::arg("ParamValues"),
           py::arg("NumOfColor"), py::arg("ColorPosition"), py::arg("ColorValues"), py::arg("AttenuationFactor"),
           py::arg("LuminousEnergy"), py::arg("hMatrix"));
    MEMBER(GetImageVRCNMatrixPart,
           [colourTable](EngineHost& h, i32 Part, i32 PartHeight, const py::object& hRGBImage, i32 Width, i32 Height,
                         float PixelSpacing, i32 Plane, i32 PlaneDepth, i32 NumOfParam,
                         const py::object& ParamPosition, const py::object& ParamValues, i32 NumOfColor,
                         const py::object& ColorPosition, const py::object& ColorValues, float AttenuationFactor,
                         float LuminousEnergy, const py::object& hMatrix) {
               const Table t(NumOfParam, ParamPosition, ParamValues);
               const ColourTable c = colourTable(NumOfColor, ColorPosition, ColorValues);
               const std::vector<float> matrix = matrixOf(hMatrix);
               py::array out = colourOutput(hRGBImage, Width, Height, "hRGBImage");
               auto* data = static_cast<std::uint8_t*>(out.mutable_data());
               h.run("GetImageVRCNMatrixPart", [&](VazAZUrorav& e) {
                   return e.GetImageVRCNMatrixPart(Part, PartHeight, data, Width, Height, PixelSpacing, Plane,
                                                   PlaneDepth, NumOfParam, t.positions.data(), t.opacities.data(),
                                                   NumOfColor, c.positions.data(), c.colours.data(),
                                                   AttenuationFactor, LuminousEnergy, matrix.data());
               });
               return out;
           },
           py::arg("Part"), py::arg("PartHeight"), py::arg("hRGBImage"), py::arg("Width"), py::arg("Height"),
           py::arg("PixelSpacing"), py::arg("Plane"), py::arg("PlaneDepth"), py::arg("NumOfParam"),
           py::arg("ParamPosition"), py::arg("ParamValues"), py::arg("NumOfColor"), py::arg("ColorPosition"),
           py::arg("ColorValues"), py::arg("AttenuationFactor"), py::arg("LuminousEnergy"), py::arg("hMatrix"));
    MEMBER(CreateImageVRCNMatrix,
           [colourTable](const py::object& self, i32 BufferID, i32 Width, i32 Height, float PixelSpacing, i32 Plane,
                         i32 PlaneDepth, i32 NumOfParam, const py::object& ParamPosition,
                         const py::object& ParamValues, i32 NumOfColor, const py::object& ColorPosition,
                         const py::object& ColorValues, float AttenuationFactor, float LuminousEnergy,
                         const py::object& hMatrix) {
               EngineHost& h = host(self);
               const Table t(NumOfParam, ParamPosition, ParamValues);
               const ColourTable c = colourTable(NumOfColor, ColorPosition, ColorValues);
               const std::vector<float> matrix = matrixOf(hMatrix);
               h.requireSlotFree(BufferID, "CreateImageVRCNMatrix");
               std::uint8_t* address = nullptr;
               h.run("CreateImageVRCNMatrix", [&](VazAZUrorav& e) {
                   return e.CreateImageVRCNMatrix(&address, BufferID, Width, Height, PixelSpacing, Plane, PlaneDepth,
                                                  NumOfParam, t.positions.data(), t.opacities.data(), NumOfColor,
                                                  c.positions.data(), c.colours.data(), AttenuationFactor,
                                                  LuminousEnergy, matrix.data());
               });
               return colourBuffer(self, BufferID, Width, Height);
           },
           py::arg("BufferID"), py::arg("Width"), py::arg("Height"), py::arg("PixelSpacing"), py::arg("Plane"),
           py::arg("PlaneDepth"), py::arg("NumOfParam"), py::arg("ParamPosition"), py::arg("ParamValues"),
           py::arg("NumOfColor"), py::arg("ColorPosition"), py::arg("ColorValues"), py::arg("AttenuationFactor"),
           py::arg("LuminousEnergy"), py::arg("hMatrix"));
    MEMBER(GetImageVREndoscopeNMatrix,
           [](EngineHost& h, const py::object& hImage, i32 Width, i32 Height, float Spacing, float Perspective,
              i32 Depth, float FrontSpacing, i32 NumOfParam, const py::object& ParamPosition,
              const py::object& ParamValues, float AttenuationFactor, const py::object& hMatrix) {
               const Table t(NumOfParam, ParamPosition, ParamValues);
               const std::vector<float> matrix = matrixOf(hMatrix);
               py::array out = greyOutput(hImage, Width, Height, "hImage");
               i16* data = greyData(out);
               h.run("GetImageVREndoscopeNMatrix", [&](VazAZUrorav& e) {
                   return e.GetImageVREndoscopeNMatrix(data, Width, Height, Spacing, Perspective, Depth, FrontSpacing,
                                                       NumOfParam, t.positions.data(), t.opacities.data(),
                                                       AttenuationFactor, matrix.data());
               });
               return out;
           },
           py::arg("hImage"), py::arg("Width"), py::arg("Height"), py::arg("Spacing"), py::arg("Perspective"),
           py::arg("Depth"), py::arg("FrontSpacing"), py::arg("NumOfParam"), py::arg("ParamPosition"),
           py::arg("ParamValues"), py::arg("AttenuationFactor"), py::arg("hMatrix"));
    MEMBER(GetImageVREndoscopeNMatrixPart,
           [](EngineHost& h, i32 Part, i32 PartHeight, const py::object& hImage, i32 Width, i32 Height, float Spacing,
              float Perspective, i32 Depth, float FrontSpacing, i32 NumOfParam, const py::object& ParamPosition,
              const py::object& ParamValues, float AttenuationFactor, const py::object& hMatrix) {
               const Table t(NumOfParam, ParamPosition, ParamValues);
               const std::vector<float> matrix = matrixOf(hMatrix);
               py::array out = greyOutput(hImage, Width, Height, "hImage");
               i16* data = greyData(out);
               h.run("GetImageVREndoscopeNMatrixPart", [&](VazAZUrorav& e) {
                   return e.GetImageVREndoscopeNMatrixPart(Part, PartHeight, data, Width, Height, Spacing, Perspective,
                                                           Depth, FrontSpacing, NumOfParam, t.positions.data(),
                                                           t.opacities.data(), AttenuationFactor, matrix.data());
               });
               return out;
           },
           py::arg("Part"), py::arg("PartHeight"), py::arg("hImage"), py::arg("Width"), py::arg("Height"),
           py::arg("Spacing"), py::arg("Perspective"), py::arg("Depth"), py::arg("FrontSpacing"),
           py::arg("NumOfParam"), py::arg("ParamPosition"), py::arg("ParamValues"), py::arg("AttenuationFactor"),
           py::arg("hMatrix"));
    MEMBER(CreateImageVREndoscopeNMatrix,
           [](const py::object& self, i32 BufferID, i32 Width, i32 Height, float Spacing, float Perspective, i32 Depth,
              float FrontSpacing, i32 NumOfParam, const py::object& ParamPosition, const py::object& ParamValues,
              float AttenuationFactor, const py::object& hMatrix) {
               EngineHost& h = host(self);
               const Table t(NumOfParam, ParamPosition, ParamValues);
               const std::vector<float> matrix = matrixOf(hMatrix);
               h.requireSlotFree(BufferID, "CreateImageVREndoscopeNMatrix");
               i16* address = nullptr;
               h.run("CreateImageVREndoscopeNMatrix", [&](VazAZUrorav& e) {
                   return e.CreateImageVREndoscopeNMatrix(&address, BufferID, Width, Height, Spacing, Perspective,
                                                          Depth, FrontSpacing, NumOfParam, t.positions.data(),
                                                          t.opacities.data(), AttenuationFactor, matrix.data());
               });
               return greyBuffer(self, BufferID, Width, Height);
           },
           py::arg("BufferID"), py::arg("Width"), py::arg("Height"), py::arg("Spacing"), py::arg("Perspective"),
           py::arg("Depth"), py::arg("FrontSpacing"), py::arg("NumOfParam"), py::arg("ParamPosition"),
           py::arg("ParamValues"), py::arg("AttenuationFactor"), py::arg("hMatrix"));
    MEMBER(CreateImageAVRMatrix,
           [](const py::object& self, i32 BufferID, i32 Width, i32 Height, float PixelSpacing, i32 Plane,
              i32 PlaneDepth, i16 MinValue, i16 MaxValue, float TransmissionFactor, const py::object& hMatrix) {
               EngineHost& h = host(self);
               const std::vector<float> matrix = matrixOf(hMatrix);
               h.requireSlotFree(BufferID, "CreateImageAVRMatrix");
               i16* address = nullptr;
               h.run("CreateImageAVRMatrix", [&](VazAZUrorav& e) {
                   return e.CreateImageAVRMatrix(&address, BufferID, Width, Height, PixelSpacing, Plane, PlaneDepth,
                                                 MinValue, MaxValue, TransmissionFactor, matrix.data());
               });
               return greyBuffer(self, BufferID, Width, Height);
           },
           py::arg("BufferID"), py::arg("Width"), py::arg("Height"), py::arg("PixelSpacing"), py::arg("Plane"),
           py::arg("PlaneDepth"), py::arg("MinValue"), py::arg("MaxValue"), py::arg("TransmissionFactor"),
           py::arg("hMatrix"));
    MEMBER(SetZbuffer,
           [](EngineHost& h, const py::array& hZBuffer, i32 BufferSize) {
               void* data = writableMemory(hZBuffer, std::max(BufferSize, 0), 0, "hZBuffer");
               // The next rendering writes there: the array is kept until then.
               h.keepZbufferTarget(hZBuffer);
               h.run("SetZbuffer", [&](VazAZUrorav& e) { return e.SetZbuffer(data, BufferSize); });
           },
           py::arg("hZBuffer"), py::arg("BufferSize"));
    MEMBER(GetPointVRtoVolume,
           [](EngineHost& h, const py::array& hZBuffer, i32 Px, i32 Py) {
               checkDepthRecord(hZBuffer, 0, 0);
               float point[3] = {0, 0, 0};
               h.run("GetPointVRtoVolume",
                     [&](VazAZUrorav& e) { return e.GetPointVRtoVolume(point, hZBuffer.data(), Px, Py); });
               return py::make_tuple(point[0], point[1], point[2]);
           },
           py::arg("hZBuffer"), py::arg("Px"), py::arg("Py"));
    MEMBER(GetPointVolumetoVR,
           [](EngineHost& h, const py::array& hZBuffer, i32 Px, i32 Py, i32 Pz) {
               checkDepthRecord(hZBuffer, 0, 0);
               float point[3] = {0, 0, 0};
               i32 position = 0;
               h.run("GetPointVolumetoVR", [&](VazAZUrorav& e) {
                   return e.GetPointVolumetoVR(point, &position, hZBuffer.data(), Px, Py, Pz);
               });
               return py::make_tuple(py::make_tuple(point[0], point[1], point[2]), position);
           },
           py::arg("hZBuffer"), py::arg("Px"), py::arg("Py"), py::arg("Pz"));
    MEMBER(ReMapZbuffer,
           [](EngineHost& h, const py::array& hZBuffer, i32 Width, i32 Height) {
               checkDepthRecord(hZBuffer, Width, Height);
               void* data = writableMemory(hZBuffer, 0, 0, "hZBuffer");
               h.run("ReMapZbuffer", [&](VazAZUrorav& e) { return e.ReMapZbuffer(data, Width, Height); });
           },
           py::arg("hZBuffer"), py::arg("Width"), py::arg("Height"));

    // ---- iso-surface and buffer files
    MEMBER(CreatePolygonIsoSurface,
           [](EngineHost& h, i16 threshold, float pixel_spacing) {
               const IsoSurfacePolygon* polygon = nullptr;
               h.run("CreatePolygonIsoSurface", [&](VazAZUrorav& e) {
                   return e.CreatePolygonIsoSurface(threshold, pixel_spacing, &polygon);
               });
               // The engine frees the mesh at its next call: the arrays are copies.
               const py::ssize_t vertices = polygon ? polygon->NumberOfVertices : 0;
               const py::ssize_t triangles = polygon ? polygon->NumberOfTriangles : 0;
               py::array_t<float> points({vertices, py::ssize_t{3}}), normals({vertices, py::ssize_t{3}});
               py::array_t<i32> corners({triangles, py::ssize_t{3}});
               auto p = points.mutable_unchecked<2>();
               auto n = normals.mutable_unchecked<2>();
               auto c = corners.mutable_unchecked<2>();
               for (py::ssize_t v = 0; v < vertices; ++v) {
                   p(v, 0) = polygon->X[v], p(v, 1) = polygon->Y[v], p(v, 2) = polygon->Z[v];
                   n(v, 0) = polygon->NX[v], n(v, 1) = polygon->NY[v], n(v, 2) = polygon->NZ[v];
               }
               for (py::ssize_t t = 0; t < triangles; ++t)
                   c(t, 0) = polygon->Corner0[t], c(t, 1) = polygon->Corner1[t], c(t, 2) = polygon->Corner2[t];
               return py::make_tuple(points, normals, corners);
           },
           py::arg("threshold"), py::arg("pixel_spacing"),
           "(vertices, normals, triangles): vertices in grid units of the reduced volume (column, row, slice).");
    auto dimsOf = [](i32 count, const py::object& dims) {
        return valuesOf<i32>(dims, std::clamp(count, 0, 3), "Dims");
    };
    MEMBER(SaveBufferFile,
           [dimsOf](EngineHost& h, const std::string& FileName, i32 BufferID, i32 Ndim, const py::object& Dims) {
               const std::vector<i32> dims = dimsOf(Ndim, Dims);
               h.run("SaveBufferFile",
                     [&](VazAZUrorav& e) { return e.SaveBufferFile(FileName, BufferID, Ndim, dims.data()); });
           },
           py::arg("FileName"), py::arg("BufferID"), py::arg("Ndim"), py::arg("Dims"));
    MEMBER(SaveBufferFileColor,
           [dimsOf](EngineHost& h, const std::string& FileName, i32 BufferID, i32 ElementSize, i32 Ndim,
                    const py::object& Dims, i32 ColorMode) {
               const std::vector<i32> dims = dimsOf(Ndim, Dims);
               h.run("SaveBufferFileColor", [&](VazAZUrorav& e) {
                   return e.SaveBufferFileColor(FileName, BufferID, ElementSize, Ndim, dims.data(), ColorMode);
               });
           },
           py::arg("FileName"), py::arg("BufferID"), py::arg("ElementSize"), py::arg("Ndim"), py::arg("Dims"),
           py::arg("ColorMode"));
    MEMBER(LoadBufferFile,
           [](const py::object& self, const std::string& FileName, i32 BufferID, i32 Ndim) {
               EngineHost& h = host(self);
               h.requireSlotFree(BufferID, "LoadBufferFile");
               std::vector<i32> dims(3, 0);
               i16* address = nullptr;
               h.run("LoadBufferFile",
                     [&](VazAZUrorav& e) { return e.LoadBufferFile(FileName, &address, BufferID, Ndim, dims.data()); });
               dims.resize(static_cast<std::size_t>(std::clamp(Ndim, 0, 3)));
               return py::make_tuple(lendBuffer(self, BufferID, {}, greyType()), py::tuple(py::cast(dims)));
           },
           py::arg("FileName"), py::arg("BufferID"), py::arg("Ndim") = 3,
           "(the loaded buffer as 16-bit samples, no copy; the dimensions).");
    MEMBER(LoadBufferFileColor,
           [](const py::object& self, const std::string& FileName, i32 BufferID, i32 Ndim) {
               EngineHost& h = host(self);
               h.requireSlotFree(BufferID, "LoadBufferFileColor");
               std::vector<i32> dims(3, 0);
               std::uint8_t* address = nullptr;
               i32 elementSize = 0, colorMode = 0;
               h.run("LoadBufferFileColor", [&](VazAZUrorav& e) {
                   return e.LoadBufferFileColor(FileName, &address, BufferID, &elementSize, Ndim, dims.data(),
                                                &colorMode);
               });
               dims.resize(static_cast<std::size_t>(std::clamp(Ndim, 0, 3)));
               return py::make_tuple(lendBuffer(self, BufferID, {}, byteType()), elementSize,
                                     py::tuple(py::cast(dims)), colorMode);
           },
           py::arg("FileName"), py::arg("BufferID"), py::arg("Ndim") = 3,
           "(the loaded buffer as bytes, no copy; ElementSize; the dimensions; ColorMode).");

    // ---- bit masks, region growing, morphology, mark flags
    MEMBER(SetBitMaskRectangle,
           [](EngineHost& h, i32 interior, float min_X, float max_X, float min_Y, float max_Y, float min_Z,
              float max_Z, const py::object& hMatrix) {
               const std::vector<float> matrix = matrixOf(hMatrix);
               h.run("SetBitMaskRectangle", [&](VazAZUrorav& e) {
                   return e.SetBitMaskRectangle(interior, min_X, max_X, min_Y, max_Y, min_Z, max_Z, matrix.data());
               });
           },
           py::arg("interior"), py::arg("min_X"), py::arg("max_X"), py::arg("min_Y"), py::arg("max_Y"),
           py::arg("min_Z"), py::arg("max_Z"), py::arg("hMatrix"));
    MEMBER(SetBitMaskCylinder,
           [](EngineHost& h, i32 interior, float center_X, float center_Y, float radius_X, float radius_Y, float min_Z,
              float max_Z, const py::object& hMatrix) {
               const std::vector<float> matrix = matrixOf(hMatrix);
               h.run("SetBitMaskCylinder", [&](VazAZUrorav& e) {
                   return e.SetBitMaskCylinder(interior, center_X, center_Y, radius_X, radius_Y, min_Z, max_Z,
                                               matrix.data());
               });
           },
           py::arg("interior"), py::arg("center_X"), py::arg("center_Y"), py::arg("radius_X"), py::arg("radius_Y"),
           py::arg("min_Z"), py::arg("max_Z"), py::arg("hMatrix"));
    MEMBER(SetBitMaskSphere,
           [](EngineHost& h, i32 interior, float center_X, float center_Y, float center_Z, float radius_X,
              float radius_Y, float radius_Z, const py::object& hMatrix) {
               const std::vector<float> matrix = matrixOf(hMatrix);
               h.run("SetBitMaskSphere", [&](VazAZUrorav& e) {
                   return e.SetBitMaskSphere(interior, center_X, center_Y, center_Z, radius_X, radius_Y, radius_Z,
                                             matrix.data());
               });
           },
           py::arg("interior"), py::arg("center_X"), py::arg("center_Y"), py::arg("center_Z"), py::arg("radius_X"),
           py::arg("radius_Y"), py::arg("radius_Z"), py::arg("hMatrix"));
    MEMBER(SetBitMaskFreePoints,
           [](EngineHost& h, i32 interior, i32 NumOfPoints, const py::object& Points, float min_Z, float max_Z,
              const py::object& hMatrix) {
               const std::vector<i32> points = valuesOf<i32>(Points, 2 * std::max(NumOfPoints, 0), "Points");
               const std::vector<float> matrix = matrixOf(hMatrix);
               h.run("SetBitMaskFreePoints", [&](VazAZUrorav& e) {
                   return e.SetBitMaskFreePoints(interior, NumOfPoints, points.data(), min_Z, max_Z, matrix.data());
               });
           },
           py::arg("interior"), py::arg("NumOfPoints"), py::arg("Points"), py::arg("min_Z"), py::arg("max_Z"),
           py::arg("hMatrix"));
    MEMBER(GetByteImageBitMaskFreePoints,
           [](EngineHost& h, const py::object& hByteImage, i32 Width, i32 Height, i32 interior, i32 NumOfPoints,
              const py::object& Points) {
               const std::vector<i32> points = valuesOf<i32>(Points, 2 * std::max(NumOfPoints, 0), "Points");
               py::array out = outputArray(hByteImage, {std::max(Height, 0), std::max(Width, 0)}, byteType(),
                                           "hByteImage");
               auto* data = static_cast<std::uint8_t*>(out.mutable_data());
               h.run("GetByteImageBitMaskFreePoints", [&](VazAZUrorav& e) {
                   return e.GetByteImageBitMaskFreePoints(data, Width, Height, interior, NumOfPoints, points.data());
               });
               return out;
           },
           py::arg("hByteImage"), py::arg("Width"), py::arg("Height"), py::arg("interior"), py::arg("NumOfPoints"),
           py::arg("Points"));
    MEMBER(SetBitMaskThreshold,
           [](EngineHost& h, i32 interior, i16 min_thres, i16 max_thres) {
               h.run("SetBitMaskThreshold",
                     [&](VazAZUrorav& e) { return e.SetBitMaskThreshold(interior, min_thres, max_thres); });
           },
           py::arg("interior"), py::arg("min_thres"), py::arg("max_thres"));
    MEMBER(SetBitMaskRegionGrowingPoint,
           [](EngineHost& h, i16 inc_theta, i16 dec_theta, i16 min_thres, i16 max_thres, i32 Px, i32 Py, i32 Pz) {
               h.run("SetBitMaskRegionGrowingPoint", [&](VazAZUrorav& e) {
                   return e.SetBitMaskRegionGrowingPoint(inc_theta, dec_theta, min_thres, max_thres, Px, Py, Pz);
               });
           },
           py::arg("inc_theta"), py::arg("dec_theta"), py::arg("min_thres"), py::arg("max_thres"), py::arg("Px"),
           py::arg("Py"), py::arg("Pz"));
    using ElementStep = bool (VazAZUrorav::*)(const i16*, const i32*);
    auto elementStep = [&](Id id, const char* name, ElementStep step) {
        method(
            cls, table, id, name,
            [name, step](EngineHost& h, const py::object& ps_StructureElementData, const py::object& pl3_Dims) {
                const std::vector<i32> dims = valuesOf<i32>(pl3_Dims, 3, "pl3_Dims");
                if (dims[0] < 1 || dims[1] < 1 || dims[2] < 1)
                    throw py::value_error(std::string(name) + ": every element size must be at least 1");
                const std::vector<i16> element = valuesOf<i16>(
                    ps_StructureElementData, static_cast<std::int64_t>(dims[0]) * dims[1] * dims[2],
                    "ps_StructureElementData");
                h.run(name, [&](VazAZUrorav& e) { return (e.*step)(element.data(), dims.data()); });
            },
            py::arg("ps_StructureElementData"), py::arg("pl3_Dims"));
    };
    elementStep(Id::SetBitMaskErosion, "SetBitMaskErosion", &VazAZUrorav::SetBitMaskErosion);
    elementStep(Id::SetBitMaskDilation, "SetBitMaskDilation", &VazAZUrorav::SetBitMaskDilation);
    MEMBER(MathBitMaskMorphology,
           [](EngineHost& h, i16 MathType, i16 FilterType, i16 FilterSizeX, i16 FilterSizeY, i16 FilterSizeZ) {
               h.run("MathBitMaskMorphology", [&](VazAZUrorav& e) {
                   return e.MathBitMaskMorphology(MathType, FilterType, FilterSizeX, FilterSizeY, FilterSizeZ);
               });
           },
           py::arg("MathType"), py::arg("FilterType"), py::arg("FilterSizeX"), py::arg("FilterSizeY"),
           py::arg("FilterSizeZ"));
    MEMBER(UndoBitMask, [](EngineHost& h) { h.run("UndoBitMask", [](VazAZUrorav& e) { return e.UndoBitMask(); }); });
    MEMBER(ClearBitMask, [](EngineHost& h) { h.run("ClearBitMask", [](VazAZUrorav& e) { return e.ClearBitMask(); }); });
    MEMBER(ClearBitMaskImage,
           [](EngineHost& h, const py::array& hImage, i32 NumOfPixels, i32 Mode) {
               auto* data = static_cast<i16*>(writableMemory(hImage, 2 * static_cast<std::int64_t>(std::max(NumOfPixels, 0)), 2, "hImage"));
               h.run("ClearBitMaskImage", [&](VazAZUrorav& e) { return e.ClearBitMaskImage(data, NumOfPixels, Mode); });
               return hImage;
           },
           py::arg("hImage"), py::arg("NumOfPixels"), py::arg("Mode"));
    MEMBER(SetMarkFlagSphere,
           [](EngineHost& h, float center_X, float center_Y, float center_Z, float radius_X, float radius_Y,
              float radius_Z, const py::object& hMatrix, i16 FlagType) {
               const std::vector<float> matrix = matrixOf(hMatrix);
               h.run("SetMarkFlagSphere", [&](VazAZUrorav& e) {
                   return e.SetMarkFlagSphere(center_X, center_Y, center_Z, radius_X, radius_Y, radius_Z,
                                              matrix.data(), FlagType);
               });
           },
           py::arg("center_X"), py::arg("center_Y"), py::arg("center_Z"), py::arg("radius_X"), py::arg("radius_Y"),
           py::arg("radius_Z"), py::arg("hMatrix"), py::arg("FlagType"));
    MEMBER(SetMarkFlagRegionGrowingPoint,
           [](EngineHost& h, i16 inc_theta, i16 dec_theta, i16 min_thres, i16 max_thres, i32 Px, i32 Py, i32 Pz,
              i16 FlagType) {
               h.run("SetMarkFlagRegionGrowingPoint", [&](VazAZUrorav& e) {
                   return e.SetMarkFlagRegionGrowingPoint(inc_theta, dec_theta, min_thres, max_thres, Px, Py, Pz,
                                                          FlagType);
               });
           },
           py::arg("inc_theta"), py::arg("dec_theta"), py::arg("min_thres"), py::arg("max_thres"), py::arg("Px"),
           py::arg("Py"), py::arg("Pz"), py::arg("FlagType"));
    MEMBER(SetMarkFlagClear,
           [](EngineHost& h, i32 ClearMode) {
               h.run("SetMarkFlagClear", [&](VazAZUrorav& e) { return e.SetMarkFlagClear(ClearMode); });
           },
           py::arg("ClearMode") = 0);
    MEMBER(GetNoduleProperty,
           [](EngineHost& h, const py::object& ValueProperty, i32 NumOfValueProperty, const py::object& Histgram,
              i32 NumOfHistgramArray, const py::object& MesureProperty, i32 NumOfMesureProperty,
              const py::object& LineProfile, i32 NumOfLineProfile) {
               py::array values = outputArray(ValueProperty, {std::max(NumOfValueProperty, 0)}, py::dtype::of<float>(), "ValueProperty");
               py::array histogram = outputArray(Histgram, {std::max(NumOfHistgramArray, 0)}, py::dtype::of<i32>(), "Histgram");
               py::array measures = outputArray(MesureProperty, {std::max(NumOfMesureProperty, 0)}, py::dtype::of<float>(), "MesureProperty");
               py::array profile = outputArray(LineProfile, {std::max(NumOfLineProfile, 0)}, greyType(), "LineProfile");
               h.run("GetNoduleProperty", [&](VazAZUrorav& e) {
                   return e.GetNoduleProperty(static_cast<float*>(values.mutable_data()), NumOfValueProperty,
                                              static_cast<i32*>(histogram.mutable_data()), NumOfHistgramArray,
                                              static_cast<float*>(measures.mutable_data()), NumOfMesureProperty,
                                              static_cast<i16*>(profile.mutable_data()), NumOfLineProfile);
               });
               return py::make_tuple(values, histogram, measures, profile);
           },
           py::arg("ValueProperty") = py::none(), py::arg("NumOfValueProperty") = 4, py::arg("Histgram") = py::none(),
           py::arg("NumOfHistgramArray") = 512, py::arg("MesureProperty") = py::none(),
           py::arg("NumOfMesureProperty") = 8, py::arg("LineProfile") = py::none(), py::arg("NumOfLineProfile") = 0);

    // ---- arrays of the volume (unpublished conveniences, lower-case names)
    cls.def(
        "volume",
        [](const py::object& self) -> py::object {
            EngineHost& h = host(self);
            std::int16_t* samples = h.engine().PtrData();
            if (samples == nullptr)
                return py::none();
            return h.lender().lend(EngineHost::VolumeSlot, samples,
                                   {h.engine().Zdims(), h.engine().Ydims(), h.engine().Xdims()},
                                   py::dtype::of<std::uint16_t>(), self);
        },
        "The volume's stored samples as a (z, y, x) uint16 array (no copy): CT + 1024 in the low bits, mask age in "
        "bits 14-15, mark flag in bits 12-13. None without a volume.");
    cls.def(
        "structure_map",
        [](const py::object& self) -> py::object {
            EngineHost& h = host(self);
            const std::uint8_t* map = h.engine().StructureMap();
            if (map == nullptr)
                return py::none();
            return h.lender().lend(EngineHost::StructureMapSlot, const_cast<std::uint8_t*>(map),
                                   {h.engine().Zdims(), h.engine().Ydims(), h.engine().Xdims()}, byteType(), self);
        },
        "The lung analysis' structure map as a (z, y, x) uint8 array (no copy), None before an analysis.");
    cls.def(
        "mask_levels",
        [](EngineHost& h) -> py::object {
            const std::uint16_t* samples = reinterpret_cast<const std::uint16_t*>(h.engine().PtrData());
            if (samples == nullptr)
                return py::none();
            py::array_t<std::uint8_t> ages({h.engine().Zdims(), h.engine().Ydims(), h.engine().Xdims()});
            std::uint8_t* out = ages.mutable_data();
            const py::ssize_t count = ages.size();
            {
                py::gil_scoped_release release;
                for (py::ssize_t i = 0; i < count; ++i)
                    out[i] = static_cast<std::uint8_t>(samples[i] >> 14);
            }
            return ages;
        },
        "Mask age of every voxel as a (z, y, x) uint8 array: 0 visible, 1 newest step, 2, 3 older steps.");
    cls.def(
        "declare_volume",
        [](EngineHost& h, const py::array& volume, const py::object& spacing, double slope, double intercept,
           i16 baseOffset) {
            if (volume.ndim() != 3)
                throw py::value_error("volume: a (z, y, x) array is needed");
            const std::vector<double> s = valuesOf<double>(spacing, 3, "spacing");
            const auto Z = static_cast<i32>(volume.shape(0)), Y = static_cast<i32>(volume.shape(1)),
                       X = static_cast<i32>(volume.shape(2));
            const auto* samples = static_cast<const i16*>(
                readableMemory(volume, 2 * static_cast<std::int64_t>(X) * Y * Z, 2, "volume"));
            const bool isSigned = volume.dtype().kind() == 'i';
            h.requireVolumeFree("declare_volume");
            h.lender().requireAllFree("declare_volume");
            h.run("SetDataProfile",
                  [&](VazAZUrorav& e) { return e.SetDataProfile(X, Y, Z, s[0], s[1], s[2], 1.0, baseOffset); });
            h.engine().setIsSigned(isSigned);
            h.run("SetDicomImage", [&](VazAZUrorav& e) {
                for (i32 z = 0; z < Z; ++z)
                    if (!e.SetDicomImage(samples + static_cast<std::int64_t>(z) * X * Y, z + 1, slope, intercept, z))
                        return false;
                return e.SortInitialize();
            });
        },
        py::arg("volume"), py::arg("spacing"), py::arg("slope") = 1.0, py::arg("intercept") = 0.0,
        py::arg("base_offset") = -1024,
        "Declares the volume from a (z, y, x) int16 (signed) or uint16 array: SetDataProfile with the spacing "
        "(x, y, z in mm; a negative z runs the slices against the z axis) and base offset, one SetDicomImage per "
        "slice with slope and intercept, image numbers 1, 2, ... The engine copies the samples.");

    addInvoke(cls, table);
}

} // namespace vantorpy
