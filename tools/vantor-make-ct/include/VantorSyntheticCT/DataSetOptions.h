#pragma once
// The patient / study / series tree that DataSetWriter writes.

#include <cstdint>
#include <string>
#include <vector>

#include "VantorSyntheticCT/SeriesOptions.h"

namespace VantorSyntheticCT {

struct StudyOptions {
  std::string folderName;            // empty: "ST<n>_<date>"
  std::string date = "20260105";     // DA
  std::string time = "093000";       // TM
  std::string description = "CT CHEST";
  std::string accessionNumber;       // empty: made from the seed
  std::vector<SeriesOptions> series; // each is a series folder
  std::vector<std::string> seriesFolderNames;  // optional, parallel to series
};

struct PatientOptions {
  std::string folderName;             // empty: "PAT<n>"
  // Person Name value as stored (UTF-8), e.g. "YAMADA^TARO=山田^太郎=やまだ^たろう".
  std::string name = "SYNTHETIC^PATIENT";
  std::string id;                     // empty: made from the seed
  std::string birthDate = "19560412";
  std::string sex = "M";
  // Specific Character Set; empty = "ISO_IR 192" when the name is not
  // plain ASCII, otherwise none.
  std::string specificCharacterSet;
  std::vector<StudyOptions> studies;
};

struct DataSetOptions {
  std::uint64_t seed = 1;
  std::string manufacturer = "VANTOR Synthetic";
  std::string modelName = "Phantom CT 1";
  std::string institutionName = "Synthetic Chest Clinic";
  std::string institutionAddress = "1 Example Street";
  std::vector<PatientOptions> patients;
  unsigned threads = 0;  // 0 = hardware concurrency

  // One patient, one study, one series with these options.
  static DataSetOptions singleSeries(const SeriesOptions& series, std::uint64_t seed = 1);
  // The demo set: three patients, one with two studies, one study with
  // several series including a single-file series and an 8-bit series;
  // one patient with a Japanese name. `columns` sets every matrix.
  static DataSetOptions demo(int columns = 512, int rows = 512);
};

}  // namespace VantorSyntheticCT
