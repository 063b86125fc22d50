#pragma once

#include "Matrix4.h"

#include <cstdint>

namespace zvipengine {

// Size and spacing of the volume that the view matrices place planes in.
struct VolumeGeometry {
    double spacingX = 1.0;
    double spacingY = 1.0;
    double spacingZ = 1.0;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Z = 0;
};

// Matrices that map millimetre coordinates of a view (centred on the view's
// origin) to voxel coordinates, and the rotations that move such views.
class ViewMatrices {
public:
    static Matrix4 defaultAxial(const VolumeGeometry& g);
    static Matrix4 defaultCoronal(const VolumeGeometry& g);
    static Matrix4 defaultSagittal(const VolumeGeometry& g);

    // P = centre in voxels, V = rotation axis, theta in degrees.
    static Matrix4 axialRotate(const VolumeGeometry& g, double px, double py, double pz, double vx, double vy,
                               double vz, double theta);
    static Matrix4 coronalRotate(const VolumeGeometry& g, double px, double py, double pz, double vx, double vy,
                                 double vz, double theta);
    static Matrix4 sagittalRotate(const VolumeGeometry& g, double px, double py, double pz, double vx,
                                  double vy, double vz, double theta);
    static Matrix4 transposedAxialRotate(const VolumeGeometry& g, double px, double py, double pz, double vx,
                                         double vy, double vz, double theta);
    static Matrix4 transposedCoronalRotate(const VolumeGeometry& g, double px, double py, double pz, double vx,
                                           double vy, double vz, double theta);
    static Matrix4 transposedSagittalRotate(const VolumeGeometry& g, double px, double py, double pz, double vx,
                                            double vy, double vz, double theta);
    static Matrix4 rotateAboutPoint(double px, double py, double pz, double vx, double vy, double vz,
                                    double theta);

    // Rotation turning the normal of the first orientation (row x column
    // cosines) onto the normal of the second: n1 * M points along n2.
    // Identity when either normal is zero; for opposite normals a half turn
    // about an axis perpendicular to n1.
    static Matrix4 orientationChange(const double row1[3], const double column1[3], const double row2[3],
                                     const double column2[3]);
};

} // namespace zvipengine
