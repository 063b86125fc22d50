// The chest analysis against the synthetic chest's ground truth, its steps
// on hand-made volumes, and its runs through SpecialMethod.
#include "../analysis/AirCalibration.h"
#include "../analysis/ChestAnalyzer.h"
#include "../analysis/LungSeparation.h"
#include "BackgroundAnalysis.h"

#include "VantorSyntheticCT/ChestPhantom.h"
#include "VantorSyntheticCT/Label.h"
#include "ZVIPEngine/VazAZUrorav.h"

#include <gtest/gtest.h>

#include <atomic>
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
    EXPECT_GT(body, 0.95);
    EXPECT_GT(right, 0.8);
    EXPECT_GT(left, 0.8);
    EXPECT_LT(swapped, 0.05) << "lung 1 must be the image's left lung";
    EXPECT_GT(airway, 0.5);
    EXPECT_GT(bone, 0.5);
    const std::vector<std::string> expected = {"CTA_org", "AdjustCT", "CTA_Body", "lung_Step1_ThresholdArea",
                                               "lung_Step2_remBronchi1", "lung_Step3_fillHole",
                                               "lung_Step4_remBronchi2", "lung_Step5_aft_remBone",
                                               "lung_Step6_rem_Med", "lung_Step7_erosion",
                                               "lung_Step8F_separateLung"};
    EXPECT_EQ(a.stages(), expected);
    for (std::uint8_t code : {100, 110, 111, 112, 150, 160, 180, 200})
        EXPECT_TRUE(map.computed[code]) << int(code);
}

} // namespace
