// The matrix methods: composition order, inversion, the default view
// matrices and the rotations that move them.
#include "ZVIPEngine/VazAZUrorav.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

namespace {

using Matrix = std::array<float, 16>;

std::array<double, 3> apply(const Matrix& m, double x, double y, double z)
{
    return {x * m[0] + y * m[4] + z * m[8] + m[12], x * m[1] + y * m[5] + z * m[9] + m[13],
            x * m[2] + y * m[6] + z * m[10] + m[14]};
}

void expectPoint(const std::array<double, 3>& p, double x, double y, double z, double tolerance = 1e-4)
{
    EXPECT_NEAR(p[0], x, tolerance);
    EXPECT_NEAR(p[1], y, tolerance);
    EXPECT_NEAR(p[2], z, tolerance);
}

Matrix translate(float x, float y, float z)
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
}

Matrix scale(float s)
{
    return {s, 0, 0, 0, 0, s, 0, 0, 0, 0, s, 0, 0, 0, 0, 1};
}

TEST(MatrixAlgebra, MathMatrixAppliesBThenA)
{
    VazAZUrorav engine;
    const Matrix a = translate(1, 0, 0);
    const Matrix b = scale(2);
    Matrix ab{};
    ASSERT_TRUE(engine.MathMatrix(a.data(), b.data(), ab.data()));
    expectPoint(apply(ab, 0, 0, 0), 1, 0, 0);
    expectPoint(apply(ab, 1, 0, 0), 3, 0, 0);
    EXPECT_FALSE(engine.MathMatrix(a.data(), b.data(), nullptr));
}

TEST(MatrixAlgebra, InvertRandomAffineAndSingular)
{
    VazAZUrorav engine;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-3.0f, 3.0f);
    for (int trial = 0; trial < 20; ++trial) {
        Matrix m{};
        for (int i = 0; i < 16; ++i)
            m[i] = value(random);
        m[3] = m[7] = m[11] = 0;
        m[15] = 1;
        Matrix inverse{};
        ASSERT_TRUE(engine.GetMatrixInvert(inverse.data(), m.data()));
        const double x = value(random), y = value(random), z = value(random);
        const auto p = apply(m, x, y, z);
        const auto back = apply(inverse, p[0], p[1], p[2]);
        // Tolerance scaled by the matrix' condition; random matrices stay tame.
        expectPoint(back, x, y, z, 2e-2);
    }
    Matrix singular = scale(2);
    singular[4] = singular[5] = singular[6] = 0; // a zero row
    Matrix out{};
    ASSERT_TRUE(engine.GetMatrixInvert(out.data(), singular.data()));
    EXPECT_EQ(out, singular);
    // Permutation needs pivoting: (0 1; 1 0) in the upper left block.
    Matrix swap = {0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 4, 5, 6, 1};
    ASSERT_TRUE(engine.GetMatrixInvert(out.data(), swap.data()));
    expectPoint(apply(out, 4, 5, 6), 0, 0, 0);
    expectPoint(apply(out, 5, 5, 6), 0, 1, 0);
}

TEST(ViewMatrices, DefaultsMapTheViewCentreToTheVolumeCentre)
{
    VazAZUrorav engine;
    ASSERT_TRUE(engine.SetDataProfile(11, 21, 7, 0.5, 0.25, -2.0, 1.0, -1024));
    Matrix m{};
    ASSERT_TRUE(engine.GetMatrixDefault(m.data()));
    expectPoint(apply(m, 0, 0, 0), 5, 10, 3);
    expectPoint(apply(m, 1, 1, 1), 7, 14, 3.5); // z spacing -2: -1/sz = +0.5
    ASSERT_TRUE(engine.GetMatrixDefaultCoronal(m.data()));
    expectPoint(apply(m, 0, 0, 0), 5, 10, 3);
    // Coronal: view y runs along the slices, view depth along the rows.
    expectPoint(apply(m, 0, 1, 0), 5, 10, 2.5);
    expectPoint(apply(m, 0, 0, 1), 5, 14, 3);
    ASSERT_TRUE(engine.GetMatrixDefaultSagittal(m.data()));
    expectPoint(apply(m, 0, 0, 0), 5, 10, 3);
    EXPECT_NEAR(std::fabs(apply(m, 1, 0, 0)[1] - 10), 4, 1e-4); // view x along the rows
    EXPECT_FALSE(engine.GetMatrixDefault(nullptr));
}

TEST(ViewMatrices, RotationsKeepTheirCentreAndTurnByTheta)
{
    VazAZUrorav engine;
    ASSERT_TRUE(engine.SetDataProfile(10, 10, 10, 1.0, 1.0, 1.0, 1.0, -1024));
    Matrix m{};
    // translate(P) comes first, so the point that stays is -P.
    ASSERT_TRUE(engine.GetMatrixRotate(m.data(), 2, 3, 4, 0, 0, 1, 90));
    expectPoint(apply(m, -2, -3, -4), -2, -3, -4);
    // A quarter turn about z moves (1, 0, 0) relative to it onto the y axis.
    const auto p = apply(m, -1, -3, -4);
    EXPECT_NEAR(std::hypot(p[0] + 2, p[1] + 3), 1.0, 1e-5);
    EXPECT_NEAR(p[0], -2, 1e-5);
    EXPECT_NEAR(p[2], -4, 1e-5);
    // A zero axis is no rotation.
    ASSERT_TRUE(engine.GetMatrixRotate(m.data(), 2, 3, 4, 0, 0, 0, 90));
    expectPoint(apply(m, 7, 8, 9), 7, 8, 9);

    ASSERT_TRUE(engine.GetMatrixAxialRotate(m.data(), 5, 6, 7, 0, 0, 1, 0));
    expectPoint(apply(m, 0, 0, 0), 5, 6, 7);
    expectPoint(apply(m, 1, 0, 0), 6, 6, 7);
    ASSERT_TRUE(engine.GetMatrixCoronalRotate(m.data(), 5, 6, 7, 0, 0, 1, 0));
    expectPoint(apply(m, 0, 1, 0), 5, 6, 6);
    ASSERT_TRUE(engine.GetMatrixSagittalRotate(m.data(), 5, 6, 7, 0, 0, 1, 0));
    expectPoint(apply(m, 0, 0, 0), 5, 6, 7);

    // With theta 0 and P = 0 the transposed forms reduce to
    // scale(1, sy/sx, -sz/sx) framed by two y flips.
    ASSERT_TRUE(engine.SetDataProfile(10, 10, 10, 0.5, 1.0, 2.0, 1.0, -1024));
    ASSERT_TRUE(engine.GetMatrixTAxialRotate(m.data(), 0, 0, 0, 0, 0, 1, 0));
    expectPoint(apply(m, 1, 1, 1), 1, 2, -4);
    ASSERT_TRUE(engine.GetMatrixTCoronalRotate(m.data(), 0, 0, 0, 0, 0, 1, 0));
    ASSERT_TRUE(engine.GetMatrixTSagittalRotate(m.data(), 0, 0, 0, 0, 0, 1, 0));
    EXPECT_FALSE(engine.GetMatrixTAxialRotate(nullptr, 0, 0, 0, 0, 0, 1, 0));
}

TEST(ViewMatrices, OrientationTurnsTheVolumeNormalOntoTheGivenOne)
{
    VazAZUrorav engine;
    ASSERT_TRUE(engine.SetDICOMProfile(4, 4, 4, 1, 1, 1, 1, 0, 0, 0, 1, 0, 1.0, 0.0)); // normal (0,0,1)
    Matrix m{};
    // Coronal orientation: row (1,0,0), column (0,0,-1), normal (0,1,0).
    ASSERT_TRUE(engine.GetMatrixOrientation(m.data(), 1, 0, 0, 0, 0, -1, 9, 9, 9));
    expectPoint(apply(m, 0, 0, 1), 0, 1, 0);
    expectPoint(apply(m, 0, 0, 0), 0, 0, 0); // no translation: the centre is not used
    // An oblique normal.
    const float c = std::cos(0.3f), s = std::sin(0.3f);
    ASSERT_TRUE(engine.GetMatrixOrientation(m.data(), 1, 0, 0, 0, c, s, 0, 0, 0));
    expectPoint(apply(m, 0, 0, 1), 0, -s, c);
    // Same orientation: identity; opposite: turned over.
    ASSERT_TRUE(engine.GetMatrixOrientation(m.data(), 1, 0, 0, 0, 1, 0, 0, 0, 0));
    expectPoint(apply(m, 1, 2, 3), 1, 2, 3);
    ASSERT_TRUE(engine.GetMatrixOrientation(m.data(), 1, 0, 0, 0, -1, 0, 0, 0, 0));
    expectPoint(apply(m, 0, 0, 1), 0, 0, -1);
    // Without stored cosines there is no normal to turn: identity.
    ASSERT_TRUE(engine.SetDataProfile(4, 4, 4, 1, 1, 1, 1.0, 0));
    ASSERT_TRUE(engine.GetMatrixOrientation(m.data(), 1, 0, 0, 0, 0, -1, 0, 0, 0));
    expectPoint(apply(m, 1, 2, 3), 1, 2, 3);
}

} // namespace
