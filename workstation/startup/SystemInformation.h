#pragma once

#include <string>

namespace vantor {

// Platform, kernel, processor and memory of this machine, one item a line,
// read from uname and /proc; empty when none of it can be read.
std::string systemInformationText();

} // namespace vantor
