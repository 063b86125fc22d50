#pragma once

#include <string>

namespace vantor {

// The numeric value of a text as the workstation reads numbers from text
// boxes and DICOM strings: leading blanks skipped, then the longest leading
// decimal number (sign, digits, one point, exponent); 0 when there is none.
// "40\400" gives 40, "-600 HU" gives -600, "abc" gives 0.
double numericValue(const std::string& text);

// The first value of a multi-valued DICOM string ("40\400" gives "40").
std::string firstValue(const std::string& text);

// Round to the nearest integer, halves to even.
long roundHalfEven(double value);

} // namespace vantor
