#include "display/NumericText.h"

#include <cmath>
#include <cstdlib>

namespace vantor {

double numericValue(const std::string& text)
{
    std::size_t position = 0;
    while (position < text.size() && (text[position] == ' ' || text[position] == '\t'))
        ++position;
    const std::size_t start = position;
    if (position < text.size() && (text[position] == '+' || text[position] == '-'))
        ++position;
    bool digits = false;
    while (position < text.size() && text[position] >= '0' && text[position] <= '9') {
        ++position;
        digits = true;
    }
    if (position < text.size() && text[position] == '.') {
        ++position;
        while (position < text.size() && text[position] >= '0' && text[position] <= '9') {
            ++position;
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    if (position < text.size() && (text[position] == 'e' || text[position] == 'E')) {
        std::size_t exponent = position + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-'))
            ++exponent;
        if (exponent < text.size() && text[exponent] >= '0' && text[exponent] <= '9') {
            while (exponent < text.size() && text[exponent] >= '0' && text[exponent] <= '9')
                ++exponent;
            position = exponent;
        }
    }
    const double value = std::strtod(text.substr(start, position - start).c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

std::string firstValue(const std::string& text) { return text.substr(0, text.find('\\')); }

long roundHalfEven(double value) { return std::lrint(value); }

} // namespace vantor
