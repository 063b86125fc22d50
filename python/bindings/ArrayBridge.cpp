#include "ArrayBridge.h"

#include <algorithm>

namespace vantorpy {

namespace {

// What an array lent out keeps alive: the component's Python object.
struct LentMemory {
    py::object keeper;
};

void checkLayout(const py::array& array, std::int64_t bytes, std::size_t itemSize, const char* parameter)
{
    if (!(array.flags() & py::array::c_style))
        throw py::value_error(std::string(parameter) + ": a C-contiguous array is needed (numpy.ascontiguousarray)");
    if (itemSize != 0 && static_cast<std::size_t>(array.itemsize()) != itemSize)
        throw py::value_error(std::string(parameter) + ": elements of " + std::to_string(itemSize) +
                              " bytes are needed, the array has " + std::to_string(array.itemsize()));
    if (array.nbytes() < bytes)
        throw py::value_error(std::string(parameter) + ": " + std::to_string(bytes) + " bytes are needed, the array holds " +
                              std::to_string(array.nbytes()));
}

} // namespace

void* writableMemory(const py::array& array, std::int64_t bytes, std::size_t itemSize, const char* parameter)
{
    checkLayout(array, bytes, itemSize, parameter);
    if (!array.writeable())
        throw py::value_error(std::string(parameter) + ": the array is read-only");
    return const_cast<void*>(array.data());
}

const void* readableMemory(const py::array& array, std::int64_t bytes, std::size_t itemSize, const char* parameter)
{
    checkLayout(array, bytes, itemSize, parameter);
    return array.data();
}

py::array outputArray(const py::object& given, const std::vector<py::ssize_t>& shape, const py::dtype& type,
                      const char* parameter)
{
    if (given.is_none()) {
        py::array result(type, shape);
        std::fill_n(static_cast<std::uint8_t*>(result.mutable_data()), result.nbytes(), std::uint8_t{0});
        return result;
    }
    if (!py::isinstance<py::array>(given))
        throw py::type_error(std::string(parameter) + ": a numpy array or None is needed");
    py::array array = py::reinterpret_borrow<py::array>(given);
    std::int64_t count = 1;
    for (py::ssize_t extent : shape)
        count *= std::max<py::ssize_t>(extent, 0);
    writableMemory(array, count * type.itemsize(), static_cast<std::size_t>(type.itemsize()), parameter);
    return array;
}

py::array MemoryLender::lend(std::size_t slot, void* data, const std::vector<py::ssize_t>& shape,
                             const py::dtype& type, const py::object& keeper)
{
    py::object owner = py::cast(LentMemory{keeper});
    owners_.at(slot) = py::weakref(owner);
    return py::array(type, shape, {}, data, owner);
}

bool MemoryLender::inUse(std::size_t slot) const
{
    const py::object& reference = owners_.at(slot);
    return reference && !reference().is_none();
}

bool MemoryLender::anyInUse() const
{
    for (std::size_t slot = 0; slot < owners_.size(); ++slot)
        if (inUse(slot))
            return true;
    return false;
}

void MemoryLender::requireFree(std::size_t slot, const std::string& what) const
{
    if (inUse(slot))
        throw py::buffer_error(what + " would free memory that an array still shows; delete the array or copy it "
                                      "(numpy.array(a)) first");
}

void MemoryLender::requireAllFree(const std::string& what) const
{
    for (std::size_t slot = 0; slot < owners_.size(); ++slot)
        requireFree(slot, what);
}

void registerArrayBridge(py::module_& module)
{
    py::class_<LentMemory>(module, "_LentMemory", "Keeps a component alive while an array shows its memory.");
}

} // namespace vantorpy
