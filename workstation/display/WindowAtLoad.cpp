#include "display/WindowAtLoad.h"

#include "display/DecimalText.h"
#include "display/NumericText.h"

#include <cmath>
#include <limits>

namespace vantor {

namespace {

std::int32_t integerPart(double value)
{
    const double truncated = std::trunc(value);
    if (!(truncated > std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    if (!(truncated < std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(truncated);
}

double valueOrDefault(const std::optional<std::string>& tag, std::int32_t fallback)
{
    return tag ? numericValue(firstValue(*tag)) : static_cast<double>(fallback);
}

} // namespace

std::int32_t WindowAtLoad::recordLevel() const { return integerPart(level); }
std::int32_t WindowAtLoad::recordWidth() const { return integerPart(width); }

WindowAtLoad windowAtLoad(const std::optional<std::string>& windowCenter,
                          const std::optional<std::string>& windowWidth, bool WLWWSelect, std::int32_t DefaultWL,
                          std::int32_t DefaultWW, int bitsAllocated)
{
    WindowAtLoad window;
    if (bitsAllocated == 8) {
        window.level = 128.0;
        window.width = 256.0;
        window.textBoxesEnabled = false;
    } else if (WLWWSelect) {
        window.level = DefaultWL;
        window.width = DefaultWW;
    } else {
        window.level = valueOrDefault(windowCenter, DefaultWL);
        window.width = valueOrDefault(windowWidth, DefaultWW);
    }
    window.levelText = decimalText(window.level);
    window.widthText = decimalText(window.width);
    return window;
}

} // namespace vantor
