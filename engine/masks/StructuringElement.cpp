#include "StructuringElement.h"

namespace zvipengine {

template <typename Part>
StructuringElement StructuringElement::build(std::int32_t nx, std::int32_t ny, std::int32_t nz, const Part& part)
{
    StructuringElement e;
    const std::int32_t cx = (nx - 1) / 2;
    const std::int32_t cy = (ny - 1) / 2;
    const std::int32_t cz = (nz - 1) / 2;
    for (std::int32_t k = 0; k < nz; ++k)
        for (std::int32_t j = 0; j < ny; ++j) {
            std::int32_t i = 0;
            while (i < nx) {
                if (!part(i, j, k)) {
                    ++i;
                    continue;
                }
                const std::int32_t first = i;
                while (i < nx && part(i, j, k))
                    ++i;
                e.runs_.push_back({j - cy, k - cz, first - cx, i - 1 - cx});
            }
        }
    return e;
}

StructuringElement StructuringElement::fromEntries(const std::int16_t* entries, std::int32_t nx, std::int32_t ny,
                                                   std::int32_t nz)
{
    return build(nx, ny, nz, [&](std::int32_t i, std::int32_t j, std::int32_t k) {
        const std::int64_t index = (std::int64_t{k} * ny + j) * nx + i;
        return (entries[index] & 0xFF) != 0;
    });
}

StructuringElement StructuringElement::ellipsoid(std::int32_t nx, std::int32_t ny, std::int32_t nz)
{
    return build(nx, ny, nz, [&](std::int32_t i, std::int32_t j, std::int32_t k) {
        const double a = (2.0 * i + 1 - nx) / nx;
        const double b = (2.0 * j + 1 - ny) / ny;
        const double c = (2.0 * k + 1 - nz) / nz;
        return a * a + b * b + c * c < 1.0;
    });
}

StructuringElement StructuringElement::cross()
{
    StructuringElement e;
    e.runs_ = {{0, -1, 0, 0}, {-1, 0, 0, 0}, {0, 0, -1, 1}, {1, 0, 0, 0}, {0, 1, 0, 0}};
    return e;
}

} // namespace zvipengine
