#include "SurfaceMesh.h"

#include <ZVIPEngine/VazAZUrorav.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace vantor {

namespace {

// The engine's reduction per axis: whole voxels per grid step, at least 1
// (a negative slice spacing, as registered, is never reduced).
double factor(float pixelSpacing, float spacing)
{
    const double steps = std::floor(static_cast<double>(pixelSpacing) / spacing);
    return std::isfinite(steps) && steps >= 1.0 ? steps : 1.0;
}

} // namespace

bool surfaceMesh(VazAZUrorav& engine, const SeriesGeometry& geometry, int hounsfield, int reduce, TriangleMesh& mesh,
                 std::string& error)
{
    const float pixelSpacing = reduce > 1 ? static_cast<float>(reduce) * engine.Xspacing() : 0.0F;
    const auto threshold = static_cast<std::int16_t>(std::clamp(hounsfield + 1024, 0, 32767));
    const IsoSurfacePolygon* polygon = nullptr;
    engine.setErrorNumber(0);
    if (!engine.CreatePolygonIsoSurface(threshold, pixelSpacing, &polygon) || polygon == nullptr) {
        error = "CreatePolygonIsoSurface failed (ErrorNumber " + std::to_string(engine.ErrorNumber()) + ")";
        return false;
    }
    // A grid point is the mean of a block of k voxels: its centre lies at
    // g k + (k - 1) / 2 voxels along the axis.
    const std::array<double, 3> k = {factor(pixelSpacing, engine.Xspacing()), factor(pixelSpacing, engine.Yspacing()),
                                     factor(pixelSpacing, engine.Zspacing())};
    const std::array<const std::array<double, 3>*, 3> steps = {&geometry.columnStep, &geometry.rowStep,
                                                                &geometry.sliceStep};
    // Grid units to millimetres (columns a[axis]) and its inverse transpose for the normals.
    double a[3][3];
    for (int axis = 0; axis < 3; ++axis)
        for (int row = 0; row < 3; ++row)
            a[row][axis] = (*steps[static_cast<std::size_t>(axis)])[static_cast<std::size_t>(row)] * k[static_cast<std::size_t>(axis)];
    const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                       a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    if (det == 0.0) {
        error = "the series geometry is degenerate";
        return false;
    }
    double cofactor[3][3]; // cofactor matrix = det * inverse transpose
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            cofactor[r][c] = a[(r + 1) % 3][(c + 1) % 3] * a[(r + 2) % 3][(c + 2) % 3] -
                             a[(r + 1) % 3][(c + 2) % 3] * a[(r + 2) % 3][(c + 1) % 3];

    const std::size_t vertices = static_cast<std::size_t>(polygon->NumberOfVertices);
    const std::size_t triangles = static_cast<std::size_t>(polygon->NumberOfTriangles);
    mesh.vertices.resize(vertices);
    mesh.normals.resize(vertices);
    mesh.triangles.resize(triangles);
    for (std::size_t v = 0; v < vertices; ++v) {
        const double grid[3] = {polygon->X[v], polygon->Y[v], polygon->Z[v]};
        const double normal[3] = {polygon->NX[v], polygon->NY[v], polygon->NZ[v]};
        double n[3] = {0, 0, 0}, length = 0;
        for (int row = 0; row < 3; ++row) {
            double position = geometry.origin[static_cast<std::size_t>(row)];
            for (int axis = 0; axis < 3; ++axis) {
                const double voxel = grid[axis] * k[static_cast<std::size_t>(axis)] + (k[static_cast<std::size_t>(axis)] - 1.0) / 2.0;
                position += (*steps[static_cast<std::size_t>(axis)])[static_cast<std::size_t>(row)] * voxel;
                n[row] += cofactor[row][axis] * normal[axis] / det;
            }
            mesh.vertices[v][static_cast<std::size_t>(row)] = static_cast<float>(position);
            length += n[row] * n[row];
        }
        length = std::sqrt(length);
        for (int row = 0; row < 3; ++row)
            mesh.normals[v][static_cast<std::size_t>(row)] = static_cast<float>(length > 0 ? n[row] / length : 0.0);
    }
    // A mirroring placement (negative determinant) would turn every triangle inside out.
    for (std::size_t t = 0; t < triangles; ++t)
        mesh.triangles[t] = det > 0 ? std::array<std::int32_t, 3>{polygon->Corner0[t], polygon->Corner1[t], polygon->Corner2[t]}
                                    : std::array<std::int32_t, 3>{polygon->Corner0[t], polygon->Corner2[t], polygon->Corner1[t]};
    return true;
}

} // namespace vantor
