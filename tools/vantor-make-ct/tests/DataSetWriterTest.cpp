#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "TemporaryFolder.h"
#include "VantorSyntheticCT/DataSetWriter.h"
#include "VantorSyntheticCT/Label.h"

using namespace VantorSyntheticCT;
namespace fs = std::filesystem;

namespace {

SeriesOptions tinySeries(int slices = 5) {
  SeriesOptions series;
  series.columns = 24;
  series.rows = 20;
  series.slices = slices;
  series.findings = {{FindingKind::LargeOpacity, LungZone::RightMiddle, 0}, {FindingKind::Effusion, LungZone::LeftLower, 0}};
  return series;
}

DataSetOptions twoPatients(std::uint64_t seed) {
  DataSetOptions options = DataSetOptions::singleSeries(tinySeries(), seed);
  options.patients.push_back(options.patients[0]);
  options.patients[1].studies.push_back(options.patients[1].studies[0]);
  options.patients[1].studies[1].date = "20270101";
  options.patients[1].studies[1].series = {tinySeries(1)};
  return options;
}

std::string readText(const fs::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

TEST(DataSetWriter, DataFolderHoldsOnlyPatientStudySeriesFoldersAndSlices) {
  TemporaryFolder folder;
  const WriteResult result = DataSetWriter::write(twoPatients(4), folder / "data", folder / "truth");
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.series.size(), 3u);
  EXPECT_EQ(listTree(folder.path() / "data"),
            (std::vector<std::string>{"PAT001/", "PAT001/ST001_20260105/", "PAT001/ST001_20260105/SE001_CHEST_1.0_LUNG/",
                                      "PAT001/ST001_20260105/SE001_CHEST_1.0_LUNG/IM00001.dcm",
                                      "PAT001/ST001_20260105/SE001_CHEST_1.0_LUNG/IM00002.dcm",
                                      "PAT001/ST001_20260105/SE001_CHEST_1.0_LUNG/IM00003.dcm",
                                      "PAT001/ST001_20260105/SE001_CHEST_1.0_LUNG/IM00004.dcm",
                                      "PAT001/ST001_20260105/SE001_CHEST_1.0_LUNG/IM00005.dcm",
                                      "PAT002/", "PAT002/ST001_20260105/", "PAT002/ST001_20260105/SE001_CHEST_1.0_LUNG/",
                                      "PAT002/ST001_20260105/SE001_CHEST_1.0_LUNG/IM00001.dcm",
                                      "PAT002/ST001_20260105/SE001_CHEST_1.0_LUNG/IM00002.dcm",
                                      "PAT002/ST001_20260105/SE001_CHEST_1.0_LUNG/IM00003.dcm",
                                      "PAT002/ST001_20260105/SE001_CHEST_1.0_LUNG/IM00004.dcm",
                                      "PAT002/ST001_20260105/SE001_CHEST_1.0_LUNG/IM00005.dcm",
                                      "PAT002/ST002_20270101/", "PAT002/ST002_20270101/SE001_CHEST_1.0_LUNG/",
                                      "PAT002/ST002_20270101/SE001_CHEST_1.0_LUNG/IM00001.dcm"}));
  // The ground truth mirrors the series folders.
  for (const WrittenSeries& series : result.series) {
    const fs::path relative = fs::relative(series.folder, folder.path() / "data");
    EXPECT_EQ(fs::path(series.groundTruthFolder), folder.path() / "truth" / relative);
    EXPECT_EQ(listTree(series.groundTruthFolder), (std::vector<std::string>{"findings.txt", "labels.mhd", "labels.raw"}));
  }
}

TEST(DataSetWriter, GroundTruthDescribesTheLabelVolume) {
  TemporaryFolder folder;
  const WriteResult result = DataSetWriter::writeSeries(tinySeries(), folder / "series", 9, folder / "truth");
  ASSERT_TRUE(result.ok) << result.error;
  const std::string header = readText(folder.path() / "truth/labels.mhd");
  EXPECT_NE(header.find("DimSize = 24 20 5\n"), std::string::npos) << header;
  EXPECT_NE(header.find("ElementType = MET_UCHAR\n"), std::string::npos);
  EXPECT_NE(header.find("ElementSpacing = 15 15 10\n"), std::string::npos) << header;
  EXPECT_NE(header.find("ElementDataFile = labels.raw\n"), std::string::npos);
  const auto labels = readBytes(folder.path() / "truth/labels.raw");
  ASSERT_EQ(labels.size(), 24u * 20u * 5u);
  EXPECT_EQ(labels[0], static_cast<unsigned char>(Label::Outside));  // a corner is air

  const std::string summary = readText(folder.path() / "truth/findings.txt");
  EXPECT_NE(summary.find("right-middle\tlarge-opacity\t1\t"), std::string::npos) << summary;
  EXPECT_NE(summary.find("left-lower\teffusion\t1\t"), std::string::npos) << summary;
  EXPECT_NE(summary.find("  2 right-lung\n"), std::string::npos);
  EXPECT_NE(summary.find("  27 effusion\n"), std::string::npos);
}

TEST(DataSetWriter, SameSeedGivesIdenticalBytesAndAnotherSeedDoesNot) {
  TemporaryFolder folder;
  ASSERT_TRUE(DataSetWriter::write(twoPatients(21), folder / "a", folder / "a-truth").ok);
  DataSetOptions again = twoPatients(21);
  again.threads = 1;  // thread count must not matter
  ASSERT_TRUE(DataSetWriter::write(again, folder / "b", folder / "b-truth").ok);
  ASSERT_TRUE(DataSetWriter::write(twoPatients(22), folder / "c", folder / "c-truth").ok);
  const auto files = listTree(folder.path() / "a");
  ASSERT_EQ(files, listTree(folder.path() / "b"));
  int differing = 0;
  for (const std::string& file : files) {
    if (file.back() == '/') continue;
    EXPECT_EQ(readBytes(folder.path() / "a" / file), readBytes(folder.path() / "b" / file)) << file;
    if (readBytes(folder.path() / "a" / file) != readBytes(folder.path() / "c" / file)) ++differing;
  }
  EXPECT_EQ(differing, 11);
  for (const std::string& file : listTree(folder.path() / "a-truth")) {
    if (file.back() != '/') {
      EXPECT_EQ(readBytes(folder.path() / "a-truth" / file), readBytes(folder.path() / "b-truth" / file)) << file;
    }
  }
}

TEST(DataSetWriter, RefusesGroundTruthInsideTheDataFolderAndBadNames) {
  TemporaryFolder folder;
  WriteResult result = DataSetWriter::write(twoPatients(1), folder / "data", folder / "data/truth");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("inside"), std::string::npos);
  result = DataSetWriter::write(twoPatients(1), folder / "data/", folder / "data/./x/../truth");
  EXPECT_FALSE(result.ok);
  result = DataSetWriter::write(twoPatients(1), folder / "truth/data", folder / "truth");
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(fs::exists(folder.path() / "data"));

  DataSetOptions badName = twoPatients(1);
  badName.patients[0].folderName = "../escape";
  result = DataSetWriter::write(badName, folder / "data", "");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("../escape"), std::string::npos);

  DataSetOptions noSeries = twoPatients(1);
  noSeries.patients[1].studies[0].series.clear();
  EXPECT_FALSE(DataSetWriter::write(noSeries, folder / "data2", "").ok);
  EXPECT_FALSE(DataSetWriter::write(DataSetOptions{}, folder / "data3", "").ok);

  SeriesOptions badBits = tinySeries();
  badBits.bitsAllocated = 12;
  result = DataSetWriter::writeSeries(badBits, folder / "bits");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("bits"), std::string::npos);
  SeriesOptions empty = tinySeries();
  empty.slices = 0;
  EXPECT_FALSE(DataSetWriter::writeSeries(empty, folder / "empty").ok);
}

TEST(DataSetWriter, ReportsAFolderThatCannotBeMade) {
  TemporaryFolder folder;
  { std::ofstream blocker(folder / "file"); blocker << "x"; }
  const WriteResult result = DataSetWriter::writeSeries(tinySeries(), folder / "file/series");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("file/series"), std::string::npos) << result.error;
}

TEST(DataSetWriter, DemoHasThreePatientsTwoStudiesSeveralSeriesASingleFileAndAnEightBitSeries) {
  const DataSetOptions demo = DataSetOptions::demo(32, 32);
  ASSERT_EQ(demo.patients.size(), 3u);
  int twoStudyPatients = 0, singleFile = 0, eightBit = 0, japanese = 0;
  std::size_t mostSeries = 0;
  for (const PatientOptions& patient : demo.patients) {
    if (patient.studies.size() == 2) ++twoStudyPatients;
    if (patient.specificCharacterSet == "ISO_IR 192" && patient.name.find("山田") != std::string::npos) ++japanese;
    for (const StudyOptions& study : patient.studies) {
      mostSeries = std::max(mostSeries, study.series.size());
      for (const SeriesOptions& series : study.series) {
        if (series.slices == 1) ++singleFile;
        if (series.bitsAllocated == 8) ++eightBit;
      }
    }
  }
  EXPECT_EQ(twoStudyPatients, 1);
  EXPECT_GE(mostSeries, 3u);
  EXPECT_EQ(singleFile, 1);
  EXPECT_EQ(eightBit, 1);
  EXPECT_EQ(japanese, 1);

  TemporaryFolder folder;
  const WriteResult result = DataSetWriter::write(demo, folder / "demo", folder / "demo-truth");
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.series.size(), 7u);
}

TEST(DataSetWriter, CommandLineProgramWritesTheTreeAndRejectsBadOptions) {
  TemporaryFolder folder;
  const std::string program = VANTOR_MAKE_CT;
  const std::string quiet = " >/dev/null 2>&1";
  ASSERT_EQ(std::system((program + " --quiet --matrix 16x16 --slices 3 --patients 2 --series 2 --finding ggo@left-middle " +
                         (folder / "out") + quiet).c_str()), 0);
  EXPECT_TRUE(fs::exists(folder.path() / "out/PAT002/ST001_20260105/SE002_CHEST_1.0_LUNG/IM00003.dcm"));
  EXPECT_TRUE(fs::exists(folder.path() / "out-truth/PAT002/ST001_20260105/SE002_CHEST_1.0_LUNG/labels.raw"));
  for (const char* bad : {"--matrix 0x16", "--bits 12", "--syntax other", "--finding ggo@nowhere", "--slices", "--bogus",
                          "--truth none"}) {
    const std::string command = program + " " + bad + (std::string(bad) == "--truth none" ? "" : " " + (folder / "bad")) + quiet;
    EXPECT_NE(std::system(command.c_str()), 0) << bad;
  }
  EXPECT_FALSE(fs::exists(folder.path() / "bad"));
}
