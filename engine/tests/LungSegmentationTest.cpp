// The chest analysis against the synthetic chest's ground truth, its steps
// on hand-made volumes, and its runs through SpecialMethod.
#include "../analysis/AirCalibration.h"
#include "../analysis/ChestAnalyzer.h"
#include "../analysis/LungHoleFilling.h"
#include "../analysis/LungSeparation.h"
#include "../analysis/LungThreshold.h"
#include "BackgroundAnalysis.h"
#include "BoundedWait.h"

#include "VantorSyntheticCT/ChestPhantom.h"
#include "VantorSyntheticCT/Label.h"
#include "ZVIPEngine/VazAZUrorav.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using VantorSyntheticCT::ChestPhantom;
using VantorSyntheticCT::Label;
using VantorSyntheticCT::SeriesOptions;
using VantorSyntheticCT::Volume;
using zvipengine::ChestAnalyzer;
using zvipengine::StructureMap;

constexpr int Columns = 128, Rows = 128, Slices = 48;

const Volume& phantom()
{
    static const Volume volume = [] {
        SeriesOptions options;
        options.columns = Columns;
        options.rows = Rows;
        options.slices = Slices;
        return ChestPhantom(options, 11).renderVolume(2);
    }();
    return volume;
}

// The analyzer after a run on the phantom (values in HU: intercept 0).
const ChestAnalyzer& analysedPhantom()
{
    static const ChestAnalyzer* analyzer = [] {
        auto* a = new ChestAnalyzer;
        const Volume& v = phantom();
        const double spacing[3] = {v.pixelSpacing, v.pixelSpacing, v.sliceSpacing};
        EXPECT_EQ(a->setInput(v.hounsfield.data(), v.columns, v.rows, v.slices, 1, 0, spacing), 0);
        EXPECT_EQ(a->runSegmentation(), 0);
        return a;
    }();
    return *analyzer;
}

template <typename Truth, typename Found>
double dice(const Volume& v, const StructureMap& map, Truth truth, Found found)
{
    std::int64_t both = 0, t = 0, f = 0;
    for (std::size_t i = 0; i < v.labels.size(); ++i) {
        const bool a = truth(v.labels[i]);
        const bool b = found(map.data()[i]);
        t += a;
        f += b;
        both += a && b;
    }
    return t + f == 0 ? 1.0 : 2.0 * static_cast<double>(both) / static_cast<double>(t + f);
}

bool isLabel(std::uint8_t value, Label label) { return value == static_cast<std::uint8_t>(label); }

TEST(LungSegmentation, BodyLungsAndAirwaysAgreeWithTheGroundTruth)
{
    const Volume& v = phantom();
    const ChestAnalyzer& a = analysedPhantom();
    const StructureMap& map = a.map();
    const double body = dice(v, map, [](std::uint8_t l) { return !isLabel(l, Label::Outside); },
                             [&](std::uint8_t c) { return map.belongsTo(c, StructureMap::Body); });
    // Lung 1 lies on the image's left, which is the patient's right.
    const double right = dice(v, map, [](std::uint8_t l) { return isLabel(l, Label::RightLung); },
                              [](std::uint8_t c) { return c == StructureMap::LungOne; });
    const double left = dice(v, map, [](std::uint8_t l) { return isLabel(l, Label::LeftLung); },
                             [](std::uint8_t c) { return c == StructureMap::LungTwo; });
    const double swapped = dice(v, map, [](std::uint8_t l) { return isLabel(l, Label::LeftLung); },
                                [](std::uint8_t c) { return c == StructureMap::LungOne; });
    const double airway = dice(v, map, [](std::uint8_t l) { return isLabel(l, Label::Airway); },
                               [](std::uint8_t c) { return c == StructureMap::Airways; });
    const double bone = dice(v, map, [](std::uint8_t l) { return isLabel(l, Label::Bone); },
                             [](std::uint8_t c) { return c == StructureMap::Bone; });
    std::printf("Dice against the truth: body %.4f, right lung %.4f, left lung %.4f, airways %.4f, bone %.4f\n", body,
                right, left, airway, bone);
    // Just under what the analysis reaches on this chest, so that a loss shows.
    EXPECT_GT(body, 0.99);
    EXPECT_GT(right, 0.91);
    EXPECT_GT(left, 0.89);
    EXPECT_LT(swapped, 0.05) << "lung 1 must be the image's left lung";
    EXPECT_GT(airway, 0.95);
    EXPECT_GT(bone, 0.72);
    const std::vector<std::string> expected = {"CTA_org", "AdjustCT", "CTA_Body", "lung_Step1_ThresholdArea",
                                               "lung_Step2_remBronchi1", "lung_Step3_fillHole",
                                               "lung_Step4_remBronchi2", "lung_Step5_aft_remBone",
                                               "lung_Step6_rem_Med", "lung_Step7_erosion",
                                               "lung_Step8F_separateLung"};
    EXPECT_EQ(a.stages(), expected);
    for (std::uint8_t code : {100, 110, 111, 112, 150, 160, 180, 200})
        EXPECT_TRUE(map.computed[code]) << int(code);
}

TEST(LungSegmentation, HeartAndLiverRegionLiesOnTheHeartAndLiver)
{
    const Volume& v = phantom();
    const StructureMap& map = analysedPhantom().map();
    std::int64_t heart = 0, heartOnTruth = 0, liver = 0, liverOnTruth = 0;
    for (std::size_t i = 0; i < v.labels.size(); ++i) {
        const std::uint8_t c = map.data()[i];
        if (c == StructureMap::Heart) {
            ++heart;
            heartOnTruth += isLabel(v.labels[i], Label::HeartAndVessels);
        } else if (c == StructureMap::Liver) {
            ++liver;
            liverOnTruth += isLabel(v.labels[i], Label::Liver);
        }
    }
    // A region of soft tissue found on a third of the resolution: most of
    // each lies on its organ.
    EXPECT_GT(heart, 0);
    EXPECT_GT(liver, 0);
    EXPECT_GT(2 * heartOnTruth, heart);
    EXPECT_GT(2 * liverOnTruth, liver);
}

// A chest in the engine: stored values are HU + 1024.
void loadPhantom(VazAZUrorav& engine, const Volume& v)
{
    ASSERT_TRUE(engine.SetDataProfile(v.columns, v.rows, v.slices, v.pixelSpacing, v.pixelSpacing, v.sliceSpacing,
                                      1.0, -1024));
    const std::size_t plane = static_cast<std::size_t>(v.columns) * v.rows;
    for (int z = 0; z < v.slices; ++z)
        ASSERT_TRUE(engine.SetDicomImage(v.hounsfield.data() + plane * z, z + 1, 1.0, 0.0, -z * v.sliceSpacing));
}

TEST(LungAnalysisRuns, BackgroundRunFiresOnceAndLeavesNothingPending)
{
    const Volume& v = phantom();
    VazAZUrorav engine;
    std::atomic<int> finished{0};
    engine.setThreadFinished([&] { ++finished; });
    loadPhantom(engine, v);
    const std::size_t count = v.hounsfield.size();
    const std::vector<std::int16_t> before(engine.PtrData(), engine.PtrData() + count);
    engine.SpecialMethod(-1);
    ASSERT_TRUE(waitUntil([&] { return finished.load() != 0; })) << "ThreadFinished did not come";
    ASSERT_TRUE(waitUntil([] { return zvipengine::BackgroundAnalysis::pending() == 0; }));
    EXPECT_TRUE(engine.Extracted());
    EXPECT_EQ(engine.ErrorNumber(), 0);
    // Done once per volume: neither a second request nor action 11 runs again.
    engine.SpecialMethod(-1);
    engine.SpecialMethod(12);
    engine.SpecialMethod(3);
    ASSERT_TRUE(engine.SetDataProfile(4, 4, 1, 1.0, 1.0, 1.0, 1.0, 0)); // joins the threads
    EXPECT_EQ(finished.load(), 1);
    EXPECT_EQ(zvipengine::BackgroundAnalysis::pending(), 0);

    // Action 0 puts the analysis' CT back: air that already reads -1000 is
    // left as it was.
    loadPhantom(engine, v);
    engine.SpecialMethod(2);
    EXPECT_TRUE(engine.Extracted());
    engine.SpecialMethod(0);
    const std::vector<std::int16_t> after(engine.PtrData(), engine.PtrData() + count);
    EXPECT_EQ(after, before);
}

TEST(LungAnalysisRuns, OddVolumesRunWithoutRefusal)
{
    struct Case {
        int X, Y, Z;
        std::int16_t value;
    };
    for (const Case c : {Case{1, 1, 1, 0}, Case{2, 3, 1, -1000}, Case{7, 5, 3, 40}, Case{40, 30, 6, -1000},
                         Case{64, 64, 4, 2000}}) {
        VazAZUrorav engine;
        ASSERT_TRUE(engine.SetDataProfile(c.X, c.Y, c.Z, 0.7, 0.7, 5.0, 1.0, -1024));
        std::vector<std::int16_t> slice(static_cast<std::size_t>(c.X) * c.Y, c.value);
        // A square of tissue with an air pocket, where there is room.
        for (int y = c.Y / 4; y < 3 * c.Y / 4; ++y)
            for (int x = c.X / 4; x < 3 * c.X / 4; ++x)
                slice[static_cast<std::size_t>(y) * c.X + x] = (x == c.X / 2 && y == c.Y / 2) ? -1000 : 30;
        for (int z = 0; z < c.Z; ++z)
            ASSERT_TRUE(engine.SetDicomImage(slice.data(), z + 1, 1.0, 0.0, -z * 5.0));
        engine.SpecialMethod(1);
        EXPECT_TRUE(engine.Extracted()) << c.X << "x" << c.Y << "x" << c.Z;
        EXPECT_EQ(engine.ErrorNumber(), 0) << c.X << "x" << c.Y << "x" << c.Z;
    }
}

TEST(ChestAnalyzerInput, ArgumentsScaleAndOrder)
{
    ChestAnalyzer analyzer;
    const double spacing[3] = {1.0, 1.0, 1.0};
    EXPECT_EQ(analyzer.runSegmentation(), ChestAnalyzer::NoInput);
    EXPECT_EQ(analyzer.setInput(nullptr, 2, 2, 1, 1, 0, spacing), ChestAnalyzer::MissingArgument);
    const std::int16_t samples[4] = {-2000, -1024, 100, 32767};
    EXPECT_EQ(analyzer.setInput(samples, 2, 2, 1, 1, 0, nullptr), ChestAnalyzer::MissingArgument);
    ASSERT_EQ(analyzer.setInput(samples, 2, 2, 1, 1, 0, spacing), ChestAnalyzer::Success);
    // Below -1024 HU is 0; the top of the range stays the top instead of
    // wrapping round to a negative (air-like) value.
    EXPECT_EQ(analyzer.adjusted(), (std::vector<std::int16_t>{0, 0, 1124, 32767}));
    ASSERT_EQ(analyzer.setInput(samples, 2, 2, 1, 2, -1024, spacing), ChestAnalyzer::Success);
    EXPECT_EQ(analyzer.adjusted()[2], 200);
}

// 512 x 512 slices of one air value with a body square below the patch.
std::vector<std::int16_t> airVolume(std::int16_t air)
{
    std::vector<std::int16_t> v(512u * 512u * 5u, air);
    for (int z = 0; z < 5; ++z)
        for (int y = 200; y < 400; ++y)
            for (int x = 100; x < 400; ++x)
                v[(static_cast<std::size_t>(z) * 512 + y) * 512 + x] = 1064;
    return v;
}

TEST(AirCalibrationPatch, AirAboveMinus900IsBroughtToMinus1000)
{
    std::vector<std::int16_t> standard = airVolume(24); // -1000 HU
    EXPECT_EQ(zvipengine::AirCalibration::patchMean(standard, 512, 512, 5), 24);
    const std::vector<std::int16_t> unchanged = standard;
    EXPECT_FALSE(zvipengine::AirCalibration::apply(standard, 512, 512, 5));
    EXPECT_EQ(standard, unchanged);

    std::vector<std::int16_t> raised = airVolume(174); // -850 HU
    EXPECT_TRUE(zvipengine::AirCalibration::apply(raised, 512, 512, 5));
    EXPECT_EQ(raised[0], 24);
    EXPECT_EQ(raised[(2u * 512 + 300) * 512 + 200], 1064); // tissue above 0 HU untouched

    // A patch lying on tissue is no air: the rescale would divide by zero
    // or turn the scale round.
    std::vector<std::int16_t> tissue = airVolume(1024);
    const std::vector<std::int16_t> tissueBefore = tissue;
    EXPECT_FALSE(zvipengine::AirCalibration::apply(tissue, 512, 512, 5));
    EXPECT_EQ(tissue, tissueBefore);
}

// Raised air (-850 HU) over x0..x1, y0..y1 on slices 2 to 4, air of -1000 HU elsewhere.
std::vector<std::int16_t> airWithPatch(int X, int Y, int x0, int x1, int y0, int y1)
{
    std::vector<std::int16_t> v(static_cast<std::size_t>(X) * Y * 5, 24);
    for (int z = 2; z <= 4; ++z)
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                v[(static_cast<std::size_t>(z) * Y + y) * X + x] = 174;
    return v;
}

TEST(AirCalibrationPatch, PatchStaysAtItsPixelsOnAnySliceThatHoldsIt)
{
    // Wider and shorter than 512 x 512: the patch is not moved with the size.
    std::vector<std::int16_t> wide = airWithPatch(768, 96, 206, 305, 20, 69);
    EXPECT_EQ(zvipengine::AirCalibration::patchMean(wide, 768, 96, 5), 174);
    EXPECT_TRUE(zvipengine::AirCalibration::apply(wide, 768, 96, 5));
    EXPECT_EQ(wide[(2u * 96 + 20) * 768 + 206], 24); // the raised air becomes -1000 HU

    // A slice too small to hold it takes the patch scaled from 512 x 512.
    EXPECT_EQ(zvipengine::AirCalibration::patchMean(airWithPatch(256, 256, 103, 152, 10, 34), 256, 256, 5), 174);
}

// Two lung blobs on one slice joined by a bridge of the given value.
struct JoinedSlice {
    static constexpr int W = 40, H = 20;
    zvipengine::ByteMask lung = zvipengine::ByteMask(W * H, 0);
    std::vector<std::int16_t> values = std::vector<std::int16_t>(W * H, 1040);
    explicit JoinedSlice(std::int16_t bridge)
    {
        for (int y = 4; y < 16; ++y)
            for (int x = 4; x < 36; ++x) {
                lung[y * W + x] = 1;
                values[y * W + x] = (x >= 18 && x <= 21) ? bridge : 100;
            }
    }
};

TEST(LungSeparationSlices, JoinedLungsComeApartByThresholdOrAtTheMiddle)
{
    const zvipengine::AnalysisBox box{0, 0, 0, JoinedSlice::W, JoinedSlice::H, 1};
    // A denser bridge (-624 HU) goes at the limit 350: two lungs, a line.
    JoinedSlice separable(400);
    std::int32_t cuts = -1;
    ASSERT_EQ(zvipengine::LungSeparation::run(separable.lung, separable.values, box, &cuts),
              zvipengine::LungSeparation::Outcome::Done);
    EXPECT_EQ(cuts, 0);
    EXPECT_EQ(separable.lung[10 * JoinedSlice::W + 5], 1);
    EXPECT_EQ(separable.lung[10 * JoinedSlice::W + 34], 2);
    int both = 0;
    for (int y = 0; y < JoinedSlice::H; ++y) {
        bool one = false, two = false;
        for (int x = 0; x < JoinedSlice::W; ++x) {
            const std::uint8_t l = separable.lung[y * JoinedSlice::W + x];
            one = one || l == 1;
            two = two || l == 2;
            // Lung 1 never lies right of lung 2.
            EXPECT_FALSE(l == 1 && two);
        }
        both += one && two;
    }
    EXPECT_EQ(both, 12);

    // A bridge as dark as the lungs stays joined at every limit: the middle
    // column parts them.
    JoinedSlice joined(100);
    ASSERT_EQ(zvipengine::LungSeparation::run(joined.lung, joined.values, box, &cuts),
              zvipengine::LungSeparation::Outcome::Done);
    EXPECT_EQ(cuts, 1);
    for (int y = 4; y < 16; ++y) {
        EXPECT_EQ(joined.lung[y * JoinedSlice::W + JoinedSlice::W / 2], 0);
        EXPECT_EQ(joined.lung[y * JoinedSlice::W + JoinedSlice::W / 2 - 1], 1);
        EXPECT_EQ(joined.lung[y * JoinedSlice::W + JoinedSlice::W / 2 + 1], 2);
    }
}

// A body of soft tissue with two air-filled lungs, optionally meeting in
// front, and a nodule inside the left one.
struct SmallChest {
    static constexpr int W = 48, H = 40, D = 12;
    std::vector<std::int16_t> values = std::vector<std::int16_t>(W * H * D, 24); // air outside
    zvipengine::AnalysisBox box{0, 0, 0, W, H, D};
    SmallChest(bool meetInFront)
    {
        for (int z = 0; z < D; ++z)
            for (int y = 2; y < H - 2; ++y)
                for (int x = 2; x < W - 2; ++x) {
                    const bool left = x >= 6 && x < 22 && y >= 8 && y < 32 && z >= 1 && z < D - 1;
                    const bool right = x >= 26 && x < 42 && y >= 8 && y < 32 && z >= 1 && z < D - 1;
                    const bool front = meetInFront && x >= 6 && x < 42 && y >= 8 && y < 11 && z >= 1 && z < D - 1;
                    at(x, y, z) = (left || right || front) ? 150 : 1064; // -874 HU lung, 40 HU tissue
                }
        // A nodule of 4 x 4 x 4 inside the left lung.
        for (int z = 4; z < 8; ++z)
            for (int y = 18; y < 22; ++y)
                for (int x = 12; x < 16; ++x)
                    at(x, y, z) = 1054;
    }
    std::int16_t& at(int x, int y, int z) { return values[(static_cast<std::size_t>(z) * H + y) * W + x]; }
};

TEST(LungSteps, ThresholdAreaKeepsBothLungsOrTheOneSpanningTheMiddle)
{
    for (const bool meet : {false, true}) {
        SmallChest chest(meet);
        zvipengine::ByteMask lung;
        ASSERT_EQ(zvipengine::LungThreshold::run(chest.values, chest.box, SmallChest::W, lung),
                  zvipengine::LungThreshold::Outcome::Done);
        const auto inLung = [&](int x, int y, int z) {
            return lung[(static_cast<std::size_t>(z) * SmallChest::H + y) * SmallChest::W + x] != 0;
        };
        EXPECT_TRUE(inLung(10, 20, 5)) << meet;
        EXPECT_TRUE(inLung(35, 20, 5)) << meet;
        EXPECT_FALSE(inLung(24, 20, 5)) << meet; // tissue between them
        EXPECT_FALSE(inLung(0, 0, 5)) << meet;   // air around the body
        EXPECT_FALSE(inLung(13, 19, 5)) << meet; // the nodule is not air
    }
}

TEST(LungSteps, HoleFillingTakesTheNoduleIntoItsLung)
{
    SmallChest chest(false);
    zvipengine::ByteMask lung;
    ASSERT_EQ(zvipengine::LungThreshold::run(chest.values, chest.box, SmallChest::W, lung),
              zvipengine::LungThreshold::Outcome::Done);
    ASSERT_EQ(zvipengine::LungHoleFilling::run(lung, chest.values, chest.box, 5.0, 2),
              zvipengine::LungHoleFilling::Outcome::Done);
    const auto inLung = [&](int x, int y, int z) {
        return lung[(static_cast<std::size_t>(z) * SmallChest::H + y) * SmallChest::W + x] != 0;
    };
    EXPECT_TRUE(inLung(13, 19, 5));
    EXPECT_TRUE(inLung(14, 20, 6));
    EXPECT_FALSE(inLung(24, 20, 5)); // the mediastinum stays out
    EXPECT_FALSE(inLung(0, 0, 0));
    EXPECT_TRUE(inLung(35, 20, 5));
}

} // namespace
