// The strip split over two threads, the strips, the brick copy and the
// background analysis runs: results must not depend on how work is cut.
#include "BackgroundAnalysis.h"
#include "BrickVolume.h"
#include "SplitRendering.h"

#include "BoundedWait.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace {

std::array<float, 16> obliqueView(VazAZUrorav& engine, const reference::Volume& v)
{
    std::array<float, 16> m{};
    EXPECT_TRUE(engine.GetMatrixAxialRotate(m.data(), (v.X - 1) / 2.0f, (v.Y - 1) / 2.0f, (v.Z - 1) / 2.0f, 0.3f,
                                            -0.5f, 0.8f, 37.0f));
    return m;
}

TEST(SplitRendering, EveryRowOnceOverAllPartsWithTwoThreads)
{
    for (int processors : {1, 2, 4})
        for (int height : {1, 2, 7, 29, 64})
            for (int partHeight : {1, 3, 8, 29, 100}) {
                std::vector<int> rendered(static_cast<std::size_t>(height), 0);
                std::mutex lock;
                std::set<std::thread::id> threads;
                const int parts = (height + partHeight - 1) / partHeight;
                for (int part = 0; part < parts; ++part)
                    ASSERT_TRUE(zvipengine::SplitRendering::renderPart(
                        part, partHeight, height, processors, [&](std::int32_t begin, std::int32_t end) {
                            std::lock_guard<std::mutex> guard(lock);
                            threads.insert(std::this_thread::get_id());
                            for (int row = begin; row < end; ++row)
                                ++rendered[static_cast<std::size_t>(row)];
                        }));
                for (int row = 0; row < height; ++row)
                    EXPECT_EQ(rendered[static_cast<std::size_t>(row)], 1)
                        << "processors " << processors << " height " << height << " part height " << partHeight
                        << " row " << row;
                if (processors == 1) {
                    EXPECT_EQ(threads.size(), 1u);
                }
                if (processors > 1 && height >= 2 && partHeight == height) {
                    EXPECT_EQ(threads.size(), 2u);
                }
            }
    EXPECT_FALSE(zvipengine::SplitRendering::renderPart(-1, 4, 10, 2, [](std::int32_t, std::int32_t) {}));
    EXPECT_FALSE(zvipengine::SplitRendering::renderPart(0, 0, 10, 2, [](std::int32_t, std::int32_t) {}));
}

TEST(SplitRendering, SplitImageEqualsTheUnsplitOneBitForBit)
{
    VazAZUrorav engine;
    reference::Volume v = reference::randomVolume(40, 36, 30, 71);
    v.sx = v.sy = 0.7; // the pixel size every form below renders at
    v.sz = -1.0;
    ASSERT_TRUE(loadIntoEngine(engine, v));
    const auto m = obliqueView(engine, v);
    const int W = 37, H = 29;
    std::vector<std::int16_t> whole(static_cast<std::size_t>(W) * H);
    ASSERT_TRUE(engine.GetImageMIPMatrix(whole.data(), W, H, 0.7f, 2, 25, m.data()));

    std::int16_t* split = nullptr;
    ASSERT_TRUE(engine.CreateImageMIPMatrix(&split, 0, W, H, 0.7f, 2, 25, m.data()));
    EXPECT_EQ(std::memcmp(split, whole.data(), whole.size() * 2), 0);

    for (int partHeight : {1, 5, 28, 29, 64}) {
        std::vector<std::int16_t> strips(whole.size(), -1);
        const int parts = (H + partHeight - 1) / partHeight;
        for (int part = 0; part < parts; ++part)
            ASSERT_TRUE(engine.GetImageMIPMatrixPart(part, partHeight, strips.data(), W, H, 0.7f, 2, 25, m.data()));
        EXPECT_EQ(std::memcmp(strips.data(), whole.data(), whole.size() * 2), 0) << "part height " << partHeight;
    }

    std::int16_t* mean = nullptr;
    ASSERT_TRUE(engine.CreateImageSumMatrix(&mean, 1, W, H, 0.7f, 2, 25, m.data()));
    std::vector<std::int16_t> meanStrips(whole.size(), -1);
    for (int part = 0; part < 3; ++part)
        ASSERT_TRUE(engine.GetImageSumMatrixPart(part, 10, meanStrips.data(), W, H, 0.7f, 2, 25, m.data()));
    EXPECT_EQ(std::memcmp(meanStrips.data(), mean, whole.size() * 2), 0);
    EXPECT_FALSE(engine.GetImageMIPMatrixPart(0, 0, meanStrips.data(), W, H, 0.7f, 2, 25, m.data()));
}

TEST(BrickCopy, HoldsEveryVoxelAndItsNeighboursAndChangesNoResult)
{
    reference::Volume v = reference::randomVolume(19, 9, 17, 81);
    zvipengine::VolumeView view;
    view.samples = v.v.data();
    view.X = v.X;
    view.Y = v.Y;
    view.Z = v.Z;
    zvipengine::BrickVolume bricks;
    ASSERT_TRUE(bricks.build(view));
    for (int z = 0; z + 1 < v.Z; ++z)
        for (int y = 0; y + 1 < v.Y; ++y)
            for (int x = 0; x + 1 < v.X; ++x) {
                const std::int16_t* p = bricks.voxel(x, y, z);
                ASSERT_EQ(p[0], v.at(x, y, z));
                ASSERT_EQ(p[1], v.at(x + 1, y, z));
                ASSERT_EQ(p[9], v.at(x, y + 1, z));
                ASSERT_EQ(p[81], v.at(x, y, z + 1));
                ASSERT_EQ(p[91], v.at(x + 1, y + 1, z + 1));
            }

    VazAZUrorav engine;
    v.sx = v.sy = v.sz = 0.9;
    ASSERT_TRUE(loadIntoEngine(engine, v));
    const auto m = obliqueView(engine, v);
    std::vector<std::int16_t> direct(24 * 20);
    ASSERT_TRUE(engine.GetImageMIPMatrix(direct.data(), 24, 20, 0.9f, 0, 30, m.data()));
    engine.SpecialMethod(9);
    std::int16_t* viaBricks = nullptr;
    ASSERT_TRUE(engine.CreateImageMIPMatrix(&viaBricks, 0, 24, 20, 0.9f, 0, 30, m.data()));
    EXPECT_EQ(std::memcmp(viaBricks, direct.data(), direct.size() * 2), 0);

    // A change of the samples after the copy was made must show.
    ASSERT_TRUE(engine.ChangeDataRange(1500));
    ASSERT_TRUE(engine.CreateImageMIPMatrix(&viaBricks, 0, 24, 20, 0.9f, 0, 30, m.data()));
    for (std::size_t i = 0; i < direct.size(); ++i)
        ASSERT_LE(viaBricks[i], 1500);
    engine.SpecialMethod(10);
}

TEST(BackgroundAnalysis, RequestsPilingUpRunOnlyTheLastOne)
{
    zvipengine::BackgroundAnalysis first;
    zvipengine::BackgroundAnalysis others;
    std::atomic<int> runs{0};
    std::atomic<bool> release{false};
    std::atomic<bool> running{false};
    ASSERT_TRUE(first.start([&] {
        running = true;
        waitUntil([&] { return release.load(); });
        ++runs;
    }));
    const bool started = waitUntil([&] { return running.load(); });
    for (int n = 0; n < 3; ++n)
        EXPECT_TRUE(others.start([&] { ++runs; }));
    // All three wait for the lock, counted as pending, before the first ends.
    EXPECT_TRUE(waitUntil([] { return zvipengine::BackgroundAnalysis::pending() >= 4; }));
    release = true;
    EXPECT_TRUE(started);
    first.waitForAll();
    others.waitForAll();
    // The first ran; of the three behind it only the one that found no
    // other request pending did.
    EXPECT_EQ(runs.load(), 2);
    EXPECT_EQ(zvipengine::BackgroundAnalysis::pending(), 0);
}

} // namespace
