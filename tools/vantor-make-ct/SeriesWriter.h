#pragma once
// Writes the slice files of one series (and its ground truth) on several
// threads: each thread renders a slice and writes its file.

#include <cstdint>
#include <string>

#include "VantorSyntheticCT/DataSetOptions.h"
#include "VantorSyntheticCT/DataSetWriter.h"

namespace VantorSyntheticCT {

struct SeriesContext {
  const DataSetOptions* dataSet = nullptr;
  const PatientOptions* patient = nullptr;
  const StudyOptions* study = nullptr;
  const SeriesOptions* series = nullptr;
  int patientIndex = 0, studyIndex = 0, seriesIndex = 0;
  std::string patientId;
  std::string accessionNumber;
  std::string folder;             // series folder
  std::string groundTruthFolder;  // empty: none
  std::string name;               // patient/study/series, for the summary
};

class SeriesWriter {
public:
  static bool write(const SeriesContext& context, WrittenSeries& written, std::string& error);
};

}  // namespace VantorSyntheticCT
