// The workstation reads generated series through ZQDICOM: the values it
// reads must be the ones the generator meant.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "TemporaryFolder.h"
#include "VantorSyntheticCT/VantorSyntheticCT.h"
#include "ZVDICOM/ZQDICOM.h"

using namespace VantorSyntheticCT;

namespace {

std::string tagText(const ZQDICOM& dicom, std::uint16_t group, std::uint16_t element) {
  std::string buffer(128, '\0');
  if (!dicom.GetTagString(static_cast<std::int16_t>(group), static_cast<std::int16_t>(element), buffer, 128)) return "<missing>";
  buffer.resize(std::strlen(buffer.c_str()));
  while (!buffer.empty() && buffer.back() == ' ') buffer.pop_back();
  return buffer;
}

std::vector<double> numbers(const std::string& text) {
  std::vector<double> values;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\\', start), text.size());
    values.push_back(std::strtod(text.substr(start, end - start).c_str(), nullptr));
    start = end + 1;
  }
  return values;
}

std::int16_t tagShort(const ZQDICOM& dicom, std::uint16_t group, std::uint16_t element) {
  std::int16_t value = -12345;
  dicom.GetTagShort(static_cast<std::int16_t>(group), static_cast<std::int16_t>(element), value);
  return value;
}

SeriesOptions seriesWith(TransferSyntax syntax, int bits) {
  SeriesOptions series;
  series.columns = 40;
  series.rows = 32;
  series.slices = 6;
  series.sliceSpacing = 2.5;
  series.sliceThickness = 3;
  series.pixelSpacing = 7.5;
  series.transferSyntax = syntax;
  series.bitsAllocated = bits;
  series.windowCenters = {-600, 40};
  series.windowWidths = {1500, 400};
  series.findings = {{FindingKind::RoundedOpacityLarge, LungZone::RightMiddle, 5}};
  return series;
}

class GeneratedSeriesInZQDICOM : public ::testing::TestWithParam<std::tuple<TransferSyntax, int>> {};

}  // namespace

TEST_P(GeneratedSeriesInZQDICOM, AttributesGeometryAndPixelsReadBackAsWritten) {
  const TransferSyntax syntax = std::get<0>(GetParam());
  const int bits = std::get<1>(GetParam());
  const SeriesOptions series = seriesWith(syntax, bits);
  TemporaryFolder folder;
  const WriteResult result = DataSetWriter::writeSeries(series, folder / "series", 31);
  ASSERT_TRUE(result.ok) << result.error;
  const std::vector<std::string>& files = result.series[0].files;
  ASSERT_EQ(files.size(), 6u);

  ZQDICOM dicom;
  std::vector<double> firstPosition;
  for (std::size_t i = 0; i < files.size(); ++i) {
    dicom.setfilename(files[i]);
    ASSERT_GT(dicom.GetNumOfTag(), 40) << files[i];
    const std::string sopClass = bits == 16 ? "1.2.840.10008.5.1.4.1.1.2" : "1.2.840.10008.5.1.4.1.1.7";
    EXPECT_EQ(tagText(dicom, 0x0002, 0x0002), sopClass);
    EXPECT_EQ(tagText(dicom, 0x0008, 0x0016), sopClass);
    EXPECT_EQ(tagText(dicom, 0x0002, 0x0010), std::string(transferSyntaxUid(syntax)));
    EXPECT_EQ(tagText(dicom, 0x0008, 0x0060), "CT");
    EXPECT_EQ(tagText(dicom, 0x0008, 0x0070), "VANTOR Synthetic");
    EXPECT_EQ(tagText(dicom, 0x0010, 0x0010), "SYNTHETIC^PATIENT");
    EXPECT_EQ(tagText(dicom, 0x0008, 0x0020), "20260105");
    EXPECT_EQ(tagText(dicom, 0x0008, 0x0030), "093000");
    EXPECT_EQ(tagShort(dicom, 0x0028, 0x0010), 32);
    EXPECT_EQ(tagShort(dicom, 0x0028, 0x0011), 40);
    EXPECT_EQ(tagShort(dicom, 0x0028, 0x0100), bits);
    EXPECT_EQ(tagShort(dicom, 0x0028, 0x0103), bits == 16 ? 1 : 0);
    EXPECT_EQ(tagText(dicom, 0x0028, 0x1050), "-600\\40");
    EXPECT_EQ(tagText(dicom, 0x0028, 0x1051), "1500\\400");
    EXPECT_EQ(tagText(dicom, 0x0028, 0x0030), "7.5\\7.5");
    EXPECT_EQ(tagText(dicom, 0x0018, 0x0050), "3");
    EXPECT_EQ(tagText(dicom, 0x0018, 0x0060), "120");
    EXPECT_EQ(tagText(dicom, 0x0018, 0x1151), "200");
    EXPECT_EQ(tagText(dicom, 0x0018, 0x1150), "500");
    EXPECT_EQ(tagText(dicom, 0x0020, 0x0037), "1\\0\\0\\0\\1\\0");
    EXPECT_EQ(std::atoi(tagText(dicom, 0x0020, 0x0013).c_str()), static_cast<int>(i) + 1);
    EXPECT_EQ(tagText(dicom, 0x0008, 0x0018), tagText(dicom, 0x0002, 0x0003));

    // Positions step by the slice spacing along the normal (row x column = +z), downwards.
    const std::vector<double> position = numbers(tagText(dicom, 0x0020, 0x0032));
    ASSERT_EQ(position.size(), 3u);
    if (i == 0) firstPosition = position;
    EXPECT_DOUBLE_EQ(position[0], -39 * 7.5 / 2);
    EXPECT_DOUBLE_EQ(position[1], -31 * 7.5 / 2);
    EXPECT_NEAR(position[2] - firstPosition[2], -2.5 * static_cast<double>(i), 1e-9);
    EXPECT_NEAR(std::strtod(tagText(dicom, 0x0020, 0x1041).c_str(), nullptr), position[2], 1e-9);

    // Pixels: stored values turn into plausible CT numbers through the rescale.
    std::int32_t size = 0;
    ASSERT_TRUE(dicom.GetTagSize(0x7FE0, 0x0010, size));
    ASSERT_EQ(size, 40 * 32 * bits / 8);
    const std::uint8_t* pixels = dicom.hImage();
    ASSERT_NE(pixels, nullptr);
    // 8-bit captures carry display values: the lung window -1350..150 HU in 0..255.
    const double slope = bits == 16 ? std::strtod(tagText(dicom, 0x0028, 0x1053).c_str(), nullptr) : 1500.0 / 255.0;
    const double intercept = bits == 16 ? std::strtod(tagText(dicom, 0x0028, 0x1052).c_str(), nullptr) : -1350.0;
    const auto hounsfieldAt = [&](int index) {
      const double stored = bits == 16 ? static_cast<double>(static_cast<std::int16_t>(pixels[2 * index] | (pixels[2 * index + 1] << 8)))
                                       : static_cast<double>(pixels[index]);
      return stored * slope + intercept;
    };
    EXPECT_NEAR(hounsfieldAt(0), -1000, 60);                  // corner: air
    EXPECT_NEAR(hounsfieldAt(16 * 40 + 20), -50, bits == 16 ? 200 : 260);  // centre: mediastinum or heart
  }
}

INSTANTIATE_TEST_SUITE_P(Syntaxes, GeneratedSeriesInZQDICOM,
                         ::testing::Values(std::tuple{TransferSyntax::ExplicitVRLittleEndian, 16},
                                           std::tuple{TransferSyntax::ImplicitVRLittleEndian, 16},
                                           std::tuple{TransferSyntax::ExplicitVRBigEndian, 16},
                                           std::tuple{TransferSyntax::ExplicitVRLittleEndian, 8}));

TEST(GeneratedSeriesInZQDICOMPixels, StoredValuesAreThePhantomsCtNumbersMinusTheIntercept) {
  for (const double intercept : {-1024.0, 0.0}) {
    SeriesOptions series = seriesWith(TransferSyntax::ExplicitVRLittleEndian, 16);
    series.rescaleIntercept = intercept;
    TemporaryFolder folder;
    const WriteResult result = DataSetWriter::writeSeries(series, folder / "s", 5);
    ASSERT_TRUE(result.ok) << result.error;
    const Volume volume = ChestPhantom(series, DataSetWriter::phantomSeed(5, 0)).renderVolume();
    ZQDICOM dicom;
    for (int slice = 0; slice < series.slices; ++slice) {
      dicom.setfilename(result.series[0].files[static_cast<std::size_t>(slice)]);
      EXPECT_EQ(tagText(dicom, 0x0028, 0x1052), intercept == 0 ? "0" : "-1024");
      const std::uint8_t* pixels = dicom.hImage();
      ASSERT_NE(pixels, nullptr);
      int negative = 0;
      for (int k = 0; k < 40 * 32; ++k) {
        const auto stored = static_cast<std::int16_t>(pixels[2 * k] | (pixels[2 * k + 1] << 8));
        ASSERT_EQ(stored + intercept, volume.hounsfield[static_cast<std::size_t>(slice * 40 * 32 + k)]) << slice << " " << k;
        if (stored < 0) ++negative;
      }
      // Air is stored negative only without the -1024 offset.
      EXPECT_EQ(negative > 0, intercept == 0);
    }
  }
}

TEST(GeneratedSeriesInZQDICOMPixels, EightBitSeriesHoldTheLungWindow) {
  SeriesOptions series = seriesWith(TransferSyntax::ExplicitVRLittleEndian, 8);
  TemporaryFolder folder;
  const WriteResult result = DataSetWriter::writeSeries(series, folder / "s", 5);
  ASSERT_TRUE(result.ok) << result.error;
  const Volume volume = ChestPhantom(series, DataSetWriter::phantomSeed(5, 0)).renderVolume();
  ZQDICOM dicom;
  dicom.setfilename(result.series[0].files[3]);
  // Display values without a rescale: the lung window -1350..150 HU in 0..255.
  EXPECT_EQ(std::strtod(tagText(dicom, 0x0028, 0x1053).c_str(), nullptr), 1.0);
  EXPECT_EQ(std::strtod(tagText(dicom, 0x0028, 0x1052).c_str(), nullptr), 0.0);
  const double slope = 1500.0 / 255.0;
  const double intercept = -1350.0;
  const std::uint8_t* pixels = dicom.hImage();
  ASSERT_NE(pixels, nullptr);
  for (int k = 0; k < 40 * 32; ++k) {
    const double hu = std::clamp<double>(volume.hounsfield[static_cast<std::size_t>(3 * 40 * 32 + k)], -1350, 150);
    ASSERT_NEAR(pixels[k] * slope + intercept, hu, slope / 2 + 1e-6) << k;
  }
}

TEST(GeneratedSeriesInZQDICOMNames, JapaneseNameIsStoredInUtf8WithItsCharacterSet) {
  DataSetOptions options = DataSetOptions::singleSeries(seriesWith(TransferSyntax::ExplicitVRLittleEndian, 16), 3);
  options.patients[0].name = "YAMADA^TARO=山田^太郎=やまだ^たろう";
  options.patients[0].studies[0].series[0].slices = 1;
  TemporaryFolder folder;
  const WriteResult result = DataSetWriter::write(options, folder / "data", "");
  ASSERT_TRUE(result.ok) << result.error;
  ZQDICOM dicom;
  dicom.setfilename(result.series[0].files[0]);
  EXPECT_EQ(tagText(dicom, 0x0008, 0x0005), "ISO_IR 192");
  EXPECT_EQ(tagText(dicom, 0x0010, 0x0010), "YAMADA^TARO=山田^太郎=やまだ^たろう");
}
