#include "VantorSyntheticCT/DataSetWriter.h"

#include <cstdio>
#include <filesystem>

#include "Random.h"
#include "SeriesWriter.h"

namespace VantorSyntheticCT {

namespace {

namespace fs = std::filesystem;

// Folder names from descriptions: letters, digits, '-', '.', '_' only.
std::string folderSafe(const std::string& text) {
  std::string name;
  for (char c : text) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '.' || c == '_';
    name.push_back(plain ? c : '_');
  }
  return name;
}

bool isInside(const fs::path& inner, const fs::path& outer) {
  std::error_code code;
  const fs::path a = fs::weakly_canonical(fs::absolute(inner, code), code);
  const fs::path b = fs::weakly_canonical(fs::absolute(outer, code), code);
  auto i = a.begin();
  for (auto j = b.begin(); j != b.end(); ++j, ++i) {
    if (j->empty()) continue;  // trailing separator
    if (i == a.end() || *i != *j) return false;
  }
  return true;
}

// A folder name must be one plain path component.
bool validFolderName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

std::string numbered(const char* prefix, int number) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%03d", prefix, number);
  return text;
}

}  // namespace

WriteResult DataSetWriter::write(const DataSetOptions& options, const std::string& dataFolder,
                                 const std::string& groundTruthFolder) {
  WriteResult result;
  if (dataFolder.empty()) {
    result.error = "no data folder given";
    return result;
  }
  if (!groundTruthFolder.empty() &&
      (isInside(groundTruthFolder, dataFolder) || isInside(dataFolder, groundTruthFolder))) {
    result.error = "the ground-truth folder " + groundTruthFolder + " and the data folder " + dataFolder +
                   " must not lie inside one another: every sub-folder of a data folder is read as a patient, study or series";
    return result;
  }
  if (options.patients.empty()) {
    result.error = "no patients to write";
    return result;
  }
  for (std::size_t p = 0; p < options.patients.size(); ++p) {
    const PatientOptions& patient = options.patients[p];
    const std::string patientFolder =
        patient.folderName.empty() ? numbered("PAT", static_cast<int>(p) + 1) : patient.folderName;
    if (!validFolderName(patientFolder)) {
      result.error = "invalid patient folder name \"" + patientFolder + "\"";
      return result;
    }
    char patientId[32];
    std::snprintf(patientId, sizeof patientId, "VS%06llu",
                  static_cast<unsigned long long>(Random::mix(options.seed, p) % 1000000ULL));
    if (patient.studies.empty()) {
      result.error = "patient " + patientFolder + " has no studies";
      return result;
    }
    for (std::size_t s = 0; s < patient.studies.size(); ++s) {
      const StudyOptions& study = patient.studies[s];
      const std::string studyFolder =
          study.folderName.empty() ? numbered("ST", static_cast<int>(s) + 1) + "_" + folderSafe(study.date) : study.folderName;
      if (!validFolderName(studyFolder)) {
        result.error = "invalid study folder name \"" + studyFolder + "\"";
        return result;
      }
      if (study.series.empty()) {
        result.error = "study " + patientFolder + "/" + studyFolder + " has no series";
        return result;
      }
      char accession[32];
      std::snprintf(accession, sizeof accession, "A%08llu",
                    static_cast<unsigned long long>(Random::mix(Random::mix(options.seed, p), s + 100) % 100000000ULL));
      for (std::size_t e = 0; e < study.series.size(); ++e) {
        const SeriesOptions& series = study.series[e];
        std::string seriesFolder = e < study.seriesFolderNames.size() ? study.seriesFolderNames[e] : std::string();
        if (seriesFolder.empty()) seriesFolder = numbered("SE", series.seriesNumber) + "_" + folderSafe(series.description);
        if (!validFolderName(seriesFolder)) {
          result.error = "invalid series folder name \"" + seriesFolder + "\"";
          return result;
        }
        SeriesContext context;
        context.dataSet = &options;
        context.patient = &patient;
        context.study = &study;
        context.series = &series;
        context.patientIndex = static_cast<int>(p);
        context.studyIndex = static_cast<int>(s);
        context.seriesIndex = static_cast<int>(e);
        context.patientId = patient.id.empty() ? std::string(patientId) : patient.id;
        context.accessionNumber = study.accessionNumber.empty() ? std::string(accession) : study.accessionNumber;
        const fs::path relative = fs::path(patientFolder) / studyFolder / seriesFolder;
        context.folder = (fs::path(dataFolder) / relative).string();
        context.groundTruthFolder = groundTruthFolder.empty() ? std::string() : (fs::path(groundTruthFolder) / relative).string();
        context.name = relative.generic_string();
        WrittenSeries written;
        if (!SeriesWriter::write(context, written, result.error)) return result;
        result.series.push_back(std::move(written));
      }
    }
  }
  result.ok = true;
  return result;
}

std::uint64_t DataSetWriter::phantomSeed(std::uint64_t seed, int patientIndex) {
  return Random::mix(seed, static_cast<std::uint64_t>(patientIndex) + 1);
}

WriteResult DataSetWriter::writeSeries(const SeriesOptions& series, const std::string& seriesFolder, std::uint64_t seed,
                                       const std::string& groundTruthFolder) {
  WriteResult result;
  if (seriesFolder.empty()) {
    result.error = "no series folder given";
    return result;
  }
  if (!groundTruthFolder.empty() && (isInside(groundTruthFolder, seriesFolder) || isInside(seriesFolder, groundTruthFolder))) {
    result.error = "the ground-truth folder must lie outside the series folder " + seriesFolder;
    return result;
  }
  const DataSetOptions options = DataSetOptions::singleSeries(series, seed);
  SeriesContext context;
  context.dataSet = &options;
  context.patient = &options.patients[0];
  context.study = &options.patients[0].studies[0];
  context.series = &options.patients[0].studies[0].series[0];
  char patientId[32];
  std::snprintf(patientId, sizeof patientId, "VS%06llu", static_cast<unsigned long long>(Random::mix(seed, 0) % 1000000ULL));
  context.patientId = patientId;
  context.accessionNumber = "A00000001";
  context.folder = seriesFolder;
  context.groundTruthFolder = groundTruthFolder;
  context.name = fs::path(seriesFolder).filename().string();
  WrittenSeries written;
  if (!SeriesWriter::write(context, written, result.error)) return result;
  result.series.push_back(std::move(written));
  result.ok = true;
  return result;
}

}  // namespace VantorSyntheticCT
