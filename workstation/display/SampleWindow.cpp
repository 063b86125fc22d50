#include "display/SampleWindow.h"

#include "display/NumericText.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace {

std::int32_t toInt32(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<std::int32_t>(roundHalfEven(std::clamp(value, -2147483648.0, 2147483647.0)));
}

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

SampleWindow::Viewer SampleWindow::own(double center, double width) const
{
    Viewer viewer;
    viewer.level = toInt32(inverted ? -center : center);
    viewer.width = toInt32(width);
    return viewer;
}

SampleWindow::Viewer SampleWindow::typed(double level, double width) const
{
    return own((level - intercept) / slope, width / std::fabs(slope));
}

SampleWindow SampleWindow::fromHeader(const std::string& intercept, const std::string& slope,
                                      const std::string& photometricInterpretation)
{
    SampleWindow window;
    window.intercept = numericValue(intercept);
    const double slopeValue = numericValue(slope);
    window.slope = slopeValue == 0.0 ? 1.0 : slopeValue;
    window.inverted = trimmed(photometricInterpretation) == "MONOCHROME1";
    return window;
}

} // namespace vantor
