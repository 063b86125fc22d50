#pragma once

#include <string>

namespace vantor {

// A number as plain decimal text: no exponent, no trailing zeros, integers
// without a point ("-600", "12.5"). Independent of the process locale, which
// the Qt application sets from the environment.
std::string decimalText(double value);

// A number with one decimal, rounded half away from zero, as the " 0.0" and
// "0.0" number formats write it; leadingSpace adds the format's leading blank.
std::string oneDecimalText(double value, bool leadingSpace);

} // namespace vantor
