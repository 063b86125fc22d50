// Candidate lesions inside the lungs and the feature tables they go into.
#include "../analysis/ChestAnalyzer.h"
#include "../analysis/FeatureTable.h"

#include "VantorSyntheticCT/ChestPhantom.h"
#include "VantorSyntheticCT/Label.h"
#include "ZVIPEngine/VazAZUrorav.h"

#include <gtest/gtest.h>

#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using VantorSyntheticCT::ChestPhantom;
using VantorSyntheticCT::FindingKind;
using VantorSyntheticCT::Label;
using VantorSyntheticCT::LungZone;
using VantorSyntheticCT::SeriesOptions;
using VantorSyntheticCT::Volume;
using zvipengine::ChestAnalyzer;
using zvipengine::FeatureRecord;
using zvipengine::FeatureTable;

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string toShiftJis(const std::string& utf8)
{
    iconv_t converter = iconv_open("SHIFT_JIS", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string in = utf8, out(utf8.size() * 2, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t left = in.size(), room = out.size();
    const std::size_t done = iconv(converter, &from, &left, &to, &room);
    iconv_close(converter);
    if (done == static_cast<std::size_t>(-1))
        return {};
    out.resize(out.size() - room);
    return out;
}

TEST(FeatureTableFormat, FileNameHeadingsAndRecordLine)
{
    EXPECT_EQ(FeatureTable::featureFileName("/data/P01", "ALL", "", {2006, 12, 6}),
              "/data/P01_feature_061206_ALL.csv");
    EXPECT_EQ(FeatureTable::featureFileName("/data/P01", "S3", "x", {2026, 1, 31}), "/data/P01_feature_260131_S3.csv");
    // With a second folder the year has all its digits.
    EXPECT_EQ(FeatureTable::featureFileName("P01", "S3", "/out", {2006, 12, 6}), "/out/P01_feature_20061206_S3.csv");

    const std::string names =
        "重心Ｘ座標(pixel),重心Ｙ座標(pixel),重心Ｚ座標(pixel),範囲Ｘ座標最小値(pixel),範囲Ｙ座標最小値(pixel),"
        "範囲Ｚ座標最小値(pixel),範囲Ｘ座標最大値(pixel),範囲Ｙ座標最大値(pixel),範囲Ｚ座標最大値(pixel),"
        "ＣＴ値平均(HU),ＣＴ値偏差(HU),最大ＣＴ値(HU),最小ＣＴ値(HU),体積(mm^3),低濃度体積(mm^3),中濃度体積(mm^3),"
        "高濃度体積(mm^3),円形度,不整度,最大幅,最大幅を垂直二等分する幅,最大幅の中点のＸ座標,最大幅の中点のＹ座標,"
        "最大幅の中点のＺ座標,肺内位置(左・右),肺内位置(上・中・下),肺内位置(胸壁からの距離)(mm),\n";
    const std::string expected = toShiftJis(names);
    if (expected.empty())
        GTEST_SKIP() << "no Shift-JIS converter in this C library";
    EXPECT_EQ(FeatureTable::headingLine(), expected);

    FeatureRecord r;
    r.centroid[0] = 1;
    r.centroid[1] = 2;
    r.centroid[2] = 3;
    r.meanCT = -40;
    r.deviationCT = 2.5f;
    r.volume = 100.0f;
    r.side = 1;
    r.level = 2;
    r.score = 77;
    r.measures[0] = 12.25f;
    EXPECT_EQ(FeatureTable::recordLine(r),
              "1,2,3,0,0,0,0,0,0, -40,2.500000,0,0,100.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,"
              "0.000000,0,0,0,1,2,0.000000,77,12.2,0.0,0.0,0.0,0.0,\n");
}

TEST(StructureAnalysis, CandidatesLieInTheLungsAndTheLargeOpacityIsOne)
{
    SeriesOptions options;
    // Fine enough in-plane for candidates deeper than 18 voxels.
    options.columns = 256;
    options.rows = 256;
    options.slices = 40;
    options.findings = {{FindingKind::LargeOpacity, LungZone::RightLower, 1}};
    const Volume v = ChestPhantom(options, 5).renderVolume(2);
    ChestAnalyzer analyzer;
    const double spacing[3] = {v.pixelSpacing, v.pixelSpacing, v.sliceSpacing};
    ASSERT_EQ(analyzer.setInput(v.hounsfield.data(), v.columns, v.rows, v.slices, 1, 0, spacing), 0);
    std::vector<FeatureRecord> records;
    ASSERT_EQ(analyzer.analyseStructures(records), 0); // segments first
    ASSERT_FALSE(records.empty());
    const zvipengine::StructureMap& map = analyzer.map();
    std::int64_t structures = 0, candidates = 0;
    for (std::size_t i = 0; i < v.labels.size(); ++i) {
        const std::uint8_t c = map.data()[i];
        structures += c >= 113 && c <= 115;
        candidates += c >= 116 && c <= 118;
        if (c >= 113 && c <= 118) {
            EXPECT_TRUE(map.belongsTo(c, 110));
            EXPECT_NE(v.labels[i], static_cast<std::uint8_t>(Label::Outside));
        }
    }
    EXPECT_GT(structures, 0);
    EXPECT_GT(candidates, 0);
    bool onOpacity = false;
    for (const FeatureRecord& r : records) {
        for (int a = 0; a < 3; ++a) {
            EXPECT_LE(r.boxMinimum[a], r.centroid[a]);
            EXPECT_GE(r.boxMaximum[a], r.centroid[a]);
        }
        EXPECT_GE(r.score, 0);
        EXPECT_LE(r.score, 100);
        EXPECT_GT(r.volume, 0.0f);
        EXPECT_NEAR(r.lowDensityVolume + r.mediumDensityVolume + r.highDensityVolume, r.volume, r.volume * 1e-3);
        const std::size_t at = (static_cast<std::size_t>(r.centroid[2]) * v.rows + r.centroid[1]) * v.columns
            + r.centroid[0];
        if (v.labels[at] == static_cast<std::uint8_t>(VantorSyntheticCT::labelOf(FindingKind::LargeOpacity))) {
            onOpacity = true;
            EXPECT_EQ(r.side, 0); // the right lung lies on the image's left
            EXPECT_GT(r.meanCT, -600); // denser than the parenchyma around
            EXPECT_GT(r.maximumWidth, 10.0f);
        }
    }
    EXPECT_TRUE(onOpacity);
    std::vector<FeatureRecord> none;
    EXPECT_EQ(ChestAnalyzer().analyseStructures(none), ChestAnalyzer::NoInput);
}

// The workstation declares the slice spacing negative (slices run from head
// to feet); the analysis measures in millimetres, whatever the sign.
TEST(StructureAnalysis, NegativeSliceSpacingGivesTheSameAnalysisAsPositive)
{
    SeriesOptions options;
    options.columns = 256;
    options.rows = 256;
    options.slices = 40; // 7.5 mm apart: far from the 1 mm a lost spacing would give
    options.findings = {{FindingKind::LargeOpacity, LungZone::RightLower, 1}};
    const Volume v = ChestPhantom(options, 5).renderVolume(2);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vantor-spacing-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::string tables[2];
    for (const int sign : {-1, 1}) {
        const std::string patient = sign < 0 ? "negative" : "positive";
        VazAZUrorav engine;
        engine.SetDebugOut(folder.string(), patient, "S1");
        ASSERT_TRUE(engine.SetDataProfile(v.columns, v.rows, v.slices, v.pixelSpacing, v.pixelSpacing,
                                          sign * v.sliceSpacing, 1.0, -1024));
        const std::size_t plane = static_cast<std::size_t>(v.columns) * v.rows;
        for (int z = 0; z < v.slices; ++z)
            ASSERT_TRUE(engine.SetDicomImage(v.hounsfield.data() + plane * z, z + 1, 1.0, 0.0, -z * v.sliceSpacing));
        engine.SpecialMethod(7);
        ASSERT_TRUE(engine.Extracted());
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().filename().string().starts_with(patient + "_feature_") &&
                entry.path().filename().string().ends_with("_ALL.csv"))
                tables[sign > 0] = readFile(entry.path());
    }
    std::filesystem::remove_all(folder);
    // Structures and candidates were found, measured in mm and mm^3.
    EXPECT_GT(std::count(tables[1].begin(), tables[1].end(), '\n'), 2);
    EXPECT_EQ(tables[0], tables[1]);
}

TEST(StructureAnalysis, DebugOutputWritesTablesOnceAndOnlyHeadingsWithoutLungs)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vantor-features-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "P01");
    VazAZUrorav engine;
    engine.SetDebugOut(folder.string(), "P01", "S7");
    // Soft tissue only: a body without lungs.
    ASSERT_TRUE(engine.SetDataProfile(32, 32, 4, 1.0, 1.0, 2.0, 1.0, -1024));
    std::vector<std::int16_t> slice(32 * 32, -1000);
    for (int y = 4; y < 28; ++y)
        for (int x = 4; x < 28; ++x)
            slice[y * 32 + x] = 40;
    for (int z = 0; z < 4; ++z)
        ASSERT_TRUE(engine.SetDicomImage(slice.data(), z + 1, 1.0, 0.0, -2.0 * z));
    engine.SpecialMethod(7);
    EXPECT_TRUE(engine.Extracted());
    const FeatureTable::Date today = FeatureTable::today();
    const std::string base = (folder / "P01").string();
    const std::string all = FeatureTable::featureFileName(base, "ALL", "", today);
    const std::string named = FeatureTable::featureFileName(base, "S7", "", today);
    ASSERT_TRUE(std::filesystem::exists(all));
    ASSERT_TRUE(std::filesystem::exists(named));
    EXPECT_EQ(readFile(all), FeatureTable::headingLine());
    EXPECT_EQ(readFile(named), FeatureTable::headingLine());
    EXPECT_EQ(readFile(base + "_confidence.csv"), "Transverse,Vertical,ThinStructure\n");
    // Written once per volume.
    std::filesystem::remove(all);
    engine.SpecialMethod(8);
    EXPECT_FALSE(std::filesystem::exists(all));
    // A folder that does not exist: no table, the analysis still completes.
    engine.SetDebugOut((folder / "missing").string(), "P02", "S8");
    ASSERT_TRUE(engine.SetDataProfile(32, 32, 4, 1.0, 1.0, 2.0, 1.0, -1024));
    for (int z = 0; z < 4; ++z)
        ASSERT_TRUE(engine.SetDicomImage(slice.data(), z + 1, 1.0, 0.0, -2.0 * z));
    engine.SpecialMethod(7);
    EXPECT_TRUE(engine.Extracted());
    EXPECT_EQ(engine.ErrorNumber(), 0);
    std::filesystem::remove_all(folder);
}

} // namespace
