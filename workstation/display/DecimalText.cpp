#include "display/DecimalText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vantor {

std::string decimalText(double value)
{
    if (!std::isfinite(value))
        return "0";
    if (value == 0.0)
        return "0"; // no "-0"
    // Fifteen significant digits keep sums of typed decimals clean ("0.3", not
    // "0.30000000000000004"); fixed notation never writes an exponent.
    char buffer[400];
    const auto general = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, general.ptr);
    if (text.find('e') == std::string::npos)
        return text;
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int decimals = exponent >= 14 ? 0 : 14 - exponent;
    const auto fixed = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    text.assign(buffer, fixed.ptr);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

std::string oneDecimalText(double value, bool leadingSpace)
{
    if (!std::isfinite(value))
        value = 0.0;
    // Number formats round half away from zero on the decimal digit.
    const double tenths = std::round(value * 10.0);
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, tenths / 10.0, std::chars_format::fixed, 1);
    std::string text(buffer, result.ptr);
    if (text == "-0.0")
        text = "0.0";
    return leadingSpace ? " " + text : text;
}

} // namespace vantor
