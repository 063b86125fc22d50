// ZQDICOM for Python: the published members by name and number. A tag is two
// numbers (group, element) given as 0..0xFFFF; texts come back one character
// per byte as published (latin-1), None when the element does not exist.
#include "ArrayBridge.h"
#include "Dispatch.h"

#include <ZVDICOM/ZQDICOM.h>

#include <pybind11/stl.h>

#include <memory>
#include <string>

namespace vantorpy {

namespace {

using Id = ZQDICOM::DispId;

// One DICOM component as Python holds it, and the pixel data lent out of it.
struct DicomHost {
    ZQDICOM dicom;
    MemoryLender lender{1};
    void requirePixelsFree(const char* member) const { lender.requireFree(0, member); }
};

std::int16_t tagNumber(std::int64_t value, const char* parameter)
{
    if (value < -32768 || value > 0xFFFF)
        throw py::value_error(std::string(parameter) + ": a 16-bit tag number (0..0xFFFF) is needed");
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

py::str latin1(const std::string& bytes)
{
    return py::reinterpret_steal<py::str>(
        PyUnicode_DecodeLatin1(bytes.data(), static_cast<py::ssize_t>(bytes.size()), nullptr));
}

template <typename Func, typename... Extra>
void method(py::class_<DicomHost>& cls, DispatchTable& table, Id id, const char* name, Func&& f, const Extra&... extra)
{
    cls.def(name, std::forward<Func>(f), extra...);
    table[static_cast<std::int32_t>(id)] = {name, false};
}

} // namespace

#define MEMBER(Name, ...) method(cls, table, Id::Name, #Name, __VA_ARGS__)

void registerDicom(py::module_& module)
{
    py::class_<DicomHost> cls(module, "ZQDICOM",
                              "One DICOM file at a time: element list, element queries, pixel data, writing.");
    DispatchTable table;
    cls.def(py::init<>());
    cls.def_property(
        "filename", [](DicomHost& h) { return h.dicom.filename(); },
        [](DicomHost& h, const std::string& path) {
            h.requirePixelsFree("filename");
            py::gil_scoped_release release;
            h.dicom.setfilename(path);
        },
        "Writing loads the file (an unreadable file leaves the element list empty); reading gives ''.");
    table[static_cast<std::int32_t>(Id::filename)] = {"filename", true};
    cls.def_property(
        "hImage", [](DicomHost& h) { return reinterpret_cast<std::uintptr_t>(h.dicom.hImage()); },
        [](DicomHost& h, const py::buffer& pixels) {
            std::int32_t size = 0;
            if (h.dicom.hImage() == nullptr || !h.dicom.GetTagSize(0x7FE0, 0x0010, size))
                return;
            const py::buffer_info info = pixels.request();
            if (info.size * info.itemsize < size)
                throw py::value_error("hImage: " + std::to_string(size) + " bytes of pixel data are needed");
            py::array contiguous = py::array::ensure(pixels, py::array::c_style);
            h.dicom.sethImage(static_cast<const std::uint8_t*>(contiguous.data()));
        },
        "Address of the stored pixel data (0 when none); writing copies that many bytes from a buffer.");
    table[static_cast<std::int32_t>(Id::hImage)] = {"hImage", true};
    cls.def(
        "pixel_data",
        [](const py::object& self) -> py::object {
            DicomHost& h = self.cast<DicomHost&>();
            std::int32_t size = 0;
            const std::uint8_t* data = h.dicom.hImage();
            if (data == nullptr || !h.dicom.GetTagSize(0x7FE0, 0x0010, size))
                return py::none();
            return h.lender.lend(0, const_cast<std::uint8_t*>(data), {size}, py::dtype::of<std::uint8_t>(), self);
        },
        "The stored pixel data value as bytes (no copy; loading another file while it lives raises BufferError), "
        "None when there is none.");
    cls.def(
        "load_header_only",
        [](DicomHost& h, const std::string& path) {
            h.requirePixelsFree("load_header_only");
            py::gil_scoped_release release;
            return h.dicom.loadHeaderOnly(path);
        },
        py::arg("path"), "Loads the elements before the pixel data only; True when the file is DICOM.");

    MEMBER(GetTagString,
           [](DicomHost& h, std::int64_t Group, std::int64_t Element, std::int32_t len) -> py::object {
               std::string text(static_cast<std::size_t>(std::max(len, 0)), '\0');
               if (!h.dicom.GetTagString(tagNumber(Group, "Group"), tagNumber(Element, "Element"), text, len))
                   return py::none();
               return latin1(text.substr(0, text.find('\0')));
           },
           py::arg("Group"), py::arg("Element"), py::arg("len") = 256);
    MEMBER(GetNumOfTag, [](DicomHost& h) { return h.dicom.GetNumOfTag(); });
    MEMBER(GetTagFromIndex,
           [](DicomHost& h, std::int32_t Index, std::int32_t len) -> py::object {
               std::int16_t group = 0, element = 0;
               std::string text(static_cast<std::size_t>(std::max(len, 0)), '\0');
               if (!h.dicom.GetTagFromIndex(Index, group, element, text, len))
                   return py::none();
               // The value runs up to the filler character before the first carriage return.
               const std::size_t end = text.find('\r');
               const std::string value =
                   end == std::string::npos ? text : text.substr(0, end >= 1 ? end - 1 : 0);
               return py::make_tuple(static_cast<std::uint16_t>(group), static_cast<std::uint16_t>(element),
                                     py::bytes(value));
           },
           py::arg("Index"), py::arg("len") = 65536, "(group, element, value bytes), or None.");
    MEMBER(GetTagShort,
           [](DicomHost& h, std::int64_t Group, std::int64_t Element) -> py::object {
               std::int16_t value = 0;
               if (!h.dicom.GetTagShort(tagNumber(Group, "Group"), tagNumber(Element, "Element"), value))
                   return py::none();
               return py::int_(value);
           },
           py::arg("Group"), py::arg("Element"));
    MEMBER(GetTagLong,
           [](DicomHost& h, std::int64_t Group, std::int64_t Element) -> py::object {
               std::int32_t value = 0;
               if (!h.dicom.GetTagLong(tagNumber(Group, "Group"), tagNumber(Element, "Element"), value))
                   return py::none();
               return py::int_(value);
           },
           py::arg("Group"), py::arg("Element"));
    MEMBER(GetVersion, [](DicomHost& h) {
        std::string text(100, '\0');
        std::int32_t length = 100;
        h.dicom.GetVersion(text, length);
        return text.substr(0, static_cast<std::size_t>(std::clamp(length, 0, 100)));
    });
    MEMBER(SetTagInfo,
           [](DicomHost& h, std::int64_t Group, std::int64_t Element, const py::bytes& Buffer) {
               h.requirePixelsFree("SetTagInfo");
               const std::string value = Buffer;
               if (!h.dicom.SetTagInfo(tagNumber(Group, "Group"), tagNumber(Element, "Element"),
                                       reinterpret_cast<const std::uint8_t*>(value.data()),
                                       static_cast<std::int32_t>(value.size())))
                   throw py::value_error("SetTagInfo: the value could not be stored");
           },
           py::arg("Group"), py::arg("Element"), py::arg("Buffer"));
    MEMBER(SaveDICOMFile,
           [](DicomHost& h, std::int32_t FileType, const std::string& filename) {
               bool written = false;
               {
                   py::gil_scoped_release release;
                   written = h.dicom.SaveDICOMFile(FileType, filename);
               }
               if (!written)
                   throw py::value_error("SaveDICOMFile: " + filename + " could not be written");
           },
           py::arg("FileType"), py::arg("filename"));
    MEMBER(GetTagSize,
           [](DicomHost& h, std::int64_t Group, std::int64_t Element) -> py::object {
               std::int32_t size = 0;
               if (!h.dicom.GetTagSize(tagNumber(Group, "Group"), tagNumber(Element, "Element"), size))
                   return py::none();
               return py::int_(size);
           },
           py::arg("Group"), py::arg("Element"));
    MEMBER(SetTagString,
           [](DicomHost& h, std::int64_t Group, std::int64_t Element, const std::string& string, py::object len) {
               h.requirePixelsFree("SetTagString");
               const auto length = len.is_none() ? static_cast<std::int32_t>(string.size()) : len.cast<std::int32_t>();
               if (!h.dicom.SetTagString(tagNumber(Group, "Group"), tagNumber(Element, "Element"), string, length))
                   throw py::value_error("SetTagString: the value could not be stored");
           },
           py::arg("Group"), py::arg("Element"), py::arg("string"), py::arg("len") = py::none());
    addInvoke(cls, table);
}

} // namespace vantorpy
