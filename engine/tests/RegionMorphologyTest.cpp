// Region growing, component labelling and morphology against plain
// breadth-first searches and brute-force neighbourhood checks.
#include "MaskTestSupport.h"

#include "../masks/ComponentLabelling.h"
#include "../masks/Morphology.h"
#include "../masks/StructuringElement.h"
#include "../masks/ValueSelection.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <random>

namespace {

struct Grid {
    int X, Y, Z;
    std::size_t at(int x, int y, int z) const { return (static_cast<std::size_t>(z) * Y + y) * X + x; }
    bool inside(int x, int y, int z) const { return x >= 0 && y >= 0 && z >= 0 && x < X && y < Y && z < Z; }
};

// Plain breadth-first growth over the 18-neighbourhood, at most `waves`
// steps from the seed.
std::vector<std::uint8_t> referenceGrowth(const std::vector<int>& values, const Grid& g, int sx, int sy, int sz,
                                          int increase, int decrease, int waves = 200)
{
    std::vector<std::uint8_t> region(values.size(), 0);
    std::vector<int> distance(values.size(), -1);
    std::deque<std::array<int, 3>> queue{{sx, sy, sz}};
    region[g.at(sx, sy, sz)] = 1;
    distance[g.at(sx, sy, sz)] = 0;
    while (!queue.empty()) {
        const auto [x, y, z] = queue.front();
        queue.pop_front();
        const int v = values[g.at(x, y, z)];
        if (distance[g.at(x, y, z)] >= waves)
            continue;
        for (int dz = -1; dz <= 1; ++dz)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int away = std::abs(dx) + std::abs(dy) + std::abs(dz);
                    if (away == 0 || away == 3 || !g.inside(x + dx, y + dy, z + dz))
                        continue;
                    const std::size_t n = g.at(x + dx, y + dy, z + dz);
                    const int c = values[n];
                    if (region[n] || c - v > increase || v - c > decrease)
                        continue;
                    region[n] = 1;
                    distance[n] = distance[g.at(x, y, z)] + 1;
                    queue.push_back({x + dx, y + dy, z + dz});
                }
    }
    return region;
}

std::vector<std::uint8_t> flaggedWith(const VazAZUrorav& engine, int flag)
{
    std::vector<std::uint8_t> out;
    for (const std::uint16_t s : samplesOf(engine))
        out.push_back(((s >> 12) & 3) == flag ? 1 : 0);
    return out;
}

TEST(RegionGrowing, MarkFlagRegionMatchesPlainBreadthFirstGrowth)
{
    for (const unsigned seed : {1u, 2u, 3u}) {
        VazAZUrorav engine;
        const reference::Volume v = reference::randomVolume(14, 12, 9, seed, 2000);
        ASSERT_TRUE(loadIntoEngine(engine, v));
        const Grid g{v.X, v.Y, v.Z};
        // Out-of-range values read as -1 for the marking.
        std::vector<int> values(v.v.begin(), v.v.end());
        for (int& c : values)
            if (c < 200 || c > 1800)
                c = -1;
        const int sx = 6, sy = 5, sz = 4;
        ASSERT_TRUE(engine.SetMarkFlagRegionGrowingPoint(700, 900, 200, 1800, sx, sy, sz, 1));
        EXPECT_EQ(flaggedWith(engine, 1), referenceGrowth(values, g, sx, sy, sz, 700, 900)) << "seed " << seed;
        // A second marking with the same flag from elsewhere moves the flag.
        // The flags of the first marking are not read as values.
        ASSERT_TRUE(engine.SetMarkFlagRegionGrowingPoint(700, 900, 0, 0, 1, 1, 1, 1));
        const std::vector<int> plain(v.v.begin(), v.v.end());
        EXPECT_EQ(flaggedWith(engine, 1), referenceGrowth(plain, g, 1, 1, 1, 700, 900)) << "seed " << seed;
        // Marking the same region again gives the same region.
        const auto before = flaggedWith(engine, 1);
        ASSERT_TRUE(engine.SetMarkFlagRegionGrowingPoint(700, 900, 0, 0, 1, 1, 1, 1));
        EXPECT_EQ(flaggedWith(engine, 1), before);
        EXPECT_FALSE(engine.BitMaskFlag());
    }
}

TEST(RegionGrowing, StopsAfterTwoHundredWaves)
{
    VazAZUrorav engine;
    reference::Volume line;
    line.X = 300;
    line.Y = 1;
    line.Z = 1;
    line.v.assign(300, 100);
    ASSERT_TRUE(loadIntoEngine(engine, line));
    ASSERT_TRUE(engine.SetMarkFlagRegionGrowingPoint(0, 0, 0, 0, 0, 0, 0, 3));
    const auto flagged = flaggedWith(engine, 3);
    EXPECT_EQ(std::count(flagged.begin(), flagged.end(), 1), 201);
    EXPECT_EQ(flagged[200], 1);
    EXPECT_EQ(flagged[201], 0);
}

// A hollow ball: shell values 1000 between radii 4 and 8, 0 elsewhere.
reference::Volume hollowBall(int n)
{
    reference::Volume v;
    v.X = v.Y = v.Z = n;
    v.v.assign(static_cast<std::size_t>(n) * n * n, 0);
    const double c = (n - 1) / 2.0;
    for (int z = 0; z < n; ++z)
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const double r = std::sqrt((x - c) * (x - c) + (y - c) * (y - c) + (z - c) * (z - c));
                if (r >= 4 && r <= 8)
                    v.v[(static_cast<std::size_t>(z) * n + y) * n + x] = 1000;
            }
    return v;
}

TEST(RegionGrowing, MaskKeepsTheStructureAndItsEnclosedCavity)
{
    VazAZUrorav engine;
    const reference::Volume v = hollowBall(21);
    ASSERT_TRUE(loadIntoEngine(engine, v));
    const int c = 10;
    // Seed in the shell, 6 voxels from the centre.
    ASSERT_TRUE(engine.SetBitMaskRegionGrowingPoint(0, 0, 500, 1500, c + 6, c, c));
    const auto ages = agesOf(engine);
    const Grid g{21, 21, 21};
    for (int z = 0; z < 21; ++z)
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 21; ++x) {
                const double r = std::sqrt((x - c) * (x - c) + (y - c) * (y - c) + (z - c) * (z - c));
                // Shell and cavity stay visible; the outside is masked.
                EXPECT_EQ(ages[g.at(x, y, z)], r <= 8 ? 0 : 1) << x << "," << y << "," << z;
            }
    // The seed must lie in the visible box, which has shrunk to the ball.
    EXPECT_FALSE(engine.SetBitMaskRegionGrowingPoint(0, 0, 500, 1500, 0, 0, 0));
    EXPECT_EQ(agesOf(engine), ages);
}

TEST(RegionGrowing, AStructureTooThinForTheErosionIsKept)
{
    VazAZUrorav engine;
    reference::Volume v;
    v.X = v.Y = v.Z = 9;
    v.v.assign(729, 0);
    for (int x = 1; x < 8; ++x)
        v.v[(static_cast<std::size_t>(4) * 9 + 4) * 9 + x] = 500;
    ASSERT_TRUE(loadIntoEngine(engine, v));
    ASSERT_TRUE(engine.SetBitMaskRegionGrowingPoint(0, 0, 400, 600, 4, 4, 4));
    const auto ages = agesOf(engine);
    for (std::size_t i = 0; i < ages.size(); ++i)
        EXPECT_EQ(ages[i], v.v[i] == 500 ? 0 : 1) << i;
}

// ---- labelling

std::vector<std::uint8_t> randomBinary(std::size_t n, unsigned seed, int percent)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> d(0, 99);
    std::vector<std::uint8_t> image(n);
    for (auto& b : image)
        b = d(random) < percent ? 1 : 0;
    return image;
}

TEST(ComponentLabelling, CountsSizesAndOrderMatchAUnionFind)
{
    for (const Grid g : {Grid{17, 13, 7}, Grid{9, 1, 6}, Grid{1, 8, 5}, Grid{12, 10, 1}})
    for (const auto connectivity : {zvipengine::ComponentLabelling::Connectivity::Face,
                                    zvipengine::ComponentLabelling::Connectivity::Edge,
                                    zvipengine::ComponentLabelling::Connectivity::Vertex}) {
        const auto image = randomBinary(static_cast<std::size_t>(g.X) * g.Y * g.Z, 11, 35);
        std::vector<int> parent(image.size());
        std::iota(parent.begin(), parent.end(), 0);
        const std::function<int(int)> find = [&](int a) { return parent[a] == a ? a : parent[a] = find(parent[a]); };
        const int limit = connectivity == zvipengine::ComponentLabelling::Connectivity::Face ? 1
                          : connectivity == zvipengine::ComponentLabelling::Connectivity::Edge ? 2 : 3;
        for (int z = 0; z < g.Z; ++z)
            for (int y = 0; y < g.Y; ++y)
                for (int x = 0; x < g.X; ++x)
                    for (int dz = -1; dz <= 1; ++dz)
                        for (int dy = -1; dy <= 1; ++dy)
                            for (int dx = -1; dx <= 1; ++dx) {
                                const int away = std::abs(dx) + std::abs(dy) + std::abs(dz);
                                // In 2-D the edge connectivity is the full 8-neighbourhood.
                                const int allowed = g.Z == 1 && limit == 2 ? 3 : limit;
                                if (away == 0 || away > allowed || !g.inside(x + dx, y + dy, z + dz))
                                    continue;
                                if (image[g.at(x, y, z)] && image[g.at(x + dx, y + dy, z + dz)])
                                    parent[find(static_cast<int>(g.at(x, y, z)))] =
                                        find(static_cast<int>(g.at(x + dx, y + dy, z + dz)));
                            }
        std::map<int, int> sizes;
        for (std::size_t i = 0; i < image.size(); ++i)
            if (image[i])
                ++sizes[find(static_cast<int>(i))];
        std::vector<std::int32_t> labels(image.size());
        const std::int32_t count =
            zvipengine::ComponentLabelling::label(image.data(), g.X, g.Y, g.Z, connectivity, labels.data());
        ASSERT_EQ(count, static_cast<std::int32_t>(sizes.size()));
        // Same partition, and sizes do not grow with the label.
        std::vector<int> labelSize(static_cast<std::size_t>(count) + 1, 0);
        std::map<int, int> rootOfLabel;
        for (std::size_t i = 0; i < image.size(); ++i) {
            ASSERT_EQ(labels[i] != 0, image[i] != 0);
            if (!image[i])
                continue;
            ++labelSize[static_cast<std::size_t>(labels[i])];
            const auto [it, fresh] = rootOfLabel.emplace(labels[i], find(static_cast<int>(i)));
            ASSERT_EQ(it->second, find(static_cast<int>(i)));
        }
        for (std::int32_t l = 2; l <= count; ++l)
            EXPECT_GE(labelSize[static_cast<std::size_t>(l - 1)], labelSize[static_cast<std::size_t>(l)]);
        std::vector<std::uint8_t> bytes(image.size());
        EXPECT_EQ(zvipengine::ComponentLabelling::toBytes(labels.data(), static_cast<std::int64_t>(labels.size()), count,
                                                          bytes.data()),
                  count > 254 ? 255 : count);
    }
}

TEST(ComponentLabelling, EqualSizesKeepScanOrderAndByteLabelsFold)
{
    // 300 isolated voxels in a row: every component has size 1.
    std::vector<std::uint8_t> image(600, 0);
    for (int i = 0; i < 600; i += 2)
        image[static_cast<std::size_t>(i)] = 1;
    std::vector<std::int32_t> labels(600);
    ASSERT_EQ(zvipengine::ComponentLabelling::label(image.data(), 600, 1, 1,
                                                    zvipengine::ComponentLabelling::Connectivity::Face, labels.data()),
              300);
    EXPECT_EQ(labels[0], 1);
    EXPECT_EQ(labels[2], 2);
    EXPECT_EQ(labels[598], 300);
    std::vector<std::uint8_t> bytes(600);
    EXPECT_EQ(zvipengine::ComponentLabelling::toBytes(labels.data(), 600, 300, bytes.data()), 255);
    EXPECT_EQ(bytes[2 * 253], 254);
    EXPECT_EQ(bytes[2 * 254], 255);
    EXPECT_EQ(bytes[598], 255);
}

// ---- morphology

std::vector<std::uint8_t> bruteForce(bool erosion, const std::vector<std::uint8_t>& in, const Grid& g,
                                     const std::vector<std::uint8_t>& element, int nx, int ny, int nz,
                                     const std::vector<std::uint8_t>* restricting = nullptr)
{
    std::vector<std::uint8_t> out(in.size());
    for (int z = 0; z < g.Z; ++z)
        for (int y = 0; y < g.Y; ++y)
            for (int x = 0; x < g.X; ++x) {
                int value = erosion ? 1 : 0;
                for (int k = 0; k < nz; ++k)
                    for (int j = 0; j < ny; ++j)
                        for (int i = 0; i < nx; ++i) {
                            if (!element[(static_cast<std::size_t>(k) * ny + j) * nx + i])
                                continue;
                            const int px = x + i - (nx - 1) / 2, py = y + j - (ny - 1) / 2, pz = z + k - (nz - 1) / 2;
                            const int s = g.inside(px, py, pz) ? in[g.at(px, py, pz)] : 0;
                            value = erosion ? std::min(value, s) : std::max(value, s);
                        }
                const std::size_t n = g.at(x, y, z);
                out[n] = static_cast<std::uint8_t>(restricting && !(*restricting)[n] ? in[n] : value);
            }
    return out;
}

TEST(Morphology, RunsMatchTheBruteForceNeighbourhood)
{
    const Grid g{19, 11, 8};
    const auto image = randomBinary(static_cast<std::size_t>(g.X) * g.Y * g.Z, 5, 70);
    const auto restricting = randomBinary(image.size(), 6, 80);
    for (const auto [nx, ny, nz] : {std::array<int, 3>{3, 3, 3}, {4, 2, 3}, {5, 1, 1}, {2, 5, 4}}) {
        // A random element with holes, so that rows break into several runs.
        auto element = randomBinary(static_cast<std::size_t>(nx) * ny * nz, nx * 100 + ny * 10 + nz, 60);
        element[0] = 1;
        std::vector<std::int16_t> entries(element.begin(), element.end());
        for (auto& e : entries)
            e = static_cast<std::int16_t>(e ? 0x0101 : 0x0100); // only the low byte counts
        const auto structure = zvipengine::StructuringElement::fromEntries(entries.data(), nx, ny, nz);
        for (const bool erosion : {true, false})
            for (const bool restricted : {false, true})
                for (const int threads : {1, 2}) {
                    std::vector<std::uint8_t> out(image.size());
                    ASSERT_TRUE(zvipengine::Morphology::apply(
                        erosion ? zvipengine::Morphology::Operation::Erosion : zvipengine::Morphology::Operation::Dilation,
                        image.data(), out.data(), g.X, g.Y, g.Z, structure, restricted ? restricting.data() : nullptr,
                        threads));
                    EXPECT_EQ(out, bruteForce(erosion, image, g, element, nx, ny, nz, restricted ? &restricting : nullptr))
                        << nx << "x" << ny << "x" << nz << (erosion ? " erosion" : " dilation")
                        << (restricted ? " restricted" : "");
                }
    }
}

std::vector<std::uint8_t> ellipsoid(int nx, int ny, int nz)
{
    std::vector<std::uint8_t> e(static_cast<std::size_t>(nx) * ny * nz);
    for (int k = 0; k < nz; ++k)
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i) {
                const double a = (2.0 * i + 1 - nx) / nx, b = (2.0 * j + 1 - ny) / ny, c = (2.0 * k + 1 - nz) / nz;
                e[(static_cast<std::size_t>(k) * ny + j) * nx + i] = a * a + b * b + c * c < 1.0 ? 1 : 0;
            }
    return e;
}

TEST(Morphology, EngineStepsMaskWhatTheOperationRemoves)
{
    const reference::Volume v = reference::randomVolume(16, 14, 10, 21, 1000);
    const Grid g{v.X, v.Y, v.Z};
    for (int type = 0; type < 4; ++type) {
        VazAZUrorav engine;
        ASSERT_TRUE(loadIntoEngine(engine, v));
        ASSERT_TRUE(engine.SetBitMaskThreshold(0, 0, 250)); // a quarter masked at random
        const auto visible = visibilityOf(engine);
        const auto e = ellipsoid(3, 5, 3);
        std::vector<std::uint8_t> result;
        if (type == 0 || type == 1)
            result = bruteForce(type == 0, visible, g, e, 3, 5, 3);
        else
            result = bruteForce(type == 3, bruteForce(type == 2, visible, g, e, 3, 5, 3), g, e, 3, 5, 3);
        ASSERT_TRUE(engine.MathBitMaskMorphology(static_cast<std::int16_t>(type), 1, 3, 5, 3));
        const auto ages = agesOf(engine);
        for (std::size_t i = 0; i < ages.size(); ++i) {
            const int expected = !visible[i] ? 2 : (result[i] ? 0 : 1);
            ASSERT_EQ(ages[i], expected) << "type " << type << " voxel " << i;
        }
    }
    // The given element on the visible box.
    VazAZUrorav engine;
    ASSERT_TRUE(loadIntoEngine(engine, v));
    ASSERT_TRUE(engine.SetBitMaskRectangle(0, 2, 13, 1, 12, 1, 8, IdentityMatrix));
    ASSERT_TRUE(engine.SetBitMaskThreshold(0, 0, 150));
    const auto visible = visibilityOf(engine);
    const std::vector<std::uint8_t> element = {1, 1, 0, 0, 1, 1, 1, 0, 1, 1, 0, 1};
    const std::vector<std::int16_t> entries(element.begin(), element.end());
    const std::int32_t dims[3] = {2, 3, 2};
    ASSERT_TRUE(engine.SetBitMaskErosion(entries.data(), dims));
    const auto eroded = bruteForce(true, visible, g, element, 2, 3, 2);
    const auto ages = agesOf(engine);
    for (std::size_t i = 0; i < ages.size(); ++i) {
        if (visible[i]) {
            ASSERT_EQ(ages[i], eroded[i] ? 0 : 1) << i;
        }
    }
}

} // namespace

namespace {

TEST(Morphology, TwoThreadsGiveTheResultOfOne)
{
    const Grid g{160, 120, 60};
    const auto image = randomBinary(static_cast<std::size_t>(g.X) * g.Y * g.Z, 9, 75);
    const auto element = zvipengine::StructuringElement::ellipsoid(5, 3, 3);
    for (const auto operation : {zvipengine::Morphology::Operation::Erosion, zvipengine::Morphology::Operation::Dilation}) {
        std::vector<std::uint8_t> one(image.size()), two(image.size());
        ASSERT_TRUE(zvipengine::Morphology::apply(operation, image.data(), one.data(), g.X, g.Y, g.Z, element, nullptr, 1));
        ASSERT_TRUE(zvipengine::Morphology::apply(operation, image.data(), two.data(), g.X, g.Y, g.Z, element, nullptr, 2));
        EXPECT_EQ(one, two);
    }
}

} // namespace

namespace {

TEST(ValueSelection, ReplacesOutsideTheRangeAndTestsLabelMembership)
{
    std::vector<std::int16_t> values = {-5, 0, 10, 11, 99, 100, 101, 32767};
    zvipengine::ValueSelection::replaceOutside(values.data(), static_cast<std::int64_t>(values.size()), 0, 100, -1);
    EXPECT_EQ(values, (std::vector<std::int16_t>{-1, 0, 10, 11, 99, 100, -1, -1}));
    const std::vector<std::int32_t> labels = {0, 1, 2, 3, 4, 5, -1, 70000000};
    std::vector<std::uint8_t> out(labels.size(), 9);
    const std::int32_t small[3] = {2, 5, 2};
    zvipengine::ValueSelection::membership(labels.data(), 8, small, 3, out.data());
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0, 0, 1, 0, 0, 1, 0, 0}));
    // A list holding a label too large for a table.
    const std::int32_t large[2] = {70000000, 1};
    zvipengine::ValueSelection::membership(labels.data(), 8, large, 2, out.data());
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0, 1, 0, 0, 0, 0, 0, 1}));
    zvipengine::ValueSelection::membership(labels.data(), 8, nullptr, 0, out.data());
    EXPECT_EQ(out, std::vector<std::uint8_t>(8, 0));
}

} // namespace

namespace {

// A slab wide enough for waves of more than 8192 voxels, which two
// threads expand together.
TEST(RegionGrowing, WideWavesOnTwoThreadsMatchPlainBreadthFirstGrowth)
{
    VazAZUrorav engine;
    const reference::Volume v = reference::randomVolume(128, 128, 24, 77, 400);
    ASSERT_TRUE(loadIntoEngine(engine, v));
    ASSERT_TRUE(engine.SetMarkFlagRegionGrowingPoint(250, 250, 0, 0, 64, 64, 12, 2));
    const std::vector<int> values(v.v.begin(), v.v.end());
    const auto expected = referenceGrowth(values, Grid{v.X, v.Y, v.Z}, 64, 64, 12, 250, 250);
    EXPECT_GT(std::count(expected.begin(), expected.end(), 1), 300000);
    EXPECT_EQ(flaggedWith(engine, 2), expected);
}

} // namespace
