#include "VantorSyntheticCT/DicomFileWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace VantorSyntheticCT {

namespace {

constexpr char ImplementationClassUid[] = "2.25.207437941625180712961083466958372416013";
constexpr char ImplementationVersionName[] = "VANTOR_MAKECT_1";

bool hasLongLength(const char vr[2]) {
  static constexpr const char* longVrs[] = {"OB", "OD", "OF", "OL", "OV", "OW", "SQ", "UC", "UN", "UR", "UT"};
  for (const char* candidate : longVrs) {
    if (vr[0] == candidate[0] && vr[1] == candidate[1]) return true;
  }
  return false;
}

void append16(std::vector<std::uint8_t>& out, std::uint16_t value, bool bigEndian) {
  if (bigEndian) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
  } else {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
  }
}

void append32(std::vector<std::uint8_t>& out, std::uint32_t value, bool bigEndian) {
  if (bigEndian) {
    append16(out, static_cast<std::uint16_t>(value >> 16), true);
    append16(out, static_cast<std::uint16_t>(value), true);
  } else {
    append16(out, static_cast<std::uint16_t>(value), false);
    append16(out, static_cast<std::uint16_t>(value >> 16), false);
  }
}

// Element header and value in the given encoding.
void encode(std::vector<std::uint8_t>& out, std::uint32_t tag, const char vr[2], int wordSize,
            const std::vector<std::uint8_t>& value, bool explicitVr, bool bigEndian) {
  append16(out, static_cast<std::uint16_t>(tag >> 16), bigEndian);
  append16(out, static_cast<std::uint16_t>(tag), bigEndian);
  const auto length = static_cast<std::uint32_t>(value.size());
  if (explicitVr) {
    out.push_back(static_cast<std::uint8_t>(vr[0]));
    out.push_back(static_cast<std::uint8_t>(vr[1]));
    if (hasLongLength(vr)) {
      out.push_back(0);
      out.push_back(0);
      append32(out, length, bigEndian);
    } else {
      append16(out, static_cast<std::uint16_t>(length), bigEndian);
    }
  } else {
    append32(out, length, bigEndian);
  }
  const std::size_t start = out.size();
  out.insert(out.end(), value.begin(), value.end());
  if (bigEndian && wordSize > 1) {
    for (std::size_t i = start; i + static_cast<std::size_t>(wordSize) <= out.size(); i += static_cast<std::size_t>(wordSize)) {
      std::reverse(out.begin() + static_cast<std::ptrdiff_t>(i),
                   out.begin() + static_cast<std::ptrdiff_t>(i) + wordSize);
    }
  }
}

std::vector<std::uint8_t> paddedText(std::string_view value, bool nulPadding) {
  std::vector<std::uint8_t> bytes(value.begin(), value.end());
  if (bytes.size() % 2 != 0) bytes.push_back(nulPadding ? 0 : ' ');
  return bytes;
}

}  // namespace

std::string_view transferSyntaxUid(TransferSyntax syntax) {
  switch (syntax) {
    case TransferSyntax::ImplicitVRLittleEndian: return "1.2.840.10008.1.2";
    case TransferSyntax::ExplicitVRBigEndian: return "1.2.840.10008.1.2.2";
    case TransferSyntax::ExplicitVRLittleEndian: break;
  }
  return "1.2.840.10008.1.2.1";
}

DicomFileWriter::DicomFileWriter(TransferSyntax syntax) : syntax_(syntax) {}

void DicomFileWriter::setMediaStorage(std::string_view sopClassUid, std::string_view sopInstanceUid) {
  sopClassUid_ = sopClassUid;
  sopInstanceUid_ = sopInstanceUid;
}

void DicomFileWriter::put(Element element) {
  auto position = std::lower_bound(elements_.begin(), elements_.end(), element.tag,
                                   [](const Element& e, std::uint32_t tag) { return e.tag < tag; });
  if (position != elements_.end() && position->tag == element.tag) {
    *position = std::move(element);
  } else {
    elements_.insert(position, std::move(element));
  }
}

void DicomFileWriter::addText(std::uint16_t group, std::uint16_t element, std::string_view vr, std::string_view value) {
  Element e{(std::uint32_t{group} << 16) | element, {vr.size() > 0 ? vr[0] : 'U', vr.size() > 1 ? vr[1] : 'N'}, 0,
            paddedText(value, vr == "UI")};
  put(std::move(e));
}

void DicomFileWriter::addBinary(std::uint16_t group, std::uint16_t element, std::string_view vr,
                                std::vector<std::uint8_t> littleEndianValue, int wordSize) {
  if (littleEndianValue.size() % 2 != 0) littleEndianValue.push_back(0);
  Element e{(std::uint32_t{group} << 16) | element, {vr.size() > 0 ? vr[0] : 'U', vr.size() > 1 ? vr[1] : 'N'},
            wordSize, std::move(littleEndianValue)};
  put(std::move(e));
}

void DicomFileWriter::addUnsignedShort(std::uint16_t group, std::uint16_t element, std::uint16_t value) {
  addBinary(group, element, "US", {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)}, 2);
}

void DicomFileWriter::addUnsignedLong(std::uint16_t group, std::uint16_t element, std::uint32_t value) {
  addBinary(group, element, "UL",
            {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)},
            4);
}

void DicomFileWriter::addPixelData(const std::uint16_t* words, std::size_t count) {
  std::vector<std::uint8_t> bytes(count * 2);
  for (std::size_t i = 0; i < count; ++i) {
    bytes[2 * i] = static_cast<std::uint8_t>(words[i]);
    bytes[2 * i + 1] = static_cast<std::uint8_t>(words[i] >> 8);
  }
  addBinary(0x7FE0, 0x0010, "OW", std::move(bytes), 2);
}

void DicomFileWriter::addPixelData(const std::uint8_t* bytes, std::size_t count) {
  addBinary(0x7FE0, 0x0010, "OB", std::vector<std::uint8_t>(bytes, bytes + count), 1);
}

std::vector<std::uint8_t> DicomFileWriter::bytes() const {
  std::vector<std::uint8_t> meta;
  const char ob[2] = {'O', 'B'};
  const char ui[2] = {'U', 'I'};
  const char sh[2] = {'S', 'H'};
  encode(meta, 0x00020001, ob, 1, {0x00, 0x01}, true, false);
  encode(meta, 0x00020002, ui, 0, paddedText(sopClassUid_, true), true, false);
  encode(meta, 0x00020003, ui, 0, paddedText(sopInstanceUid_, true), true, false);
  encode(meta, 0x00020010, ui, 0, paddedText(transferSyntaxUid(syntax_), true), true, false);
  encode(meta, 0x00020012, ui, 0, paddedText(ImplementationClassUid, true), true, false);
  encode(meta, 0x00020013, sh, 0, paddedText(ImplementationVersionName, false), true, false);

  std::size_t total = 132 + 12 + meta.size();
  for (const Element& e : elements_) total += 12 + e.value.size();
  std::vector<std::uint8_t> out;
  out.reserve(total);
  out.resize(128, 0);
  out.insert(out.end(), {'D', 'I', 'C', 'M'});
  const char ul[2] = {'U', 'L'};
  const auto metaLength = static_cast<std::uint32_t>(meta.size());
  encode(out, 0x00020000, ul, 4,
         {static_cast<std::uint8_t>(metaLength), static_cast<std::uint8_t>(metaLength >> 8),
          static_cast<std::uint8_t>(metaLength >> 16), static_cast<std::uint8_t>(metaLength >> 24)},
         true, false);
  out.insert(out.end(), meta.begin(), meta.end());

  const bool explicitVr = syntax_ != TransferSyntax::ImplicitVRLittleEndian;
  const bool bigEndian = syntax_ == TransferSyntax::ExplicitVRBigEndian;
  for (const Element& e : elements_) {
    if ((e.tag >> 16) == 0x0002) continue;  // the meta group is made above
    encode(out, e.tag, e.vr, e.wordSize, e.value, explicitVr, bigEndian);
  }
  return out;
}

bool DicomFileWriter::writeFile(const std::string& path, std::string* error) const {
  const std::vector<std::uint8_t> content = bytes();
  // The temporary name is hidden, so that a folder walk never takes a
  // half-written file for a slice.
  const std::filesystem::path target(path);
  const std::string temporary =
      (target.parent_path() / ("." + target.filename().string() + ".part")).string();
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (file) file.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
    if (!file) {
      if (error) *error = "cannot write " + temporary;
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code code;
  std::filesystem::rename(temporary, path, code);
  if (code) {
    if (error) *error = "cannot rename " + temporary + " to " + path + ": " + code.message();
    std::filesystem::remove(temporary, code);
    return false;
  }
  return true;
}

std::string DicomFileWriter::decimalString(double value) {
  if (value == 0.0) return "0";  // also turns -0 into 0
  char text[40];
  for (int precision = 10; precision >= 1; --precision) {
    std::snprintf(text, sizeof text, "%.*g", precision, value);
    if (std::strlen(text) <= 16) return text;
  }
  std::snprintf(text, sizeof text, "%.6e", value);
  return text;
}

std::string DicomFileWriter::decimalStrings(const std::vector<double>& values) {
  std::string text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += '\\';
    text += decimalString(values[i]);
  }
  return text;
}

}  // namespace VantorSyntheticCT
