#pragma once
// Writes a data folder of DICOM Part 10 files (patient / study / series
// folders, one file per slice) and, in a separate folder, its ground truth:
//
//   <groundTruthFolder>/<patient>/<study>/<series>/labels.mhd   MetaImage header
//   <groundTruthFolder>/<patient>/<study>/<series>/labels.raw   uint8 labels, x fastest,
//                                                               slice i = instance i+1
//   <groundTruthFolder>/<patient>/<study>/<series>/findings.txt findings by zone
//
// Nothing but patient / study / series folders and slice files is written
// into the data folder.

#include <cstdint>
#include <string>
#include <vector>

#include "VantorSyntheticCT/DataSetOptions.h"

namespace VantorSyntheticCT {

struct WrittenSeries {
  std::string folder;             // series folder in the data folder
  std::string groundTruthFolder;  // its ground-truth folder (empty when none was asked for)
  std::vector<std::string> files; // slice files in instance-number order
};

struct WriteResult {
  bool ok = false;
  std::string error;              // first failure, with the path
  std::vector<WrittenSeries> series;
};

class DataSetWriter {
public:
  // groundTruthFolder may be empty (no ground truth). It must not lie inside
  // dataFolder. Existing files of the same names are overwritten.
  static WriteResult write(const DataSetOptions& options, const std::string& dataFolder,
                           const std::string& groundTruthFolder);

  // Writes one series' slice files straight into seriesFolder (made when
  // missing), without patient / study levels; for tests that need one series.
  static WriteResult writeSeries(const SeriesOptions& series, const std::string& seriesFolder,
                                 std::uint64_t seed = 1,
                                 const std::string& groundTruthFolder = {});

  // Seed of the chest of patient `patientIndex` (0-based) of a data set
  // written with `seed`: ChestPhantom(series, phantomSeed(seed, p)) renders
  // exactly the CT numbers of that patient's files (writeSeries: p = 0).
  static std::uint64_t phantomSeed(std::uint64_t seed, int patientIndex);
};

}  // namespace VantorSyntheticCT
