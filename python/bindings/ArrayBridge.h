#pragma once

// Numpy arrays in and out of the components without copies: caller memory
// is checked for size, type and layout before its address goes to a
// component, and memory that a component owns is lent out as arrays whose
// owner object is tracked, so that a call which would free that memory
// while an array still shows it is refused instead of leaving a dangling
// array.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vantorpy {

namespace py = pybind11;

// Writable, C-contiguous memory of at least `bytes` bytes whose elements are
// `itemSize` bytes wide (0: any); raises ValueError naming the parameter.
void* writableMemory(const py::array& array, std::int64_t bytes, std::size_t itemSize, const char* parameter);
// Readable memory of at least `bytes` bytes with elements of itemSize bytes
// (0: any); the array must be C-contiguous (no hidden copy of an image).
const void* readableMemory(const py::array& array, std::int64_t bytes, std::size_t itemSize, const char* parameter);

// Small tables (opacity points, matrices, element data, point lists) are
// converted to the type the component reads, at least `count` values.
template <typename T>
std::vector<T> valuesOf(const py::handle& values, std::int64_t count, const char* parameter)
{
    const auto array = py::array_t<T, py::array::c_style | py::array::forcecast>::ensure(values);
    if (!array)
        throw py::type_error(std::string(parameter) + ": a sequence of numbers is needed");
    if (array.size() < count)
        throw py::value_error(std::string(parameter) + ": " + std::to_string(count) + " values are needed, " +
                              std::to_string(array.size()) + " given");
    std::vector<T> result(static_cast<std::size_t>(std::max<std::int64_t>(array.size(), 1)));
    std::copy(array.data(), array.data() + array.size(), result.begin());
    return result;
}

// A new zeroed array, or the caller's array after checking it; `shape` is
// that of the new array.
py::array outputArray(const py::object& given, const std::vector<py::ssize_t>& shape, const py::dtype& type,
                      const char* parameter);

// Lends memory owned by a component as an array. Each lender keeps the
// owner of the arrays it lent out, per slot, to refuse calls that would free
// memory still shown.
class MemoryLender {
public:
    explicit MemoryLender(std::size_t slots) : owners_(slots) {}
    // An array of `shape` and `type` over `data`; `keeper` (the component's
    // Python object) stays alive as long as the array.
    py::array lend(std::size_t slot, void* data, const std::vector<py::ssize_t>& shape, const py::dtype& type,
                   const py::object& keeper);
    bool inUse(std::size_t slot) const;
    bool anyInUse() const;
    // Raises BufferError when an array still shows the slot's memory.
    void requireFree(std::size_t slot, const std::string& what) const;
    void requireAllFree(const std::string& what) const;

private:
    std::vector<py::object> owners_; // weak references
};

void registerArrayBridge(py::module_& module);

} // namespace vantorpy
