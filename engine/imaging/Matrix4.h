#pragma once

#include <array>

namespace zvipengine {

// A 4 x 4 matrix stored row after row; points are row vectors, so (x, y, z)
// maps to x' = x*m0 + y*m4 + z*m8 + m12 and so on. then(B) appends B: the
// result applies this matrix first and B afterwards. Built in double
// precision, stored to the caller's 16 floats at the interface.
class Matrix4 {
public:
    std::array<double, 16> m{};

    static Matrix4 identity();
    static Matrix4 translate(double tx, double ty, double tz);
    static Matrix4 scale(double sx, double sy, double sz);
    static Matrix4 rotateX(double c, double s);
    static Matrix4 rotateZ(double c, double s);
    // Rotation about (ux, uy, uz) by degrees; a zero axis gives the identity.
    static Matrix4 rotateAxis(double ux, double uy, double uz, double degrees);
    static Matrix4 load(const float* values);

    Matrix4 then(const Matrix4& next) const;
    void store(float* values) const;
    // Gauss-Jordan with partial pivoting; false when a pivot is exactly 0.
    bool inverse(Matrix4& result) const;
    std::array<double, 3> transformPoint(double x, double y, double z) const;
};

} // namespace zvipengine
