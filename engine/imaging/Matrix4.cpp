#include "Matrix4.h"

#include <cmath>
#include <utility>

namespace zvipengine {

Matrix4 Matrix4::identity()
{
    Matrix4 r;
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0;
    return r;
}

Matrix4 Matrix4::translate(double tx, double ty, double tz)
{
    Matrix4 r = identity();
    r.m[12] = tx;
    r.m[13] = ty;
    r.m[14] = tz;
    return r;
}

Matrix4 Matrix4::scale(double sx, double sy, double sz)
{
    Matrix4 r;
    r.m[0] = sx;
    r.m[5] = sy;
    r.m[10] = sz;
    r.m[15] = 1.0;
    return r;
}

Matrix4 Matrix4::rotateX(double c, double s)
{
    Matrix4 r;
    r.m[0] = 1.0;
    r.m[5] = c;
    r.m[6] = -s;
    r.m[9] = s;
    r.m[10] = c;
    r.m[15] = 1.0;
    return r;
}

Matrix4 Matrix4::rotateZ(double c, double s)
{
    Matrix4 r;
    r.m[10] = 1.0;
    r.m[0] = c;
    r.m[1] = -s;
    r.m[4] = s;
    r.m[5] = c;
    r.m[15] = 1.0;
    return r;
}

Matrix4 Matrix4::rotateAxis(double ux, double uy, double uz, double degrees)
{
    const double length = std::sqrt(ux * ux + uy * uy + uz * uz);
    // A zero (or non-finite) axis names no rotation; dividing by it would
    // fill the matrix with NaN and every image made from it with garbage.
    if (!(length > 0.0) || !std::isfinite(length))
        return identity();
    ux /= length;
    uy /= length;
    uz /= length;
    const double radians = degrees * 0.017453292519943295;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const double k = 1.0 - c;
    Matrix4 r;
    r.m[0] = c + ux * ux * k;
    r.m[1] = ux * uy * k - uz * s;
    r.m[2] = ux * uz * k + uy * s;
    r.m[4] = ux * uy * k + uz * s;
    r.m[5] = c + uy * uy * k;
    r.m[6] = uy * uz * k - ux * s;
    r.m[8] = ux * uz * k - uy * s;
    r.m[9] = uy * uz * k + ux * s;
    r.m[10] = c + uz * uz * k;
    r.m[15] = 1.0;
    return r;
}

Matrix4 Matrix4::load(const float* values)
{
    Matrix4 r;
    for (int i = 0; i < 16; ++i)
        r.m[i] = values[i];
    return r;
}

Matrix4 Matrix4::then(const Matrix4& next) const
{
    Matrix4 r;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += m[row * 4 + k] * next.m[k * 4 + column];
            r.m[row * 4 + column] = sum;
        }
    return r;
}

void Matrix4::store(float* values) const
{
    for (int i = 0; i < 16; ++i)
        values[i] = static_cast<float>(m[i]);
}

bool Matrix4::inverse(Matrix4& result) const
{
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = m[r * 4 + c];
            a[r][c + 4] = (r == c) ? 1.0 : 0.0;
        }
    for (int column = 0; column < 4; ++column) {
        int pivot = column;
        for (int r = column + 1; r < 4; ++r)
            if (std::fabs(a[r][column]) > std::fabs(a[pivot][column]))
                pivot = r;
        if (a[pivot][column] == 0.0)
            return false;
        if (pivot != column)
            for (int c = 0; c < 8; ++c)
                std::swap(a[pivot][c], a[column][c]);
        const double divisor = a[column][column];
        for (int c = 0; c < 8; ++c)
            a[column][c] /= divisor;
        for (int r = 0; r < 4; ++r) {
            if (r == column)
                continue;
            const double factor = a[r][column];
            if (factor == 0.0)
                continue;
            for (int c = 0; c < 8; ++c)
                a[r][c] -= factor * a[column][c];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            result.m[r * 4 + c] = a[r][c + 4];
    return true;
}

std::array<double, 3> Matrix4::transformPoint(double x, double y, double z) const
{
    return {x * m[0] + y * m[4] + z * m[8] + m[12], x * m[1] + y * m[5] + z * m[9] + m[13],
            x * m[2] + y * m[6] + z * m[10] + m[14]};
}

} // namespace zvipengine
