// Reformats and projections while a mask is in force: the masked forms
// against the unmasked forms on volumes with the masked voxels replaced,
// and against references of the skip rule written here.
#include "MaskTestSupport.h"

#include <gtest/gtest.h>

namespace {

using reference::Kind;

struct MaskedImaging : ::testing::Test {
    VazAZUrorav engine;
    reference::Volume volume;
    std::vector<std::uint8_t> visible;

    void SetUp() override
    {
        volume = reference::randomVolume(18, 16, 12, 31, 3000);
        volume.sx = 0.8;
        volume.sy = 0.8;
        volume.sz = 2.0;
        ASSERT_TRUE(loadIntoEngine(engine, volume));
        volume.sx = engine.Xspacing();
        volume.sy = engine.Yspacing();
        volume.sz = engine.Zspacing();
        ASSERT_TRUE(engine.SetBitMaskThreshold(0, 0, 600));
        ASSERT_TRUE(engine.SetBitMaskSphere(0, 9, 8, 6, 8, 7, 5, IdentityMatrix));
        visible = visibilityOf(engine);
    }
    // The volume with every masked voxel replaced by `value`.
    reference::Volume replaced(int value) const
    {
        reference::Volume r = volume;
        for (std::size_t i = 0; i < r.v.size(); ++i)
            if (!visible[i])
                r.v[i] = static_cast<std::int16_t>(value);
        return r;
    }
    int projectOrtho(VazAZUrorav& e, Kind kind, int W, int H, int axis, int plane, int depth, std::vector<std::int16_t>& out)
    {
        out.assign(static_cast<std::size_t>(W) * H, -7);
        std::int16_t* buffer = nullptr;
        bool done = false;
        if (kind == Kind::Max)
            done = e.GetImageOrthoMIP(out.data(), W, H, axis, plane, depth);
        else if (kind == Kind::Min)
            done = e.GetImageOrthoMinIP(out.data(), W, H, axis, plane, depth);
        else if ((done = e.CreateImageOrthoSum(&buffer, 3, W, H, axis, plane, depth)))
            std::copy(buffer, buffer + out.size(), out.begin());
        return done ? 1 : 0;
    }
};

TEST_F(MaskedImaging, OrthogonalProjectionsLeaveMaskedVoxelsOut)
{
    for (const Kind kind : {Kind::Max, Kind::Min, Kind::Mean}) {
        // Left out = the combination's starting value.
        VazAZUrorav plain;
        ASSERT_TRUE(loadIntoEngine(plain, replaced(kind == Kind::Min ? 16384 : 0)));
        VazAZUrorav original;
        ASSERT_TRUE(loadIntoEngine(original, volume));
        const int sizes[3][2] = {{18, 16}, {18, 20}, {16, 20}};
        for (int axis = 0; axis < 3; ++axis) {
            const int W = sizes[axis][0], H = sizes[axis][1];
            std::vector<std::int16_t> masked, expected;
            engine.setUseBitMask(true);
            ASSERT_TRUE(projectOrtho(engine, kind, W, H, axis, 6, 5, masked));
            ASSERT_TRUE(projectOrtho(plain, kind, W, H, axis, 6, 5, expected));
            EXPECT_EQ(masked, expected) << "kind " << int(kind) << " axis " << axis;
            // Without UseBitMask every voxel counts with its value.
            engine.setUseBitMask(false);
            ASSERT_TRUE(projectOrtho(engine, kind, W, H, axis, 6, 5, masked));
            ASSERT_TRUE(projectOrtho(original, kind, W, H, axis, 6, 5, expected));
            EXPECT_EQ(masked, expected) << "kind " << int(kind) << " axis " << axis << " without UseBitMask";
        }
    }
}

TEST_F(MaskedImaging, OrthogonalReformatCarriesTheMaskBitsOfItsNeighbours)
{
    const std::vector<std::int16_t> maskedSamples(reinterpret_cast<const std::int16_t*>(engine.PtrData()),
                                                  reinterpret_cast<const std::int16_t*>(engine.PtrData()) + volume.v.size());
    for (const int axis : {0, 1, 2, 13, 14}) {
        const int W = axis == 0 ? 18 : (axis == 13 || axis == 14 ? 24 : (axis == 1 ? 18 : 16));
        const int H = axis == 0 ? 16 : (axis == 13 ? 18 : (axis == 14 ? 16 : 24));
        const auto values = reference::orthogonalReformat(volume, W, H, axis, 5);
        // The mask bits as a volume of 0 / 0x4000 stretched the same way:
        // non-zero wherever a neighbour is masked.
        reference::Volume bits = volume;
        for (std::size_t i = 0; i < bits.v.size(); ++i)
            bits.v[i] = static_cast<std::int16_t>(visible[i] ? 0 : 1000);
        const auto touched = reference::orthogonalReformat(bits, W, H, axis, 5);
        std::vector<std::int16_t> image(static_cast<std::size_t>(W) * H);
        engine.setUseBitMask(true);
        ASSERT_TRUE(engine.GetImageOrthoMPR(image.data(), W, H, axis, 5));
        for (std::size_t i = 0; i < image.size(); ++i) {
            const auto u = static_cast<std::uint16_t>(image[i]);
            ASSERT_EQ(u & 0x3FFF, values[i]) << "axis " << axis << " pixel " << i;
            ASSERT_EQ((u & 0xC000) != 0, touched[i] != 0) << "axis " << axis << " pixel " << i;
        }
        engine.setUseBitMask(false);
        ASSERT_TRUE(engine.GetImageOrthoMPR(image.data(), W, H, axis, 5));
        EXPECT_EQ(widen(image.data(), image.size()), values) << "axis " << axis;
    }
    EXPECT_EQ(std::vector<std::int16_t>(reinterpret_cast<const std::int16_t*>(engine.PtrData()),
                                        reinterpret_cast<const std::int16_t*>(engine.PtrData()) + volume.v.size()),
              maskedSamples);
}

// The skip rule: a sample counts only when none of its eight voxels is
// masked.
std::vector<int> maskedOblique(const reference::Volume& v, const std::vector<std::uint8_t>& visible, Kind kind,
                               const float* M, int W, int H, double p, int plane, int depth, bool reformat)
{
    const reference::View view(M, W, H, p);
    std::vector<int> out(static_cast<std::size_t>(W) * H, 0);
    const int start = reformat ? plane : plane - depth / 2;
    const int count = reformat ? 1 : depth;
    for (int j = 0; j < H; ++j)
        for (int i = 0; i < W; ++i) {
            long long value = kind == Kind::Min ? 16384 : 0;
            for (int k = start; k < start + count; ++k) {
                double q[3];
                view.map(i, j, k, q);
                int s;
                if (!reference::sample(v, q, s))
                    continue;
                const int a = static_cast<int>(q[0]), b = static_cast<int>(q[1]), c = static_cast<int>(q[2]);
                bool masked = false;
                for (int d = 0; d < 8; ++d)
                    masked |= !visible[(static_cast<std::size_t>(c + (d >> 2)) * v.Y + b + ((d >> 1) & 1)) * v.X + a + (d & 1)];
                if (masked)
                    continue;
                if (kind == Kind::Max)
                    value = std::max<long long>(value, s);
                else if (kind == Kind::Min)
                    value = std::min<long long>(value, s);
                else
                    value += s;
            }
            out[static_cast<std::size_t>(j) * W + i] = static_cast<int>(kind == Kind::Mean && !reformat ? value / depth : value);
        }
    return out;
}

TEST_F(MaskedImaging, ObliqueFormsSkipSamplesTouchingAMask)
{
    float M[16];
    ASSERT_TRUE(engine.GetMatrixAxialRotate(M, 8.5f, 7.5f, 5.5f, 0.3f, 1.0f, 0.2f, 25.0f));
    const int W = 20, H = 18;
    const double p = 0.6;
    std::int16_t* buffer = nullptr;
    std::vector<std::int16_t> image(static_cast<std::size_t>(W) * H);

    engine.setUseBitMask(true);
    ASSERT_TRUE(engine.CreateImageMIPMatrix(&buffer, 1, W, H, 0.6f, 0, 12, M));
    EXPECT_EQ(widen(buffer, image.size()), maskedOblique(volume, visible, Kind::Max, M, W, H, p, 0, 12, false));
    // The Get form scales by the X spacing, whatever PixelSpacing says.
    ASSERT_TRUE(engine.GetImageMinIPMatrix(image.data(), W, H, 0.6f, 0, 12, M));
    EXPECT_EQ(widen(image.data(), image.size()),
              maskedOblique(volume, visible, Kind::Min, M, W, H, engine.Xspacing(), 0, 12, false));
    ASSERT_TRUE(engine.CreateImageSumMatrix(&buffer, 2, W, H, 0.6f, 0, 12, M));
    EXPECT_EQ(widen(buffer, image.size()), maskedOblique(volume, visible, Kind::Mean, M, W, H, p, 0, 12, false));
    ASSERT_TRUE(engine.CreateImageMPRMatrix(&buffer, 3, W, H, 0.6f, 2, M));
    EXPECT_EQ(widen(buffer, image.size()), maskedOblique(volume, visible, Kind::Max, M, W, H, p, 2, 1, true));
    ASSERT_TRUE(engine.GetImageMIPMatrixPart(0, 9, image.data(), W, H, 0.6f, 0, 12, M));
    ASSERT_TRUE(engine.GetImageMIPMatrixPart(1, 9, image.data(), W, H, 0.6f, 0, 12, M));
    EXPECT_EQ(widen(image.data(), image.size()), maskedOblique(volume, visible, Kind::Max, M, W, H, p, 0, 12, false));

    // Without UseBitMask: the unmasked results of the original values.
    engine.setUseBitMask(false);
    ASSERT_TRUE(engine.CreateImageMIPMatrix(&buffer, 1, W, H, 0.6f, 0, 12, M));
    EXPECT_EQ(widen(buffer, image.size()), reference::obliqueProjection(volume, Kind::Max, M, W, H, p, 0, 12));
    ASSERT_TRUE(engine.GetImageMPRMatrix(image.data(), W, H, 2, M));
    EXPECT_EQ(widen(image.data(), image.size()),
              reference::obliqueReformat(volume, M, W, H, engine.Xspacing(), 2));
}

TEST_F(MaskedImaging, MaximumProjectionOverAFullyMaskedRegionIsZero)
{
    ASSERT_TRUE(engine.SetBitMaskRectangle(0, -1, -1, -1, -1, -1, -1, IdentityMatrix)); // everything
    engine.SpecialMethod(9); // a brick copy must not bypass the mask
    float M[16];
    ASSERT_TRUE(engine.GetMatrixDefault(M));
    std::int16_t* buffer = nullptr;
    ASSERT_TRUE(engine.CreateImageMIPMatrix(&buffer, 1, 18, 16, 0.8f, 0, 20, M));
    EXPECT_EQ(widen(buffer, 18 * 16), std::vector<int>(18 * 16, 0));
    std::vector<std::int16_t> image(18 * 16, 5);
    ASSERT_TRUE(engine.GetImageOrthoMIP(image.data(), 18, 16, 0, 6, 12));
    EXPECT_EQ(widen(image.data(), image.size()), std::vector<int>(image.size(), 0));
}

} // namespace

namespace {

TEST(MaskedImagingBricks, ABrickCopyTakenWhileMaskedIsNotReadAfterTheMaskIsCleared)
{
    VazAZUrorav engine;
    const reference::Volume v = reference::randomVolume(24, 20, 16, 41, 3000);
    ASSERT_TRUE(loadIntoEngine(engine, v));
    ASSERT_TRUE(engine.SetBitMaskThreshold(0, 0, 2000));
    engine.SpecialMethod(9); // bricks of masked samples
    ASSERT_TRUE(engine.ClearBitMask());
    float M[16];
    ASSERT_TRUE(engine.GetMatrixAxialRotate(M, 11.5f, 9.5f, 7.5f, 0.2f, 1.0f, 0.4f, 20.0f));
    std::int16_t* buffer = nullptr;
    ASSERT_TRUE(engine.CreateImageMIPMatrix(&buffer, 1, 24, 20, 1.0f, 0, 16, M));
    reference::Volume stored = v;
    stored.sx = engine.Xspacing();
    stored.sy = engine.Yspacing();
    stored.sz = engine.Zspacing();
    EXPECT_EQ(widen(buffer, 24 * 20), reference::obliqueProjection(stored, Kind::Max, M, 24, 20, 1.0, 0, 16));
}

} // namespace
