#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "TemporaryFolder.h"
#include "VantorSyntheticCT/DicomFileWriter.h"

using namespace VantorSyntheticCT;

namespace {

std::uint16_t little16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t little32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(little16(b, at) | (little16(b, at + 2) << 16));
}

// Offset of the first byte after the meta group.
std::size_t dataSetStart(const std::vector<std::uint8_t>& bytes) {
  return 132 + 12 + little32(bytes, 140);
}

DicomFileWriter sample(TransferSyntax syntax) {
  DicomFileWriter writer(syntax);
  writer.setMediaStorage("1.2.840.10008.5.1.4.1.1.2", "2.25.1");
  writer.addUnsignedShort(0x0028, 0x0010, 0x0102);
  writer.addText(0x0008, 0x0060, "CS", "CT");
  const std::uint16_t pixels[2] = {0x1234, 0xFFFE};
  writer.addPixelData(pixels, 2);
  return writer;
}

}  // namespace

TEST(DicomFileWriter, Part10HeaderHasPreambleMagicAndExactMetaGroupLength) {
  const std::vector<std::uint8_t> bytes = sample(TransferSyntax::ExplicitVRLittleEndian).bytes();
  ASSERT_GT(bytes.size(), 200u);
  for (int i = 0; i < 128; ++i) ASSERT_EQ(bytes[static_cast<std::size_t>(i)], 0);
  EXPECT_EQ(std::memcmp(bytes.data() + 128, "DICM", 4), 0);
  // (0002,0000) UL, length 4.
  EXPECT_EQ(little16(bytes, 132), 0x0002);
  EXPECT_EQ(little16(bytes, 134), 0x0000);
  EXPECT_EQ(bytes[136], 'U');
  EXPECT_EQ(bytes[137], 'L');
  EXPECT_EQ(little16(bytes, 138), 4);
  // The group length ends exactly where the data set's first element (0008,0060) begins.
  const std::size_t start = dataSetStart(bytes);
  EXPECT_EQ(little16(bytes, start), 0x0008);
  EXPECT_EQ(little16(bytes, start + 2), 0x0060);
  // Every meta element has an even length and the transfer syntax is named.
  const std::string meta(bytes.begin() + 144, bytes.begin() + static_cast<std::ptrdiff_t>(start));
  EXPECT_NE(meta.find(std::string("1.2.840.10008.1.2.1") + '\0'), std::string::npos);
}

TEST(DicomFileWriter, EncodesEachTransferSyntaxAsTheStandardSays) {
  {  // explicit little endian: tag, VR, 2-byte length; OW has 2 reserved bytes and a 4-byte length.
    const auto bytes = sample(TransferSyntax::ExplicitVRLittleEndian).bytes();
    std::size_t at = dataSetStart(bytes);
    EXPECT_EQ(std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at) + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at) + 6), "CS");
    at += 8 + 2;  // (0008,0060) "CT"
    EXPECT_EQ(little16(bytes, at + 2), 0x0010);
    EXPECT_EQ(little16(bytes, at + 8), 0x0102);  // (0028,0010) value
    at += 10;
    EXPECT_EQ(bytes[at + 4], 'O');
    EXPECT_EQ(little16(bytes, at + 6), 0);
    EXPECT_EQ(little32(bytes, at + 8), 4u);
    EXPECT_EQ(little16(bytes, at + 12), 0x1234);
    EXPECT_EQ(at + 16, bytes.size());
  }
  {  // implicit little endian: tag and 4-byte length, no VR.
    const auto bytes = sample(TransferSyntax::ImplicitVRLittleEndian).bytes();
    std::size_t at = dataSetStart(bytes);
    EXPECT_EQ(little32(bytes, at + 4), 2u);
    at += 8 + 2;
    EXPECT_EQ(little32(bytes, at + 4), 2u);
    EXPECT_EQ(little16(bytes, at + 8), 0x0102);
    at += 10;
    EXPECT_EQ(little32(bytes, at + 4), 4u);
    EXPECT_EQ(little16(bytes, at + 8), 0x1234);
  }
  {  // explicit big endian: tags, lengths and word values swapped; text unchanged; meta group stays little endian.
    const auto bytes = sample(TransferSyntax::ExplicitVRBigEndian).bytes();
    EXPECT_EQ(little16(bytes, 132), 0x0002);
    std::size_t at = dataSetStart(bytes);
    EXPECT_EQ(bytes[at], 0x00);
    EXPECT_EQ(bytes[at + 1], 0x08);
    EXPECT_EQ(bytes[at + 7], 2);  // length 2, big endian
    EXPECT_EQ(bytes[at + 8], 'C');
    at += 10;
    EXPECT_EQ(bytes[at + 8], 0x01);
    EXPECT_EQ(bytes[at + 9], 0x02);
    at += 10;
    EXPECT_EQ(bytes[at + 11], 4);  // 4-byte length, big endian
    EXPECT_EQ(bytes[at + 12], 0x12);
    EXPECT_EQ(bytes[at + 13], 0x34);
    EXPECT_EQ(bytes[at + 14], 0xFF);
    EXPECT_EQ(bytes[at + 15], 0xFE);
  }
}

TEST(DicomFileWriter, OddValuesArePaddedAndElementsSortedByTag) {
  DicomFileWriter writer;
  writer.setMediaStorage("1.2", "1.23");
  writer.addText(0x0010, 0x0010, "PN", "ABC");
  writer.addText(0x0008, 0x0018, "UI", "1.2.3");
  writer.addText(0x0010, 0x0010, "PN", "DOE^JOHN");  // replaces the earlier value
  const auto bytes = writer.bytes();
  std::size_t at = dataSetStart(bytes);
  EXPECT_EQ(little16(bytes, at + 2), 0x0018);
  EXPECT_EQ(little16(bytes, at + 6), 6);
  EXPECT_EQ(bytes[at + 8 + 5], 0);  // UI padded with NUL
  at += 8 + 6;
  EXPECT_EQ(little16(bytes, at), 0x0010);
  EXPECT_EQ(little16(bytes, at + 6), 8);
  EXPECT_EQ(std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at) + 8, bytes.end()), "DOE^JOHN");

  DicomFileWriter odd;
  odd.addText(0x0008, 0x0060, "CS", "MR ");
  odd.addText(0x0008, 0x0070, "LO", "ACME");
  odd.addText(0x0008, 0x0080, "LO", "X");
  const auto oddBytes = odd.bytes();
  const std::string tail(oddBytes.end() - 2, oddBytes.end());
  EXPECT_EQ(tail, "X ");  // text padded with a blank
}

TEST(DicomFileWriter, DecimalStringsFitSixteenCharactersAndKeepTheirValue) {
  for (double value : {0.0, -0.0, 1.0, -1024.0, 0.703125, -179.6484375, 123456.789012345, -0.000012345678, 1e-30,
                       -9.87654321e20, 5.0 / 3.0}) {
    const std::string text = DicomFileWriter::decimalString(value);
    EXPECT_LE(text.size(), 16u) << text;
    EXPECT_EQ(text.find(' '), std::string::npos);
    const double back = std::strtod(text.c_str(), nullptr);
    EXPECT_NEAR(back, value, std::abs(value) * 1e-6 + 1e-300) << text;
  }
  EXPECT_EQ(DicomFileWriter::decimalString(-0.0), "0");
  EXPECT_EQ(DicomFileWriter::decimalStrings({40, -600}), "40\\-600");
}

TEST(DicomFileWriter, WriteFileLeavesNoTemporaryAndReportsAnUnwritableFolder) {
  TemporaryFolder folder;
  const DicomFileWriter writer = sample(TransferSyntax::ExplicitVRLittleEndian);
  std::string error;
  ASSERT_TRUE(writer.writeFile(folder / "a.dcm", &error)) << error;
  EXPECT_EQ(listTree(folder.path()), std::vector<std::string>{"a.dcm"});
  const std::vector<std::uint8_t> expected = writer.bytes();
  EXPECT_EQ(readBytes(folder / "a.dcm"), std::vector<unsigned char>(expected.begin(), expected.end()));

  EXPECT_FALSE(writer.writeFile(folder / "missing/a.dcm", &error));
  EXPECT_NE(error.find("missing"), std::string::npos);
}
