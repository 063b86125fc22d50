#include "VantorSyntheticCT/DataSetOptions.h"

namespace VantorSyntheticCT {

DataSetOptions DataSetOptions::singleSeries(const SeriesOptions& series, std::uint64_t seed) {
  DataSetOptions options;
  options.seed = seed;
  PatientOptions patient;
  StudyOptions study;
  study.series.push_back(series);
  patient.studies.push_back(study);
  options.patients.push_back(patient);
  return options;
}

DataSetOptions DataSetOptions::demo(int columns, int rows) {
  DataSetOptions options;
  options.seed = 20260105;
  const auto series = [&](int number, int slices, double spacing, std::string description) {
    SeriesOptions s;
    s.columns = columns;
    s.rows = rows;
    s.slices = slices;
    s.sliceSpacing = spacing;
    s.sliceThickness = spacing;
    s.seriesNumber = number;
    s.description = std::move(description);
    return s;
  };
  const auto finding = [](FindingKind kind, LungZone zone, int count = 0) { return FindingRequest{kind, zone, count}; };

  // Patient 1: one study with several series of the same chest.
  {
    PatientOptions patient;
    patient.folderName = "PAT001";
    patient.name = "SATO^HANAKO";
    patient.id = "VS000101";
    patient.birthDate = "19520817";
    patient.sex = "F";
    StudyOptions study;
    study.date = "20260105";
    study.time = "093012";
    study.description = "CT CHEST PNEUMOCONIOSIS";
    SeriesOptions lung = series(2, 100, 3.0, "CHEST 3.0 LUNG");
    lung.findings = {finding(FindingKind::RoundedOpacityMedium, LungZone::RightUpper, 40),
                     finding(FindingKind::RoundedOpacityMedium, LungZone::LeftUpper, 40),
                     finding(FindingKind::RoundedOpacitySmall, LungZone::RightMiddle, 30),
                     finding(FindingKind::IrregularOpacity, LungZone::RightLower),
                     finding(FindingKind::PleuralPlaque, LungZone::LeftMiddle),
                     finding(FindingKind::CalcifiedPleuralPlaque, LungZone::RightMiddle)};
    SeriesOptions mediastinum = series(3, 50, 6.0, "CHEST 6.0 MEDIASTINUM");
    mediastinum.findings = lung.findings;
    mediastinum.convolutionKernel = "SOFT";
    mediastinum.windowCenters = {40.0, -600.0};
    mediastinum.windowWidths = {400.0, 1500.0};
    SeriesOptions single = series(4, 1, 3.0, "KEY IMAGE");
    single.findings = lung.findings;
    SeriesOptions bytes = series(5, 60, 5.0, "CHEST 5.0 LUNG 8BIT");
    bytes.columns = std::max(1, columns / 2);
    bytes.rows = std::max(1, rows / 2);
    bytes.bitsAllocated = 8;
    bytes.windowCenters = {128.0}; // display values 0..255
    bytes.windowWidths = {256.0};
    bytes.findings = lung.findings;
    study.series = {lung, mediastinum, single, bytes};
    study.seriesFolderNames = {"SE002_LUNG", "SE003_MEDIASTINUM", "SE004_KEY_IMAGE", "SE005_LUNG_8BIT"};
    patient.studies.push_back(study);
    options.patients.push_back(patient);
  }
  // Patient 2: Japanese name, two studies a year apart.
  {
    PatientOptions patient;
    patient.folderName = "PAT002";
    patient.name = "YAMADA^TARO=山田^太郎=やまだ^たろう";
    patient.specificCharacterSet = "ISO_IR 192";
    patient.id = "VS000202";
    patient.birthDate = "19480302";
    patient.sex = "M";
    StudyOptions first;
    first.date = "20250110";
    first.time = "141500";
    first.description = "CT CHEST";
    SeriesOptions before = series(2, 80, 3.75, "CHEST 3.75 LUNG");
    before.findings = {finding(FindingKind::Emphysema, LungZone::RightUpper),
                       finding(FindingKind::Emphysema, LungZone::LeftUpper),
                       finding(FindingKind::IrregularOpacity, LungZone::LeftLower)};
    first.series = {before};
    StudyOptions second = first;
    second.date = "20260108";
    second.time = "101010";
    SeriesOptions after = before;
    after.findings.push_back(finding(FindingKind::Honeycombing, LungZone::RightLower));
    after.findings.push_back(finding(FindingKind::GroundGlass, LungZone::LeftMiddle));
    second.series = {after};
    patient.studies = {first, second};
    options.patients.push_back(patient);
  }
  // Patient 3: pleural disease and a large opacity.
  {
    PatientOptions patient;
    patient.folderName = "PAT003";
    patient.name = "SUZUKI^ICHIRO";
    patient.id = "VS000303";
    patient.birthDate = "19500909";
    patient.sex = "M";
    StudyOptions study;
    study.date = "20260106";
    study.time = "110000";
    study.description = "CT CHEST";
    SeriesOptions chest = series(2, 80, 3.75, "CHEST 3.75 LUNG");
    chest.rescaleIntercept = 0;  // signed stored values, as some scanners write them
    chest.findings = {finding(FindingKind::LargeOpacity, LungZone::RightUpper),
                      finding(FindingKind::RoundedOpacityLarge, LungZone::RightUpper),
                      finding(FindingKind::DiffusePleuralThickening, LungZone::LeftMiddle),
                      finding(FindingKind::Effusion, LungZone::LeftLower)};
    study.series = {chest};
    patient.studies.push_back(study);
    options.patients.push_back(patient);
  }
  return options;
}

}  // namespace VantorSyntheticCT
