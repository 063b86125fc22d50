#include "AirCalibration.h"

#include <algorithm>

namespace zvipengine {

std::int32_t AirCalibration::patchMean(const std::vector<std::int16_t>& values, std::int32_t X, std::int32_t Y,
                                       std::int32_t Z)
{
    std::int32_t x0 = 206, x1 = 305, y0 = 20, y1 = 69;
    if (X <= x1 || Y <= y1) {
        // Too small for the patch: the same place scaled from 512 x 512.
        x0 = static_cast<std::int32_t>(206LL * X / 512);
        x1 = std::max(x0, static_cast<std::int32_t>(305LL * X / 512));
        y0 = static_cast<std::int32_t>(20LL * Y / 512);
        y1 = std::max(y0, static_cast<std::int32_t>(69LL * Y / 512));
    }
    const std::int32_t z0 = std::min(2, Z - 1);
    const std::int32_t z1 = std::min(4, Z - 1);
    std::int64_t sum = 0, count = 0;
    for (std::int32_t z = z0; z <= z1; ++z)
        for (std::int32_t y = y0; y <= y1; ++y) {
            const std::int16_t* row = values.data() + (static_cast<std::int64_t>(z) * Y + y) * X;
            for (std::int32_t x = x0; x <= x1; ++x) {
                sum += std::max<std::int32_t>(0, row[x]);
                ++count;
            }
        }
    return count ? static_cast<std::int32_t>(sum / count) : 0;
}

bool AirCalibration::apply(std::vector<std::int16_t>& values, std::int32_t X, std::int32_t Y, std::int32_t Z)
{
    if (X <= 0 || Y <= 0 || Z <= 0)
        return false;
    const std::int32_t m = patchMean(values, X, Y, Z);
    // At or above 1024 the divisor is zero or of the wrong sign.
    if (m <= 124 || m >= 1024)
        return false;
    const std::int32_t divisor = m - 1024;
    for (std::int16_t& v : values)
        if (v < 1024) {
            const std::int32_t c = (1024 - v) * 1000 / divisor + 1024;
            v = static_cast<std::int16_t>(std::clamp(c, 0, 32767));
        }
    return true;
}

} // namespace zvipengine
