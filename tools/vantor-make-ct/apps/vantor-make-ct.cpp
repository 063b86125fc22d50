// vantor-make-ct: writes a folder of synthetic chest CT series (patient /
// study / series folders of DICOM files) and their ground truth.

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "VantorSyntheticCT/VantorSyntheticCT.h"

namespace {

using namespace VantorSyntheticCT;

void printUsage(std::FILE* out) {
  std::fputs(
      "usage: vantor-make-ct [options] DATA_FOLDER\n"
      "\n"
      "Writes DATA_FOLDER/<patient>/<study>/<series>/IM#####.dcm and the ground truth\n"
      "(labels.mhd, labels.raw, findings.txt per series) into a separate folder.\n"
      "\n"
      "  --demo                  the demo set: 3 patients, one with two studies, one study with\n"
      "                          several series (a single-file and an 8-bit series among them)\n"
      "  --truth DIR             ground-truth folder (default DATA_FOLDER-truth; 'none' for no ground truth)\n"
      "  --seed N                seed (default 1); the same seed gives the same bytes\n"
      "  --patients N            patients (default 1)\n"
      "  --studies N             studies per patient (default 1)\n"
      "  --series N              series per study (default 1)\n"
      "  --slices N              slices per series (default 300)\n"
      "  --matrix COLSxROWS      matrix (default 512x512)\n"
      "  --pixel-spacing MM      in-plane spacing (default 360 mm / columns)\n"
      "  --slice-spacing MM      slice spacing (default 300 mm / slices, at most 10)\n"
      "  --thickness MM          slice thickness (default the slice spacing)\n"
      "  --bits 16|8             16: signed CT values (default); 8: lung-windowed bytes\n"
      "                          (8-bit slices are secondary captures, as a CT image holds 12-16 bits)\n"
      "  --intercept HU          rescale intercept of 16-bit series (default -1024)\n"
      "  --noise HU              noise standard deviation (default 12)\n"
      "  --syntax NAME           explicit-le (default), implicit-le or explicit-be\n"
      "  --finding KIND@ZONE[xN] add a finding (repeatable); N = number of objects\n"
      "                          kinds: ro-small ro-medium ro-large irregular ggo honeycombing emphysema\n"
      "                                 large-opacity plaque calcified-plaque diffuse-thickening effusion\n"
      "                          zones: right-upper right-middle right-lower left-upper left-middle left-lower\n"
      "  --threads N             threads (default: all processors)\n"
      "  --quiet                 print nothing on success\n"
      "  --help                  this text\n",
      out);
}

template <typename Number>
bool parseNumber(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool parseDouble(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && end == text.c_str() + text.size() && value == value;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "vantor-make-ct: %s\n", message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  SeriesOptions series;
  std::uint64_t seed = 1;
  int patients = 1, studies = 1, seriesCount = 1;
  unsigned threads = 0;
  bool demo = false, quiet = false;
  std::string dataFolder, truthFolder;
  bool truthGiven = false, seedGiven = false;

  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string text;
    if (argument == "--help" || argument == "-h") {
      printUsage(stdout);
      return 0;
    } else if (argument == "--demo") {
      demo = true;
    } else if (argument == "--quiet") {
      quiet = true;
    } else if (argument == "--truth") {
      if (!value(truthFolder)) return fail("--truth needs a folder");
      truthGiven = true;
    } else if (argument == "--seed") {
      if (!value(text) || !parseNumber(text, seed)) return fail("--seed needs a non-negative integer");
      seedGiven = true;
    } else if (argument == "--patients") {
      if (!value(text) || !parseNumber(text, patients) || patients < 1 || patients > 9999) return fail("--patients needs 1..9999");
    } else if (argument == "--studies") {
      if (!value(text) || !parseNumber(text, studies) || studies < 1 || studies > 999) return fail("--studies needs 1..999");
    } else if (argument == "--series") {
      if (!value(text) || !parseNumber(text, seriesCount) || seriesCount < 1 || seriesCount > 999) return fail("--series needs 1..999");
    } else if (argument == "--slices") {
      if (!value(text) || !parseNumber(text, series.slices) || series.slices < 1 || series.slices > 10000) return fail("--slices needs 1..10000");
    } else if (argument == "--matrix") {
      const std::size_t x = (value(text) ? text.find('x') : std::string::npos);
      if (x == std::string::npos || !parseNumber(std::string_view(text).substr(0, x), series.columns) ||
          !parseNumber(std::string_view(text).substr(x + 1), series.rows) || series.columns < 1 || series.rows < 1 ||
          series.columns > 4096 || series.rows > 4096) {
        return fail("--matrix needs COLUMNSxROWS, each 1..4096");
      }
    } else if (argument == "--pixel-spacing") {
      if (!value(text) || !parseDouble(text, series.pixelSpacing) || series.pixelSpacing <= 0) return fail("--pixel-spacing needs a positive number");
    } else if (argument == "--slice-spacing") {
      if (!value(text) || !parseDouble(text, series.sliceSpacing) || series.sliceSpacing <= 0) return fail("--slice-spacing needs a positive number");
    } else if (argument == "--thickness") {
      if (!value(text) || !parseDouble(text, series.sliceThickness) || series.sliceThickness <= 0) return fail("--thickness needs a positive number");
    } else if (argument == "--bits") {
      if (!value(text) || !parseNumber(text, series.bitsAllocated) || (series.bitsAllocated != 8 && series.bitsAllocated != 16)) return fail("--bits needs 8 or 16");
    } else if (argument == "--intercept") {
      if (!value(text) || !parseDouble(text, series.rescaleIntercept) || series.rescaleIntercept < -4096 || series.rescaleIntercept > 4096) return fail("--intercept needs a number in -4096..4096");
    } else if (argument == "--noise") {
      if (!value(text) || !parseDouble(text, series.noiseSigma) || series.noiseSigma < 0 || series.noiseSigma > 1000) return fail("--noise needs 0..1000");
    } else if (argument == "--syntax") {
      if (!value(text)) return fail("--syntax needs a name");
      if (text == "explicit-le") series.transferSyntax = TransferSyntax::ExplicitVRLittleEndian;
      else if (text == "implicit-le") series.transferSyntax = TransferSyntax::ImplicitVRLittleEndian;
      else if (text == "explicit-be") series.transferSyntax = TransferSyntax::ExplicitVRBigEndian;
      else return fail("unknown transfer syntax '" + text + "' (explicit-le, implicit-le, explicit-be)");
    } else if (argument == "--finding") {
      if (!value(text)) return fail("--finding needs KIND@ZONE");
      const auto request = findingRequestFromText(text);
      if (!request) return fail("cannot read finding '" + text + "' (see --help for kinds and zones)");
      series.findings.push_back(*request);
    } else if (argument == "--threads") {
      if (!value(text) || !parseNumber(text, threads) || threads > 256) return fail("--threads needs 0..256");
    } else if (!argument.empty() && argument[0] == '-') {
      return fail("unknown option '" + argument + "' (see --help)");
    } else if (dataFolder.empty()) {
      dataFolder = argument;
    } else {
      return fail("only one data folder may be given");
    }
  }
  if (dataFolder.empty()) {
    printUsage(stderr);
    return 2;
  }
  while (dataFolder.size() > 1 && dataFolder.back() == '/') dataFolder.pop_back();
  if (!truthGiven) truthFolder = dataFolder + "-truth";
  if (truthFolder == "none") truthFolder.clear();

  DataSetOptions options;
  if (demo) {
    options = DataSetOptions::demo(series.columns, series.rows);
    if (seedGiven) options.seed = seed;
  } else {
    options.seed = seed;
    for (int p = 0; p < patients; ++p) {
      PatientOptions patient;
      char name[64];
      std::snprintf(name, sizeof name, "SYNTHETIC^PATIENT%03d", p + 1);
      patient.name = name;
      for (int s = 0; s < studies; ++s) {
        StudyOptions study;
        char date[16];
        std::snprintf(date, sizeof date, "%04d0105", 2026 - (studies - 1 - s));
        study.date = date;
        for (int e = 0; e < seriesCount; ++e) {
          SeriesOptions one = series;
          one.seriesNumber = e + 1;
          study.series.push_back(one);
        }
        patient.studies.push_back(study);
      }
      options.patients.push_back(patient);
    }
  }
  options.threads = threads;

  const auto start = std::chrono::steady_clock::now();
  const WriteResult result = DataSetWriter::write(options, dataFolder, truthFolder);
  if (!result.ok) return fail(result.error);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!quiet) {
    std::size_t files = 0;
    for (const WrittenSeries& written : result.series) files += written.files.size();
    std::printf("vantor-make-ct: %zu series, %zu files in %s (%.2f s)\n", result.series.size(), files,
                dataFolder.c_str(), seconds);
    if (!truthFolder.empty()) std::printf("vantor-make-ct: ground truth in %s\n", truthFolder.c_str());
  }
  return 0;
}
