// DCMTK's dcmdump, GDCM's gdcmdump and pydicom read every kind of file the
// generator writes without a complaint.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "TemporaryFolder.h"
#include "VantorSyntheticCT/VantorSyntheticCT.h"

using namespace VantorSyntheticCT;

namespace {

struct CommandResult {
  int status = -1;
  std::string output;  // stdout and stderr together
};

CommandResult run(const std::string& command) {
  CommandResult result;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  std::array<char, 4096> buffer{};
  std::size_t count;
  while ((count = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), count);
  result.status = ::pclose(pipe);
  return result;
}

std::vector<std::string> sampleFiles(const TemporaryFolder& folder) {
  std::vector<std::string> files;
  int index = 0;
  for (const TransferSyntax syntax : {TransferSyntax::ExplicitVRLittleEndian, TransferSyntax::ImplicitVRLittleEndian,
                                      TransferSyntax::ExplicitVRBigEndian}) {
    for (const int bits : {16, 8}) {
      SeriesOptions series;
      series.columns = 33;  // odd width: 8-bit pixel data needs padding
      series.rows = 17;
      series.slices = 2;
      series.bitsAllocated = bits;
      series.transferSyntax = syntax;
      series.windowCenters = {40, -600};
      series.windowWidths = {400, 1500};
      DataSetOptions options = DataSetOptions::singleSeries(series, 3);
      options.patients[0].name = "YAMADA^TARO=山田^太郎=やまだ^たろう";
      const WriteResult result = DataSetWriter::write(options, folder / ("data" + std::to_string(index++)), "");
      EXPECT_TRUE(result.ok) << result.error;
      if (result.ok) files.insert(files.end(), result.series[0].files.begin(), result.series[0].files.end());
    }
  }
  return files;
}

}  // namespace

TEST(PeerToolConformance, DcmdumpReadsEveryFileWithoutErrors) {
  const std::string dcmdump = VANTOR_DCMDUMP;
  if (dcmdump.empty() || dcmdump.find("NOTFOUND") != std::string::npos) GTEST_SKIP() << "dcmdump (DCMTK) is not installed";
  // dcm2pnm lies beside dcmdump.
  std::string dcm2pnm = dcmdump.substr(0, dcmdump.rfind('/') + 1) + "dcm2pnm";
  if (!std::filesystem::exists(dcm2pnm)) dcm2pnm.clear();
  TemporaryFolder folder;
  for (const std::string& file : sampleFiles(folder)) {
    const CommandResult result = run(dcmdump + " -q '" + file + "'");
    EXPECT_EQ(result.status, 0) << file << "\n" << result.output;
    EXPECT_EQ(result.output.find("E:"), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("W:"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("(7fe0,0010) O"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("(0028,1050) DS [40\\-600]"), std::string::npos) << result.output;
    // DCMTK's image module decodes the pixel data with the file's rescale and window.
    if (!dcm2pnm.empty()) {
      const CommandResult image = run(dcm2pnm + " --use-window 1 '" + file + "' '" + (folder / "image.pgm") + "'");
      EXPECT_EQ(image.status, 0) << file << "\n" << image.output;
      EXPECT_EQ(image.output.find("W:"), std::string::npos) << image.output;
      EXPECT_EQ(image.output.find("E:"), std::string::npos) << image.output;
    }
  }
}

TEST(PeerToolConformance, GdcmdumpReadsEveryFileWithoutErrors) {
  const std::string gdcmdump = VANTOR_GDCMDUMP;
  if (gdcmdump.empty() || gdcmdump.find("NOTFOUND") != std::string::npos) GTEST_SKIP() << "gdcmdump (GDCM) is not installed";
  TemporaryFolder folder;
  for (const std::string& file : sampleFiles(folder)) {
    const CommandResult result = run(gdcmdump + " '" + file + "'");
    EXPECT_EQ(result.status, 0) << file << "\n" << result.output;
    EXPECT_EQ(result.output.find("Error"), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("Warning"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("(7fe0,0010)"), std::string::npos) << result.output;
  }
}

TEST(PeerToolConformance, PydicomReadsEveryFileStrictlyAndDecodesTheJapaneseName) {
  // Debian's pydicom belongs to the system interpreter.
  const std::string python = "/usr/bin/python3";
  if (!std::filesystem::exists(python) || run(python + " -c 'import pydicom, numpy'").status != 0) {
    GTEST_SKIP() << "pydicom for /usr/bin/python3 is not installed";
  }
  TemporaryFolder folder;
  const std::vector<std::string> files = sampleFiles(folder);
  {
    std::ofstream script(folder / "check.py");
    script << "import sys, pydicom\n"
              "from pydicom import config\n"
              "config.settings.reading_validation_mode = config.RAISE\n"
              "for path in sys.argv[1:]:\n"
              "    ds = pydicom.dcmread(path)\n"
              "    pixels = ds.pixel_array\n"
              "    assert pixels.shape == (ds.Rows, ds.Columns), path\n"
              "    assert ds.PatientName.ideographic == '\u5c71\u7530^\u592a\u90ce', ds.PatientName\n"
              "    assert ds.PatientName.phonetic == '\u3084\u307e\u3060^\u305f\u308d\u3046', ds.PatientName\n"
              "    assert len(ds.ImagePositionPatient) == 3 and list(ds.WindowCenter) == [40, -600]\n"
              "    if ds.BitsAllocated == 8:\n"
              "        assert 40 < pixels[0, 0] < 80 and float(ds.RescaleSlope) == 1, (path, pixels[0, 0])  # air in the lung window\n"
              "    else:\n"
              "        hu = pixels[0, 0] * float(ds.RescaleSlope) + float(ds.RescaleIntercept)\n"
              "        assert -1030 < hu < -940, (path, hu)\n"
              "print('checked', len(sys.argv) - 1)\n";
  }
  std::string command = python + " '" + (folder / "check.py") + "'";
  for (const std::string& file : files) command += " '" + file + "'";
  const CommandResult result = run(command);
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_NE(result.output.find("checked " + std::to_string(files.size())), std::string::npos) << result.output;
}
