#pragma once
// Builds one DICOM Part 10 file: preamble, "DICM", the file meta group
// (always explicit VR little endian) and a data set in the chosen transfer
// syntax. Elements may be added in any order; they are written sorted by tag.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "VantorSyntheticCT/SeriesOptions.h"

namespace VantorSyntheticCT {

std::string_view transferSyntaxUid(TransferSyntax syntax);

class DicomFileWriter {
public:
  explicit DicomFileWriter(TransferSyntax syntax = TransferSyntax::ExplicitVRLittleEndian);

  // Media Storage SOP Class / Instance UID of the meta group. The data set's
  // own SOP Class / Instance UID elements are added separately.
  void setMediaStorage(std::string_view sopClassUid, std::string_view sopInstanceUid);

  // Text value with VR `vr` (two letters); padded to even length with a
  // blank, or NUL for UI.
  void addText(std::uint16_t group, std::uint16_t element, std::string_view vr, std::string_view value);
  void addUnsignedShort(std::uint16_t group, std::uint16_t element, std::uint16_t value);
  void addUnsignedLong(std::uint16_t group, std::uint16_t element, std::uint32_t value);
  // Pixel Data (7FE0,0010): 16-bit words as OW, or 8-bit bytes as OB.
  void addPixelData(const std::uint16_t* words, std::size_t count);
  void addPixelData(const std::uint8_t* bytes, std::size_t count);
  // Any element with a binary value given as little-endian bytes of
  // `wordSize`-byte words (1, 2, 4 or 8; swapped for big endian).
  void addBinary(std::uint16_t group, std::uint16_t element, std::string_view vr,
                 std::vector<std::uint8_t> littleEndianValue, int wordSize);

  std::vector<std::uint8_t> bytes() const;
  // Writes the file through a hidden temporary name (".<name>.part") in the
  // same folder and renames it into place.
  bool writeFile(const std::string& path, std::string* error = nullptr) const;

  // Decimal String text of at most 16 characters.
  static std::string decimalString(double value);
  static std::string decimalStrings(const std::vector<double>& values);

private:
  struct Element {
    std::uint32_t tag;
    char vr[2];
    int wordSize;  // 0 = text / bytes, never swapped
    std::vector<std::uint8_t> value;
  };
  void put(Element element);

  TransferSyntax syntax_;
  std::string sopClassUid_;
  std::string sopInstanceUid_;
  std::vector<Element> elements_;
};

}  // namespace VantorSyntheticCT
