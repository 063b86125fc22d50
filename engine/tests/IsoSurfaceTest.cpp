// Iso-surface: the case table, closed and consistently wound meshes on
// random grids, a sphere's area and shape, the reduction and byte mapping.
#include "ZVIPEngine/VazAZUrorav.h"

#include "../rendering/IsoSurface.h"
#include "../rendering/MarchingCubesTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace {

using zvipengine::ByteGrid;
using zvipengine::IsoSurface;
using zvipengine::IsoSurfaceMesh;
using zvipengine::MarchingCubesTable;

struct MeshCheck {
    bool closed = true;      // every edge in exactly two triangles
    bool consistent = true;  // and walked once each way
    bool degenerateFree = true;
    std::int64_t edges = 0;
};

MeshCheck checkMesh(const IsoSurfacePolygon& m)
{
    std::map<std::pair<int, int>, int> directed;
    MeshCheck check;
    for (std::intptr_t t = 0; t < m.NumberOfTriangles; ++t) {
        const int c[3] = {m.Corner0[t], m.Corner1[t], m.Corner2[t]};
        if (c[0] == c[1] || c[1] == c[2] || c[0] == c[2])
            check.degenerateFree = false;
        for (int k = 0; k < 3; ++k)
            ++directed[{c[k], c[(k + 1) % 3]}];
    }
    for (const auto& [edge, count] : directed) {
        const auto reverse = directed.find({edge.second, edge.first});
        const int back = reverse == directed.end() ? 0 : reverse->second;
        if (count + back != 2)
            check.closed = false;
        if (count != 1 || back != 1)
            check.consistent = false;
        if (edge.first < edge.second || back == 0)
            ++check.edges;
    }
    return check;
}

IsoSurfacePolygon polygonOf(IsoSurfaceMesh& mesh)
{
    return *mesh.publish();
}

double area(const IsoSurfacePolygon& m)
{
    double total = 0;
    for (std::intptr_t t = 0; t < m.NumberOfTriangles; ++t) {
        const int a = m.Corner0[t], b = m.Corner1[t], c = m.Corner2[t];
        const double u[3] = {m.X[b] - m.X[a], m.Y[b] - m.Y[a], m.Z[b] - m.Z[a]};
        const double v[3] = {m.X[c] - m.X[a], m.Y[c] - m.Y[a], m.Z[c] - m.Z[a]};
        const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        total += 0.5 * std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    }
    return total;
}

// A volume with a ball of 1000 in 0, declared with the given spacing.
bool loadBall(VazAZUrorav& engine, int n, double radius, double spacing)
{
    if (!engine.SetDataProfile(n, n, n, spacing, spacing, spacing, 1.0, 0))
        return false;
    const double c = (n - 1) / 2.0;
    std::vector<std::int16_t> slice(static_cast<std::size_t>(n) * n);
    for (int z = 0; z < n; ++z) {
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const double r = std::sqrt((x - c) * (x - c) + (y - c) * (y - c) + (z - c) * (z - c));
                // A smooth rim, so the surface is placed between samples.
                slice[y * n + x] = static_cast<std::int16_t>(std::clamp(500.0 + 500.0 * (radius - r), 0.0, 1000.0));
            }
        if (!engine.SetDicomImage(slice.data(), z + 1, 1.0, 0.0, z * spacing))
            return false;
    }
    return true;
}

} // namespace

TEST(MarchingCubesTable, EveryCaseUsesOnlyItsCrossedEdges)
{
    const auto& table = MarchingCubesTable::instance();
    EXPECT_EQ(table[0].triangleCount, 0);
    EXPECT_EQ(table[255].triangleCount, 0);
    for (int index = 1; index < 255; ++index) {
        const auto& c = table[index];
        EXPECT_GT(c.triangleCount, 0) << index;
        std::uint16_t crossed = 0;
        for (int e = 0; e < 12; ++e) {
            const int a = MarchingCubesTable::EdgeCorners[e][0], b = MarchingCubesTable::EdgeCorners[e][1];
            if (((index >> a) & 1) != ((index >> b) & 1))
                crossed = static_cast<std::uint16_t>(crossed | 1 << e);
        }
        EXPECT_EQ(c.crossedEdges, crossed) << index;
        std::uint16_t used = 0;
        for (int k = 0; k < 3 * c.triangleCount; ++k)
            used = static_cast<std::uint16_t>(used | 1 << c.edges[static_cast<std::size_t>(k)]);
        EXPECT_EQ(used, crossed) << index;
        EXPECT_EQ(table[255 - index].crossedEdges, crossed);
    }
    // Corner 3 alone is the first published case: one triangle on edges 2, 3, 11.
    EXPECT_EQ(table[8].triangleCount, 1);
    EXPECT_EQ(table[8].crossedEdges, (1 << 2) | (1 << 3) | (1 << 11));
}

TEST(IsoSurfaceExtraction, RandomBlobsGiveClosedConsistentlyWoundMeshes)
{
    std::mt19937 random(2024);
    for (int trial = 0; trial < 40; ++trial) {
        ByteGrid grid;
        grid.X = 7;
        grid.Y = 6;
        grid.Z = 8;
        grid.values.assign(7 * 6 * 8, 0);
        // The outer layer stays outside, so every surface closes.
        for (int z = 1; z < 7; ++z)
            for (int y = 1; y < 5; ++y)
                for (int x = 1; x < 6; ++x)
                    grid.values[(z * 6 + y) * 7 + x] = static_cast<std::uint8_t>(random() % 256);
        IsoSurfaceMesh mesh;
        ASSERT_TRUE(IsoSurface::extract(grid, mesh));
        const IsoSurfacePolygon p = polygonOf(mesh);
        const MeshCheck check = checkMesh(p);
        EXPECT_TRUE(check.closed) << "trial " << trial;
        EXPECT_TRUE(check.consistent) << "trial " << trial;
        // Each crossed grid edge gives exactly one vertex.
        std::int64_t crossings = 0;
        const auto inside = [&](int x, int y, int z) { return grid.at(x, y, z) > 127; };
        for (int z = 0; z < 8; ++z)
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 7; ++x) {
                    crossings += x + 1 < 7 && inside(x, y, z) != inside(x + 1, y, z);
                    crossings += y + 1 < 6 && inside(x, y, z) != inside(x, y + 1, z);
                    crossings += z + 1 < 8 && inside(x, y, z) != inside(x, y, z + 1);
                }
        EXPECT_EQ(p.NumberOfVertices, crossings);
        for (std::intptr_t v = 0; v < p.NumberOfVertices; ++v) {
            const double length = std::hypot(p.NX[v], p.NY[v], p.NZ[v]);
            ASSERT_NEAR(length, 1.0, 1e-5);
        }
    }
}

TEST(IsoSurfaceExtraction, TwoHalvesGiveTheMeshOfOnePass)
{
    std::mt19937 random(99);
    for (const int slices : {18, 19, 40}) {
        ByteGrid grid;
        grid.X = 9;
        grid.Y = 7;
        grid.Z = slices;
        grid.values.resize(static_cast<std::size_t>(9 * 7 * slices));
        for (auto& v : grid.values)
            v = static_cast<std::uint8_t>(random() % 256);
        IsoSurfaceMesh one, two;
        ASSERT_TRUE(IsoSurface::extract(grid, one, 1));
        ASSERT_TRUE(IsoSurface::extract(grid, two, 2));
        EXPECT_EQ(one.x, two.x);
        EXPECT_EQ(one.y, two.y);
        EXPECT_EQ(one.z, two.z);
        EXPECT_EQ(one.nx, two.nx);
        EXPECT_EQ(one.ny, two.ny);
        EXPECT_EQ(one.nz, two.nz);
        EXPECT_EQ(one.corner0, two.corner0);
        EXPECT_EQ(one.corner1, two.corner1);
        EXPECT_EQ(one.corner2, two.corner2);
    }
}

TEST(IsoSurfaceExtraction, VertexLiesWhereTheBytesCrossTheLevel)
{
    ByteGrid grid;
    grid.X = 2;
    grid.Y = 2;
    grid.Z = 2;
    // Along x: 100 -> 200 crosses 127 at t = 27 / 100.
    grid.values = {100, 200, 100, 200, 100, 200, 100, 200};
    IsoSurfaceMesh mesh;
    ASSERT_TRUE(IsoSurface::extract(grid, mesh));
    const IsoSurfacePolygon p = polygonOf(mesh);
    ASSERT_EQ(p.NumberOfVertices, 4);
    EXPECT_EQ(p.NumberOfTriangles, 2);
    for (std::intptr_t v = 0; v < 4; ++v) {
        EXPECT_NEAR(p.X[v], 0.27f, 1e-6);
        EXPECT_NEAR(std::abs(p.NX[v]), 1.0f, 1e-6);
    }
}

TEST(IsoSurfaceEngine, SphereAreaShapeAndTopology)
{
    VazAZUrorav engine;
    const IsoSurfacePolygon* polygon = nullptr;
    EXPECT_FALSE(engine.CreatePolygonIsoSurface(500, 1.0f, &polygon));
    EXPECT_EQ(engine.ErrorNumber(), -1);

    const double radius = 9.0;
    ASSERT_TRUE(loadBall(engine, 26, radius, 1.0));
    ASSERT_TRUE(engine.CreatePolygonIsoSurface(500, 0.5f, &polygon));
    ASSERT_NE(polygon, nullptr);
    const MeshCheck check = checkMesh(*polygon);
    EXPECT_TRUE(check.closed);
    EXPECT_TRUE(check.consistent);
    // A sphere: Euler characteristic 2.
    EXPECT_EQ(polygon->NumberOfVertices - check.edges + polygon->NumberOfTriangles, 2);
    EXPECT_NEAR(area(*polygon), 4 * M_PI * radius * radius, 0.03 * 4 * M_PI * radius * radius);
    const double c = 12.5;
    for (std::intptr_t v = 0; v < polygon->NumberOfVertices; ++v) {
        const double d[3] = {polygon->X[v] - c, polygon->Y[v] - c, polygon->Z[v] - c};
        const double r = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        ASSERT_NEAR(r, radius, 0.25);
        // The gradient of the bytes points into the ball.
        const double along = (d[0] * polygon->NX[v] + d[1] * polygon->NY[v] + d[2] * polygon->NZ[v]) / r;
        ASSERT_LT(along, -0.95);
    }
}

TEST(IsoSurfaceEngine, ReductionHalvesTheGridUnits)
{
    VazAZUrorav engine;
    ASSERT_TRUE(loadBall(engine, 40, 14.0, 0.5));
    const IsoSurfacePolygon* polygon = nullptr;
    // 1.0 / 0.5: blocks of 2 x 2 x 2, a 20-sample grid with a ball of 7.
    ASSERT_TRUE(engine.CreatePolygonIsoSurface(500, 1.0f, &polygon));
    const MeshCheck check = checkMesh(*polygon);
    EXPECT_TRUE(check.closed);
    EXPECT_NEAR(area(*polygon), 4 * M_PI * 49, 0.05 * 4 * M_PI * 49);
    float largest = 0;
    for (std::intptr_t v = 0; v < polygon->NumberOfVertices; ++v)
        largest = std::max({largest, polygon->X[v], polygon->Y[v], polygon->Z[v]});
    EXPECT_LT(largest, 19.0f);
}

TEST(IsoSurfaceEngine, UniformVolumesGiveNoSurfaceAndResetFreesTheResult)
{
    VazAZUrorav engine;
    std::vector<std::int16_t> slice(8 * 8, 300);
    ASSERT_TRUE(engine.SetDataProfile(8, 8, 3, 1, 1, 1, 1.0, 0));
    for (int z = 0; z < 3; ++z)
        ASSERT_TRUE(engine.SetDicomImage(slice.data(), z + 1, 1.0, 0.0, z));
    const IsoSurfacePolygon* polygon = nullptr;
    for (const std::int16_t threshold : {100, 300, 1000}) {
        ASSERT_TRUE(engine.CreatePolygonIsoSurface(threshold, 0.0f, &polygon));
        EXPECT_EQ(polygon->NumberOfVertices, 0);
        EXPECT_EQ(polygon->NumberOfTriangles, 0);
    }
    ASSERT_TRUE(engine.SetDataProfile(4, 4, 2, 1, 1, 1, 1.0, 0));
    EXPECT_FALSE(engine.CreatePolygonIsoSurface(100, 1.0f, nullptr));
}

TEST(IsoSurfaceReduction, FactorsAndByteMapping)
{
    EXPECT_EQ(IsoSurface::reductionFactor(0.3f, 0.7f), 1);
    EXPECT_EQ(IsoSurface::reductionFactor(2.0f, 0.7f), 2);
    EXPECT_EQ(IsoSurface::reductionFactor(2.0f, -1.0f), 1);
    EXPECT_EQ(IsoSurface::reductionFactor(2.0f, 0.0f), 1);
    EXPECT_EQ(IsoSurface::reductionFactor(1e30f, 1e-30f), 1000000000);
    EXPECT_EQ(IsoSurface::byteOf(500, 500), 127); // on the level: outside
    EXPECT_EQ(IsoSurface::byteOf(503, 500), 127);
    EXPECT_EQ(IsoSurface::byteOf(504, 500), 128);
    EXPECT_EQ(IsoSurface::byteOf(497, 500), 127); // truncated toward zero
    EXPECT_EQ(IsoSurface::byteOf(496, 500), 126);
    EXPECT_EQ(IsoSurface::byteOf(500 + 4 * 127, 500), 254);
    EXPECT_EQ(IsoSurface::byteOf(500 + 4 * 128, 500), 255);
    EXPECT_EQ(IsoSurface::byteOf(500 - 4 * 127, 500), 0);
    EXPECT_EQ(IsoSurface::byteOf(500 - 4 * 128, 500), 0);
    EXPECT_EQ(IsoSurface::byteOf(-32768, 32767), 0);

    // Block means of 2 x 1 x 3, truncated; the odd last column is dropped.
    std::vector<std::int16_t> samples(5 * 2 * 3);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(i * 7);
    zvipengine::VolumeView view;
    view.samples = samples.data();
    view.X = 5;
    view.Y = 2;
    view.Z = 3;
    const std::int32_t factors[3] = {2, 1, 3};
    ByteGrid grid;
    ASSERT_TRUE(IsoSurface::reduce(view, 0, factors, 2, grid));
    ASSERT_EQ(grid.X, 2);
    ASSERT_EQ(grid.Y, 2);
    ASSERT_EQ(grid.Z, 1);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) {
            long long sum = 0;
            for (int z = 0; z < 3; ++z)
                for (int dx = 0; dx < 2; ++dx)
                    sum += samples[(z * 2 + y) * 5 + 2 * x + dx];
            EXPECT_EQ(grid.at(x, y, 0), IsoSurface::byteOf(sum / 6, 0));
        }
}
