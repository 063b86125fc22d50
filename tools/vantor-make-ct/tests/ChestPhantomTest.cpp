#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "VantorSyntheticCT/ChestPhantom.h"
#include "VantorSyntheticCT/Label.h"

using namespace VantorSyntheticCT;

namespace {

SeriesOptions smallSeries(int columns, int rows, int slices) {
  SeriesOptions options;
  options.columns = columns;
  options.rows = rows;
  options.slices = slices;
  return options;
}

SeriesOptions withEveryFinding(SeriesOptions options) {
  // One of each kind, spread over the six zones.
  for (int k = 0; k < FindingKindCount; ++k) {
    options.findings.push_back(FindingRequest{static_cast<FindingKind>(k), static_cast<LungZone>(k % LungZoneCount), 0});
  }
  return options;
}

struct Range {
  double low, high;
};

}  // namespace

TEST(ChestPhantom, SameSeedSameVolumeWhateverTheThreadCountAndOtherSeedsDiffer) {
  const SeriesOptions options = withEveryFinding(smallSeries(48, 40, 16));
  const Volume oneThread = ChestPhantom(options, 7).renderVolume(1);
  const Volume twoThreads = ChestPhantom(options, 7).renderVolume(2);
  EXPECT_EQ(oneThread.hounsfield, twoThreads.hounsfield);
  EXPECT_EQ(oneThread.labels, twoThreads.labels);
  const Volume otherSeed = ChestPhantom(options, 8).renderVolume(2);
  EXPECT_NE(oneThread.hounsfield, otherSeed.hounsfield);
}

TEST(ChestPhantom, GeometryFollowsTheOptions) {
  SeriesOptions options = smallSeries(64, 32, 20);
  ChestPhantom automatic(options, 1);
  EXPECT_DOUBLE_EQ(automatic.pixelSpacing(), 360.0 / 64);
  EXPECT_DOUBLE_EQ(automatic.sliceSpacing(), 10.0);  // 300 / 20 = 15, capped at 10
  options.pixelSpacing = 0.8;
  options.sliceSpacing = 2.5;
  options.centreZ = -40;
  ChestPhantom chosen(options, 1);
  const Point3 first = chosen.slicePosition(0), last = chosen.slicePosition(19);
  EXPECT_DOUBLE_EQ(first.x, -63 * 0.8 / 2);
  EXPECT_DOUBLE_EQ(first.y, -31 * 0.8 / 2);
  EXPECT_DOUBLE_EQ(first.z - last.z, 19 * 2.5);  // slice 0 is the most cranial
  EXPECT_DOUBLE_EQ((first.z + last.z) / 2, -40);
  EXPECT_GT(chosen.lungApexZ(false), chosen.lungBaseZ(false));
}

TEST(ChestPhantom, LabelsAgreeWithTheHounsfieldValuesTheyDescribe) {
  SeriesOptions options = withEveryFinding(smallSeries(96, 96, 40));
  options.noiseSigma = 12;
  const Volume volume = ChestPhantom(options, 3).renderVolume();
  // The noise is a sum of four uniforms: never beyond 3.47 sigma.
  const double noise = 3.5 * options.noiseSigma;
  std::map<int, Range> expected = {
      {static_cast<int>(Label::Outside), {-1024, -1000 + noise}},
      {static_cast<int>(Label::Body), {-100 - noise, 50 + noise}},
      {static_cast<int>(Label::RightLung), {-885 - noise, -835 + noise}},
      {static_cast<int>(Label::LeftLung), {-885 - noise, -835 + noise}},
      {static_cast<int>(Label::Airway), {-1024, -1000 + noise}},
      {static_cast<int>(Label::Bronchus), {-1024, -1000 + noise}},
      {static_cast<int>(Label::Bone), {250 - noise, 750 + noise}},
      {static_cast<int>(Label::HeartAndVessels), {40 - noise, 40 + noise}},
      {static_cast<int>(Label::LungVessel), {40 - noise, 40 + noise}},
      {static_cast<int>(Label::Liver), {60 - noise, 60 + noise}},
      {static_cast<int>(labelOf(FindingKind::RoundedOpacitySmall)), {45 - noise, 45 + noise}},
      {static_cast<int>(labelOf(FindingKind::RoundedOpacityMedium)), {45 - noise, 45 + noise}},
      {static_cast<int>(labelOf(FindingKind::RoundedOpacityLarge)), {45 - noise, 45 + noise}},
      {static_cast<int>(labelOf(FindingKind::IrregularOpacity)), {-noise, noise}},
      {static_cast<int>(labelOf(FindingKind::GroundGlass)), {-625 - noise, -575 + noise}},
      {static_cast<int>(labelOf(FindingKind::Honeycombing)), {-960 - noise, 10 + noise}},
      {static_cast<int>(labelOf(FindingKind::Emphysema)), {-1024, -990 + noise}},
      {static_cast<int>(labelOf(FindingKind::LargeOpacity)), {35 - noise, 35 + noise}},
      {static_cast<int>(labelOf(FindingKind::PleuralPlaque)), {45 - noise, 45 + noise}},
      {static_cast<int>(labelOf(FindingKind::CalcifiedPleuralPlaque)), {45 - noise, 700 + noise}},
      {static_cast<int>(labelOf(FindingKind::DiffusePleuralThickening)), {45 - noise, 45 + noise}},
      {static_cast<int>(labelOf(FindingKind::Effusion)), {12 - noise, 12 + noise}},
  };
  std::map<int, std::int64_t> seen;
  for (std::size_t i = 0; i < volume.labels.size(); ++i) {
    const int label = volume.labels[i];
    const auto range = expected.find(label);
    ASSERT_NE(range, expected.end()) << "unexpected label " << label;
    const double hu = volume.hounsfield[i];
    ASSERT_GE(hu, range->second.low) << labelName(static_cast<std::uint8_t>(label)) << " at voxel " << i;
    ASSERT_LE(hu, range->second.high) << labelName(static_cast<std::uint8_t>(label)) << " at voxel " << i;
    ++seen[label];
  }
  // Every structure and every finding shows up.
  for (const auto& [label, range] : expected) {
    EXPECT_GT(seen[label], 0) << labelName(static_cast<std::uint8_t>(label));
  }
  // Honeycombing is cysts and walls; a calcified plaque has a calcified core.
  std::int64_t cysts = 0, calcified = 0;
  for (std::size_t i = 0; i < volume.labels.size(); ++i) {
    if (volume.labels[i] == static_cast<std::uint8_t>(labelOf(FindingKind::Honeycombing)) && volume.hounsfield[i] < -800) ++cysts;
    if (volume.labels[i] == static_cast<std::uint8_t>(labelOf(FindingKind::CalcifiedPleuralPlaque)) && volume.hounsfield[i] > 400) ++calcified;
  }
  EXPECT_GT(cysts, 0);
  EXPECT_GT(calcified, 0);
}

TEST(ChestPhantom, FindingsStayInTheirZoneAndAreCountedThere) {
  SeriesOptions options = smallSeries(128, 128, 60);
  options.findings = {{FindingKind::RoundedOpacityLarge, LungZone::RightUpper, 20},
                      {FindingKind::RoundedOpacityLarge, LungZone::LeftLower, 5},
                      {FindingKind::GroundGlass, LungZone::LeftMiddle, 0},
                      {FindingKind::Effusion, LungZone::RightLower, 0},
                      {FindingKind::PleuralPlaque, LungZone::LeftUpper, 0},
                      {FindingKind::RoundedOpacityLarge, LungZone::RightUpper, 10}};  // merged with the first
  const ChestPhantom phantom(options, 11);
  const Volume volume = phantom.renderVolume();
  const std::vector<PlacedFinding> findings = phantom.countFindingVoxels(volume.labels);
  ASSERT_EQ(findings.size(), 5u);
  EXPECT_EQ(findings[0].objects, 30);
  EXPECT_EQ(findings[1].objects, 5);

  std::map<int, std::int64_t> labelled;
  for (std::uint8_t label : volume.labels) ++labelled[label];
  std::map<int, std::int64_t> placed;
  for (const PlacedFinding& finding : findings) {
    EXPECT_GT(finding.voxels, 0) << findingKindName(finding.kind) << " in " << lungZoneName(finding.zone);
    placed[static_cast<int>(labelOf(finding.kind))] += finding.voxels;
    // The object's centre lies in the zone's lung and height.
    const bool left = static_cast<int>(finding.zone) >= 3;
    EXPECT_EQ(finding.centre.x > 0, left);
    const double apex = phantom.lungApexZ(left), third = (apex - phantom.lungBaseZ(left)) / 3;
    const int row = static_cast<int>(finding.zone) % 3;
    EXPECT_LE(finding.centre.z, apex - row * third + 1e-6);
    EXPECT_GE(finding.centre.z, apex - (row + 1) * third - 1e-6);
  }
  // No finding voxel lies outside the zones it was placed in.
  for (const auto& [label, count] : placed) EXPECT_EQ(labelled[label], count) << labelName(static_cast<std::uint8_t>(label));
}

TEST(ChestPhantom, RoundedOpacitySizesFollowTheirClasses) {
  SeriesOptions options = smallSeries(16, 16, 4);
  options.findings = {{FindingKind::RoundedOpacitySmall, LungZone::RightMiddle, 50},
                      {FindingKind::RoundedOpacityMedium, LungZone::RightMiddle, 50},
                      {FindingKind::RoundedOpacityLarge, LungZone::RightMiddle, 50},
                      {FindingKind::LargeOpacity, LungZone::LeftUpper, 0}};
  const ChestPhantom phantom(options, 5);
  const auto& findings = phantom.placedFindings();
  ASSERT_EQ(findings.size(), 4u);
  EXPECT_GE(findings[0].minimumSizeMm, 0.5);
  EXPECT_LE(findings[0].maximumSizeMm, 1.5);
  EXPECT_GE(findings[1].minimumSizeMm, 1.5);
  EXPECT_LE(findings[1].maximumSizeMm, 3.0);
  EXPECT_GE(findings[2].minimumSizeMm, 3.0);
  EXPECT_LE(findings[2].maximumSizeMm, 10.0);
  EXPECT_GT(findings[3].maximumSizeMm, 10.0);
}

TEST(ChestPhantom, NoiseHasTheRequestedSpreadAndZeroNoiseIsExact) {
  SeriesOptions options = smallSeries(64, 64, 6);
  options.noiseSigma = 20;
  const Volume noisy = ChestPhantom(options, 2).renderVolume();
  double sum = 0, sumSquares = 0;
  std::int64_t count = 0;
  for (std::size_t i = 0; i < noisy.labels.size(); ++i) {
    if (noisy.labels[i] != static_cast<std::uint8_t>(Label::Outside)) continue;
    sum += noisy.hounsfield[i] + 1000.0;
    sumSquares += (noisy.hounsfield[i] + 1000.0) * (noisy.hounsfield[i] + 1000.0);
    ++count;
  }
  ASSERT_GT(count, 1000);
  // Air at -1000 is clamped at -1024 below 1.2 sigma: the spread is a little smaller than asked.
  const double deviation = std::sqrt(sumSquares / count - (sum / count) * (sum / count));
  EXPECT_GT(deviation, 14.0);
  EXPECT_LT(deviation, 21.0);

  options.noiseSigma = 0;
  const Volume clean = ChestPhantom(options, 2).renderVolume();
  for (std::size_t i = 0; i < clean.labels.size(); ++i) {
    if (clean.labels[i] == static_cast<std::uint8_t>(Label::Outside)) {
      ASSERT_EQ(clean.hounsfield[i], -1000);
    } else if (clean.labels[i] == static_cast<std::uint8_t>(Label::Liver)) {
      ASSERT_EQ(clean.hounsfield[i], 60);
    }
  }
}

TEST(ChestPhantom, SmallestMatricesRender) {
  for (const auto& [columns, rows, slices] : {std::tuple{1, 1, 1}, std::tuple{3, 200, 2}, std::tuple{200, 2, 1}}) {
    const Volume volume = ChestPhantom(withEveryFinding(smallSeries(columns, rows, slices)), 1).renderVolume();
    EXPECT_EQ(volume.hounsfield.size(), static_cast<std::size_t>(columns * rows * slices));
  }
}
