#include "ShapeSelection.h"

#include <cmath>

namespace zvipengine {

namespace {

// Rounds as the shape tests do (+ 0.5, truncated), or false when the value
// is no integer position at all.
bool roundedPosition(double value, std::int64_t& out)
{
    const double shifted = value + 0.5;
    if (!(shifted > -9.0e15 && shifted < 9.0e15))
        return false;
    out = static_cast<std::int64_t>(shifted);
    return true;
}

} // namespace

void ShapeSelection::Rectangle::operator()(std::int32_t y, std::int32_t z, const std::uint16_t*,
                                           std::uint8_t* selected, std::int32_t length) const
{
    double p[3];
    transform.rowStart(y, z, p);
    const double* s = transform.step();
    for (std::int32_t x = 0; x < length; ++x) {
        const double q[3] = {p[0] + x * s[0], p[1] + x * s[1], p[2] + x * s[2]};
        bool select;
        if (interior) {
            select = q[0] > minimum[0] && q[0] < maximum[0] && q[1] > minimum[1] && q[1] < maximum[1] &&
                     q[2] > minimum[2] && q[2] < maximum[2];
        } else {
            select = !(q[0] >= minimum[0] && q[0] <= maximum[0] && q[1] >= minimum[1] && q[1] <= maximum[1] &&
                       q[2] >= minimum[2] && q[2] <= maximum[2]);
        }
        selected[x] = select ? 1 : 0;
    }
}

void ShapeSelection::Cylinder::operator()(std::int32_t y, std::int32_t z, const std::uint16_t*,
                                          std::uint8_t* selected, std::int32_t length) const
{
    double p[3];
    transform.rowStart(y, z, p);
    const double* s = transform.step();
    const double rx2 = radiusX * radiusX;
    const double ry2 = radiusY * radiusY;
    const double limit = rx2 * ry2;
    for (std::int32_t x = 0; x < length; ++x) {
        const double dx = p[0] + x * s[0] - centerX;
        const double dy = p[1] + x * s[1] - centerY;
        const double qz = p[2] + x * s[2];
        const bool inside = ry2 * dx * dx + rx2 * dy * dy < limit && qz > minZ && qz < maxZ;
        selected[x] = inside == interior ? 1 : 0;
    }
}

void ShapeSelection::Ellipsoid::operator()(std::int32_t y, std::int32_t z, const std::uint16_t*,
                                           std::uint8_t* selected, std::int32_t length) const
{
    double p[3];
    transform.rowStart(y, z, p);
    const double* s = transform.step();
    const double r2[3] = {radius[0] * radius[0], radius[1] * radius[1], radius[2] * radius[2]};
    const double limit = r2[0] * r2[1] * r2[2];
    const double weight[3] = {r2[1] * r2[2], r2[0] * r2[2], r2[0] * r2[1]};
    for (std::int32_t x = 0; x < length; ++x) {
        double sum = 0.0;
        for (int a = 0; a < 3; ++a) {
            const double d = p[a] + x * s[a] - center[a];
            sum += weight[a] * d * d;
        }
        const bool inside = sum < limit;
        selected[x] = inside == interior ? 1 : 0;
    }
}

void ShapeSelection::PolygonPrism::operator()(std::int32_t y, std::int32_t z, const std::uint16_t*,
                                              std::uint8_t* selected, std::int32_t length) const
{
    double p[3];
    transform.rowStart(y, z, p);
    const double* s = transform.step();
    for (std::int32_t x = 0; x < length; ++x) {
        std::int64_t qx, qy, qz;
        const bool inside = roundedPosition(p[0] + x * s[0], qx) && roundedPosition(p[1] + x * s[1], qy) &&
                            roundedPosition(p[2] + x * s[2], qz) && qz > minZ && qz < maxZ &&
                            polygon->inside(qx, qy);
        selected[x] = inside == interior ? 1 : 0;
    }
}

void ShapeSelection::Threshold::operator()(std::int32_t, std::int32_t, const std::uint16_t* row,
                                           std::uint8_t* selected, std::int32_t length) const
{
    if (mode != 0 && mode != 1) {
        for (std::int32_t x = 0; x < length; ++x)
            selected[x] = 0;
        return;
    }
    const unsigned outside = mode == 0 ? 0u : 1u;
    for (std::int32_t x = 0; x < length; ++x) {
        const std::int32_t v = row[x] & MaskBits::Value;
        selected[x] = static_cast<std::uint8_t>(((v >= minimum) & (v <= maximum)) ^ outside);
    }
}

} // namespace zvipengine
