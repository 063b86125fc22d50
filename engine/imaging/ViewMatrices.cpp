#include "ViewMatrices.h"

#include <algorithm>
#include <cmath>

namespace zvipengine {

namespace {

Matrix4 toVoxels(const VolumeGeometry& g, double zSign)
{
    return Matrix4::scale(1.0 / g.spacingX, 1.0 / g.spacingY, zSign / g.spacingZ)
        .then(Matrix4::translate((g.X - 1) / 2.0, (g.Y - 1) / 2.0, (g.Z - 1) / 2.0));
}

Matrix4 transposedRotate(const VolumeGeometry& g, double px, double py, double pz, double vx, double vy,
                         double vz, double theta, const Matrix4& afterRotation)
{
    // The two centring translations cancel; the sequence is kept as the
    // published construction so that rounding matches it.
    return Matrix4::scale(1.0, -1.0, 1.0)
        .then(Matrix4::translate(-px, -py, -pz))
        .then(Matrix4::scale(1.0, g.spacingY / g.spacingX, -g.spacingZ / g.spacingX))
        .then(Matrix4::rotateAxis(vx, vy, vz, -theta))
        .then(afterRotation)
        .then(Matrix4::translate((g.X - 1) / 2.0, (g.Y - 1) / 2.0, 0.0))
        .then(Matrix4::translate((1 - g.X) / 2.0, (1 - g.Y) / 2.0, 0.0))
        .then(Matrix4::scale(1.0, -1.0, 1.0));
}

Matrix4 rotateThenPlace(const VolumeGeometry& g, const Matrix4& before, double px, double py, double pz,
                        double vx, double vy, double vz, double theta)
{
    return before.then(Matrix4::rotateAxis(vx, vy, vz, theta))
        .then(Matrix4::scale(1.0 / g.spacingX, 1.0 / g.spacingY, 1.0 / g.spacingZ))
        .then(Matrix4::translate(px, py, pz));
}

void cross(const double a[3], const double b[3], double out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

} // namespace

Matrix4 ViewMatrices::defaultAxial(const VolumeGeometry& g)
{
    return Matrix4::identity().then(toVoxels(g, -1.0));
}

Matrix4 ViewMatrices::defaultCoronal(const VolumeGeometry& g)
{
    return Matrix4::rotateX(0.0, 1.0).then(toVoxels(g, -1.0));
}

Matrix4 ViewMatrices::defaultSagittal(const VolumeGeometry& g)
{
    return Matrix4::rotateX(0.0, 1.0).then(Matrix4::rotateZ(0.0, -1.0)).then(toVoxels(g, -1.0));
}

Matrix4 ViewMatrices::axialRotate(const VolumeGeometry& g, double px, double py, double pz, double vx, double vy,
                                  double vz, double theta)
{
    return rotateThenPlace(g, Matrix4::identity(), px, py, pz, vx, vy, vz, theta);
}

Matrix4 ViewMatrices::coronalRotate(const VolumeGeometry& g, double px, double py, double pz, double vx,
                                    double vy, double vz, double theta)
{
    return rotateThenPlace(g, Matrix4::rotateX(0.0, 1.0), px, py, pz, vx, vy, vz, theta);
}

Matrix4 ViewMatrices::sagittalRotate(const VolumeGeometry& g, double px, double py, double pz, double vx,
                                     double vy, double vz, double theta)
{
    return rotateThenPlace(g, Matrix4::rotateX(0.0, 1.0).then(Matrix4::rotateZ(0.0, -1.0)), px, py, pz, vx, vy,
                           vz, theta);
}

Matrix4 ViewMatrices::transposedAxialRotate(const VolumeGeometry& g, double px, double py, double pz, double vx,
                                            double vy, double vz, double theta)
{
    return transposedRotate(g, px, py, pz, vx, vy, vz, theta, Matrix4::identity());
}

Matrix4 ViewMatrices::transposedCoronalRotate(const VolumeGeometry& g, double px, double py, double pz,
                                              double vx, double vy, double vz, double theta)
{
    return transposedRotate(g, px, py, pz, vx, vy, vz, theta, Matrix4::rotateX(0.0, 1.0));
}

Matrix4 ViewMatrices::transposedSagittalRotate(const VolumeGeometry& g, double px, double py, double pz,
                                               double vx, double vy, double vz, double theta)
{
    return transposedRotate(g, px, py, pz, vx, vy, vz, theta,
                            Matrix4::rotateZ(0.0, 1.0).then(Matrix4::rotateX(0.0, 1.0)));
}

Matrix4 ViewMatrices::rotateAboutPoint(double px, double py, double pz, double vx, double vy, double vz,
                                       double theta)
{
    return Matrix4::translate(px, py, pz)
        .then(Matrix4::rotateAxis(vx, vy, vz, theta))
        .then(Matrix4::translate(-px, -py, -pz));
}

Matrix4 ViewMatrices::orientationChange(const double row1[3], const double column1[3], const double row2[3],
                                        const double column2[3])
{
    double n1[3];
    double n2[3];
    cross(row1, column1, n1);
    cross(row2, column2, n2);
    const double length1 = std::sqrt(n1[0] * n1[0] + n1[1] * n1[1] + n1[2] * n1[2]);
    const double length2 = std::sqrt(n2[0] * n2[0] + n2[1] * n2[1] + n2[2] * n2[2]);
    if (!(length1 > 0.0) || !(length2 > 0.0) || !std::isfinite(length1) || !std::isfinite(length2))
        return Matrix4::identity();
    double axis[3];
    cross(n1, n2, axis);
    const double cosine =
        std::clamp((n1[0] * n2[0] + n1[1] * n2[1] + n1[2] * n2[2]) / (length1 * length2), -1.0, 1.0);
    const double degrees = std::acos(cosine) * 57.29577951308232;
    const double axisLength = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    if (axisLength <= 1e-12 * length1 * length2) {
        if (cosine > 0.0)
            return Matrix4::identity();
        // Opposite normals: any axis perpendicular to n1 turns it over.
        const double helper[3] = {std::fabs(n1[0]) < 0.9 * length1 ? 1.0 : 0.0,
                                  std::fabs(n1[0]) < 0.9 * length1 ? 0.0 : 1.0, 0.0};
        cross(n1, helper, axis);
    }
    // rotateAxis turns row vectors by minus its angle (its matrix is the
    // column-vector rotation stored row after row), hence the negation.
    return Matrix4::rotateAxis(axis[0], axis[1], axis[2], -degrees);
}

} // namespace zvipengine
