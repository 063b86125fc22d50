#include "GroundTruthWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "VantorSyntheticCT/Label.h"

namespace VantorSyntheticCT {

namespace {

bool writeWhole(const std::filesystem::path& path, const char* data, std::size_t size, std::string* error) {
  const std::filesystem::path temporary = path.string() + ".part";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (file) file.write(data, static_cast<std::streamsize>(size));
    if (!file) {
      if (error) *error = "cannot write " + temporary.string();
      return false;
    }
  }
  std::error_code code;
  std::filesystem::rename(temporary, path, code);
  if (code) {
    if (error) *error = "cannot rename " + temporary.string() + ": " + code.message();
    return false;
  }
  return true;
}

std::string number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

}  // namespace

bool GroundTruthWriter::write(const std::string& folder, const ChestPhantom& phantom,
                              const std::vector<std::uint8_t>& labels, const std::string& seriesName,
                              std::uint64_t seed, std::string* error) {
  std::error_code code;
  std::filesystem::create_directories(folder, code);
  if (code) {
    if (error) *error = "cannot make folder " + folder + ": " + code.message();
    return false;
  }
  const std::filesystem::path base(folder);
  const Point3 first = phantom.slicePosition(0);

  std::ostringstream header;
  header << "ObjectType = Image\n"
         << "NDims = 3\n"
         << "BinaryData = True\n"
         << "BinaryDataByteOrderMSB = False\n"
         << "CompressedData = False\n"
         << "TransformMatrix = 1 0 0 0 1 0 0 0 -1\n"
         << "Offset = " << number(first.x) << ' ' << number(first.y) << ' ' << number(first.z) << "\n"
         << "ElementSpacing = " << number(phantom.pixelSpacing()) << ' ' << number(phantom.pixelSpacing()) << ' '
         << number(phantom.sliceSpacing()) << "\n"
         << "DimSize = " << phantom.columns() << ' ' << phantom.rows() << ' ' << phantom.slices() << "\n"
         << "ElementType = MET_UCHAR\n"
         << "ElementDataFile = labels.raw\n";
  const std::string headerText = header.str();
  if (!writeWhole(base / "labels.raw", reinterpret_cast<const char*>(labels.data()), labels.size(), error)) return false;
  if (!writeWhole(base / "labels.mhd", headerText.data(), headerText.size(), error)) return false;

  std::ostringstream summary;
  summary << "# Ground truth of a synthetic chest CT series (VANTOR synthetic CT generator)\n"
          << "series: " << seriesName << "\n"
          << "seed: " << seed << "\n"
          << "matrix: " << phantom.columns() << " x " << phantom.rows() << " x " << phantom.slices() << "\n"
          << "pixel-spacing-mm: " << number(phantom.pixelSpacing()) << "\n"
          << "slice-spacing-mm: " << number(phantom.sliceSpacing()) << "\n"
          << "first-pixel-mm: " << number(first.x) << ' ' << number(first.y) << ' ' << number(first.z) << "\n"
          << "\n"
          << "# labels.raw: columns * rows * slices unsigned bytes, column fastest, then row, then slice.\n"
          << "# Slice i is the file with instance number i + 1; its z is first z - i * slice spacing.\n"
          << "# labels.mhd is the same volume's MetaImage header (readable by ITK, VTK, 3D Slicer).\n"
          << "labels:\n";
  for (int value = 0; value < 256; ++value) {
    const std::string_view name = labelName(static_cast<std::uint8_t>(value));
    if (name == "unused") continue;
    summary << "  " << value << ' ' << name << "\n";
  }
  summary << "\n# Zones: each lung's height from apex to its lowest point, in thirds.\n";
  summary << "lung-extent-mm: right " << number(phantom.lungApexZ(false)) << " to " << number(phantom.lungBaseZ(false))
          << ", left " << number(phantom.lungApexZ(true)) << " to " << number(phantom.lungBaseZ(true)) << "\n";
  summary << "\nfindings by zone (zone, kind, objects, size-mm, voxels, centre-mm):\n";
  const std::vector<PlacedFinding> findings = phantom.countFindingVoxels(labels);
  bool any = false;
  for (int zone = 0; zone < LungZoneCount; ++zone) {
    for (const PlacedFinding& finding : findings) {
      if (static_cast<int>(finding.zone) != zone) continue;
      any = true;
      summary << lungZoneName(finding.zone) << '\t' << findingKindName(finding.kind) << '\t' << finding.objects << '\t'
              << number(finding.minimumSizeMm) << '-' << number(finding.maximumSizeMm) << '\t' << finding.voxels
              << '\t' << number(finding.centre.x) << ' ' << number(finding.centre.y) << ' '
              << number(finding.centre.z) << "\n";
    }
  }
  if (!any) summary << "none\n";
  const std::string summaryText = summary.str();
  return writeWhole(base / "findings.txt", summaryText.data(), summaryText.size(), error);
}

}  // namespace VantorSyntheticCT
