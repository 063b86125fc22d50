#include "SeriesWriter.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "GroundTruthWriter.h"
#include "Random.h"
#include "UidGenerator.h"
#include "VantorSyntheticCT/ChestPhantom.h"
#include "VantorSyntheticCT/DicomFileWriter.h"

namespace VantorSyntheticCT {

namespace {

constexpr char CtImageStorage[] = "1.2.840.10008.5.1.4.1.1.2";
// A CT image holds 12 to 16 bits; 8-bit slices are secondary captures of the lung window.
constexpr char SecondaryCaptureImageStorage[] = "1.2.840.10008.5.1.4.1.1.7";

bool isAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// hhmmss plus `seconds`, wrapping at midnight.
std::string timeAfter(const std::string& time, int seconds) {
  int h = 0, m = 0, s = 0;
  if (std::sscanf(time.c_str(), "%2d%2d%2d", &h, &m, &s) < 2) return time;
  int total = (h * 3600 + m * 60 + s + seconds) % 86400;
  if (total < 0) total += 86400;
  char text[8];
  std::snprintf(text, sizeof text, "%02d%02d%02d", total / 3600, total / 60 % 60, total % 60);
  return text;
}

}  // namespace

bool SeriesWriter::write(const SeriesContext& context, WrittenSeries& written, std::string& error) {
  const DataSetOptions& dataSet = *context.dataSet;
  const PatientOptions& patient = *context.patient;
  const StudyOptions& study = *context.study;
  const SeriesOptions& series = *context.series;

  if (series.columns < 1 || series.rows < 1 || series.slices < 1 || series.columns > 4096 || series.rows > 4096 ||
      series.slices > 10000) {
    error = "matrix " + std::to_string(series.columns) + " x " + std::to_string(series.rows) + " x " +
            std::to_string(series.slices) + " is outside 1..4096 x 1..4096 x 1..10000";
    return false;
  }
  if (series.bitsAllocated != 8 && series.bitsAllocated != 16) {
    error = "bits allocated must be 8 or 16, not " + std::to_string(series.bitsAllocated);
    return false;
  }
  std::error_code code;
  std::filesystem::create_directories(context.folder, code);
  if (code) {
    error = "cannot make folder " + context.folder + ": " + code.message();
    return false;
  }

  // One chest per patient: anatomy from the patient's seed; findings from the series' options.
  const std::uint64_t patientSeed = DataSetWriter::phantomSeed(dataSet.seed, context.patientIndex);
  const ChestPhantom phantom(series, patientSeed);
  const UidGenerator uids(dataSet.seed);
  const auto p = static_cast<std::uint64_t>(context.patientIndex), s = static_cast<std::uint64_t>(context.studyIndex),
             e = static_cast<std::uint64_t>(context.seriesIndex);
  const std::string studyUid = uids.make({1, p, s});
  const std::string seriesUid = uids.make({2, p, s, e});
  const std::string frameUid = uids.make({3, p, s, e});

  std::string characterSet = patient.specificCharacterSet;
  if (characterSet.empty() && !isAscii(patient.name)) characterSet = "ISO_IR 192";

  const int columns = phantom.columns(), rows = phantom.rows(), slices = phantom.slices();
  const std::size_t sliceSize = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
  std::vector<std::uint8_t> labels(context.groundTruthFolder.empty() ? 0 : sliceSize * static_cast<std::size_t>(slices));
  written.folder = context.folder;
  written.groundTruthFolder = context.groundTruthFolder;
  written.files.assign(static_cast<std::size_t>(slices), {});

  const bool eightBit = series.bitsAllocated == 8;
  // Eight-bit series hold the lung window (-1350..150 HU) in 0..255.
  const double slope = eightBit ? 1500.0 / 255.0 : 1.0;
  const double intercept = eightBit ? -1350.0 : std::round(series.rescaleIntercept);
  const std::string seriesTime = timeAfter(study.time, 60 * (context.seriesIndex + 1));
  const char* orientation = "1\\0\\0\\0\\1\\0";

  std::mutex errorMutex;
  std::string firstError;
  std::atomic<int> nextSlice{0};
  const auto work = [&] {
    std::vector<std::int16_t> hounsfield(sliceSize);
    std::vector<std::uint8_t> sliceLabels(sliceSize);
    std::vector<std::uint16_t> words(eightBit ? 0 : sliceSize);
    std::vector<std::uint8_t> bytes(eightBit ? sliceSize : 0);
    for (int slice = nextSlice++; slice < slices; slice = nextSlice++) {
      {
        std::lock_guard lock(errorMutex);
        if (!firstError.empty()) return;
      }
      phantom.renderSlice(slice, hounsfield.data(), sliceLabels.data());
      if (!labels.empty()) {
        std::copy(sliceLabels.begin(), sliceLabels.end(), labels.begin() + static_cast<std::ptrdiff_t>(sliceSize) * slice);
      }
      if (eightBit) {
        for (std::size_t k = 0; k < sliceSize; ++k) {
          const double stored = std::round((hounsfield[k] - intercept) / slope);
          bytes[k] = static_cast<std::uint8_t>(std::clamp(stored, 0.0, 255.0));
        }
      } else {
        for (std::size_t k = 0; k < sliceSize; ++k) {
          const double stored = std::clamp(hounsfield[k] - intercept, -32768.0, 32767.0);
          words[k] = static_cast<std::uint16_t>(static_cast<std::int16_t>(stored));
        }
      }

      const int instance = slice + 1;
      const Point3 position = phantom.slicePosition(slice);
      DicomFileWriter file(series.transferSyntax);
      const std::string instanceUid = uids.make({4, p, s, e, static_cast<std::uint64_t>(instance)});
      const char* sopClass = eightBit ? SecondaryCaptureImageStorage : CtImageStorage;
      file.setMediaStorage(sopClass, instanceUid);
      if (!characterSet.empty()) file.addText(0x0008, 0x0005, "CS", characterSet);
      file.addText(0x0008, 0x0008, "CS", eightBit ? "DERIVED\\SECONDARY\\AXIAL" : "ORIGINAL\\PRIMARY\\AXIAL");
      file.addText(0x0008, 0x0012, "DA", study.date);
      file.addText(0x0008, 0x0013, "TM", seriesTime);
      file.addText(0x0008, 0x0016, "UI", sopClass);
      file.addText(0x0008, 0x0018, "UI", instanceUid);
      file.addText(0x0008, 0x0020, "DA", study.date);
      file.addText(0x0008, 0x0021, "DA", study.date);
      file.addText(0x0008, 0x0022, "DA", study.date);
      file.addText(0x0008, 0x0023, "DA", study.date);
      file.addText(0x0008, 0x0030, "TM", study.time);
      file.addText(0x0008, 0x0031, "TM", seriesTime);
      file.addText(0x0008, 0x0032, "TM", seriesTime);
      file.addText(0x0008, 0x0033, "TM", timeAfter(seriesTime, slice / 10));
      file.addText(0x0008, 0x0050, "SH", context.accessionNumber);
      file.addText(0x0008, 0x0060, "CS", "CT");
      if (eightBit) file.addText(0x0008, 0x0064, "CS", "WSD");  // conversion type: workstation
      file.addText(0x0008, 0x0070, "LO", dataSet.manufacturer);
      file.addText(0x0008, 0x0080, "LO", dataSet.institutionName);
      file.addText(0x0008, 0x0081, "ST", dataSet.institutionAddress);
      file.addText(0x0008, 0x0090, "PN", "");
      file.addText(0x0008, 0x1030, "LO", study.description);
      file.addText(0x0008, 0x103E, "LO", series.description);
      file.addText(0x0008, 0x1090, "LO", dataSet.modelName);
      file.addText(0x0010, 0x0010, "PN", patient.name);
      file.addText(0x0010, 0x0020, "LO", context.patientId);
      file.addText(0x0010, 0x0030, "DA", patient.birthDate);
      file.addText(0x0010, 0x0040, "CS", patient.sex);
      file.addText(0x0018, 0x0015, "CS", "CHEST");
      file.addText(0x0018, 0x0050, "DS", DicomFileWriter::decimalString(series.effectiveSliceThickness()));
      file.addText(0x0018, 0x0060, "DS", DicomFileWriter::decimalString(series.kvp));
      file.addText(0x0018, 0x0088, "DS", DicomFileWriter::decimalString(phantom.sliceSpacing()));
      file.addText(0x0018, 0x0090, "DS", "500");
      file.addText(0x0018, 0x1020, "LO", "VANTOR synthetic CT 1.0");
      file.addText(0x0018, 0x1100, "DS", DicomFileWriter::decimalString(phantom.pixelSpacing() * columns));
      file.addText(0x0018, 0x1150, "IS", std::to_string(series.exposureTime));
      file.addText(0x0018, 0x1151, "IS", std::to_string(series.tubeCurrent));
      file.addText(0x0018, 0x1152, "IS", std::to_string(series.tubeCurrent * series.exposureTime / 1000));
      file.addText(0x0018, 0x1210, "SH", series.convolutionKernel);
      file.addText(0x0018, 0x5100, "CS", "HFS");
      file.addText(0x0020, 0x000D, "UI", studyUid);
      file.addText(0x0020, 0x000E, "UI", seriesUid);
      file.addText(0x0020, 0x0010, "SH", std::to_string(context.studyIndex + 1));
      file.addText(0x0020, 0x0011, "IS", std::to_string(series.seriesNumber));
      file.addText(0x0020, 0x0012, "IS", "1");
      file.addText(0x0020, 0x0013, "IS", std::to_string(instance));
      file.addText(0x0020, 0x0032, "DS",
                   DicomFileWriter::decimalStrings({position.x, position.y, position.z}));
      file.addText(0x0020, 0x0037, "DS", orientation);
      file.addText(0x0020, 0x0052, "UI", frameUid);
      file.addText(0x0020, 0x1040, "LO", "");
      file.addText(0x0020, 0x1041, "DS", DicomFileWriter::decimalString(position.z));
      file.addUnsignedShort(0x0028, 0x0002, 1);
      file.addText(0x0028, 0x0004, "CS", "MONOCHROME2");
      file.addUnsignedShort(0x0028, 0x0010, static_cast<std::uint16_t>(rows));
      file.addUnsignedShort(0x0028, 0x0011, static_cast<std::uint16_t>(columns));
      file.addText(0x0028, 0x0030, "DS",
                   DicomFileWriter::decimalStrings({phantom.pixelSpacing(), phantom.pixelSpacing()}));
      file.addUnsignedShort(0x0028, 0x0100, static_cast<std::uint16_t>(series.bitsAllocated));
      file.addUnsignedShort(0x0028, 0x0101, static_cast<std::uint16_t>(series.bitsAllocated));
      file.addUnsignedShort(0x0028, 0x0102, static_cast<std::uint16_t>(series.bitsAllocated - 1));
      file.addUnsignedShort(0x0028, 0x0103, eightBit ? 0 : 1);
      if (!series.windowCenters.empty()) file.addText(0x0028, 0x1050, "DS", DicomFileWriter::decimalStrings(series.windowCenters));
      if (!series.windowWidths.empty()) file.addText(0x0028, 0x1051, "DS", DicomFileWriter::decimalStrings(series.windowWidths));
      // An 8-bit capture holds display values, as screen captures do: no rescale
      // to Hounsfield units, so a reader shows it through a 0..255 window.
      file.addText(0x0028, 0x1052, "DS", DicomFileWriter::decimalString(eightBit ? 0.0 : intercept));
      file.addText(0x0028, 0x1053, "DS", DicomFileWriter::decimalString(eightBit ? 1.0 : slope));
      file.addText(0x0028, 0x1054, "LO", eightBit ? "US" : "HU");
      if (eightBit) {
        file.addPixelData(bytes.data(), bytes.size());
      } else {
        file.addPixelData(words.data(), words.size());
      }

      char name[32];
      std::snprintf(name, sizeof name, "IM%05d.dcm", instance);
      const std::string path = (std::filesystem::path(context.folder) / name).string();
      std::string writeError;
      if (!file.writeFile(path, &writeError)) {
        std::lock_guard lock(errorMutex);
        if (firstError.empty()) firstError = writeError;
        return;
      }
      written.files[static_cast<std::size_t>(slice)] = path;
    }
  };
  unsigned threads = dataSet.threads == 0 ? std::max(1u, std::thread::hardware_concurrency()) : dataSet.threads;
  threads = std::min<unsigned>(threads, static_cast<unsigned>(slices));
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < threads; ++t) workers.emplace_back(work);
  work();
  for (std::thread& worker : workers) worker.join();
  if (!firstError.empty()) {
    error = firstError;
    return false;
  }
  if (!context.groundTruthFolder.empty() &&
      !GroundTruthWriter::write(context.groundTruthFolder, phantom, labels, context.name, patientSeed, &error)) {
    return false;
  }
  return true;
}

}  // namespace VantorSyntheticCT
