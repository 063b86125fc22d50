#pragma once

// The automation route: a member called by its published number. Each
// binding records the number and name of every member it defines, so the
// table cannot drift from the bound names.

#include <pybind11/pybind11.h>

#include <cstdint>
#include <map>
#include <string>

namespace vantorpy {

namespace py = pybind11;

struct DispatchEntry {
    std::string name;
    bool property = false;
};
using DispatchTable = std::map<std::int32_t, DispatchEntry>;

// invoke(dispid, *args): a method is called with the arguments; a property
// is read without arguments and written with one. DISPATCH_NAMES maps the
// numbers to the member names.
template <typename Class>
void addInvoke(Class& cls, const DispatchTable& table)
{
    py::dict names;
    for (const auto& [number, entry] : table)
        names[py::int_(number)] = entry.name;
    cls.attr("DISPATCH_NAMES") = names;
    cls.def(
        "invoke",
        [table](py::object self, std::int32_t dispid, py::args args, py::kwargs kwargs) -> py::object {
            const auto found = table.find(dispid);
            if (found == table.end())
                throw py::key_error("no member with the dispatch number " + std::to_string(dispid));
            const DispatchEntry& entry = found->second;
            if (!entry.property)
                return self.attr(entry.name.c_str())(*args, **kwargs);
            if (args.empty() && kwargs.empty())
                return self.attr(entry.name.c_str());
            if (args.size() != 1 || !kwargs.empty())
                throw py::type_error("property " + entry.name + " is read without arguments or written with one");
            py::setattr(self, entry.name.c_str(), args[0]);
            return py::none();
        },
        py::arg("dispid"),
        "Calls the member with this published dispatch number (a property: read without arguments, written with "
        "one).");
}

} // namespace vantorpy
