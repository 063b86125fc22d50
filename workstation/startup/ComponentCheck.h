#pragma once

#include <string>

namespace vantor {

// Which component libraries were loaded, from where, at which version; one
// line each ("ZVDICOM 1.0 (/path/libZVDICOM.so)"). ok is false when one of
// them did not report a version, in which case the program cannot start.
struct ComponentReport {
    bool ok = true;
    std::string text;
};

ComponentReport checkComponentLibraries();

} // namespace vantor
