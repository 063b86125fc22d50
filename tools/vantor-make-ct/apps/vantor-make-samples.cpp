// vantor-make-samples: writes the synthetic illustration samples shipped in
// data/: Image/<category>/<name>.dcm (one slice through the finding), a JPEG
// sketch of the same name (the slice with the finding outlined and a caption
// saying it is synthetic) and Category.txt.
//
//   vantor-make-samples DATA_FOLDER

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "VantorSyntheticCT/VantorSyntheticCT.h"

namespace {

using namespace VantorSyntheticCT;
namespace fs = std::filesystem;

constexpr int Matrix = 256;
constexpr std::uint64_t Seed = 4242;

struct Sample {
  std::string category;
  std::string name;         // file base name
  std::string description;  // for Category.txt and the caption
  std::vector<FindingRequest> findings;
  double windowCentre = -600, windowWidth = 1500;
  double fixedZ = 1e9;      // slice height; otherwise through the first finding's largest cut
};

std::vector<Sample> samples() {
  const auto f = [](FindingKind kind, LungZone zone, int count = 0) { return FindingRequest{kind, zone, count}; };
  using K = FindingKind;
  using Z = LungZone;
  return {
      {"RO", "RO_p", "rounded opacities p (up to 1.5 mm), upper zones", {f(K::RoundedOpacitySmall, Z::RightUpper, 160), f(K::RoundedOpacitySmall, Z::LeftUpper, 160)}},
      {"RO", "RO_q", "rounded opacities q (1.5-3 mm), upper zones", {f(K::RoundedOpacityMedium, Z::RightUpper, 120), f(K::RoundedOpacityMedium, Z::LeftUpper, 120)}},
      {"RO", "RO_r", "rounded opacities r (3-10 mm), middle zones", {f(K::RoundedOpacityLarge, Z::RightMiddle, 40), f(K::RoundedOpacityLarge, Z::LeftMiddle, 40)}},
      {"IR", "IR_01", "irregular / linear opacities, lower zones", {f(K::IrregularOpacity, Z::RightLower, 160), f(K::IrregularOpacity, Z::LeftLower, 160)}},
      {"GGO", "GGO_01", "ground glass opacity, middle zones", {f(K::GroundGlass, Z::RightMiddle), f(K::GroundGlass, Z::LeftMiddle)}},
      {"HC", "HC_01", "honeycombing, subpleural, lower zones", {f(K::Honeycombing, Z::RightLower), f(K::Honeycombing, Z::LeftLower)}},
      {"EM", "EM_01", "emphysema, upper zones", {f(K::Emphysema, Z::RightUpper, 120), f(K::Emphysema, Z::LeftUpper, 120)}},
      {"LO", "LO_01", "large opacity (over 10 mm), right upper zone", {f(K::LargeOpacity, Z::RightUpper)}},
      {"Symbols", "Symbols_EF", "EF: effusion, left lower zone", {f(K::Effusion, Z::LeftLower)}, 40, 400},
      {"Symbols", "Symbols_CA", "CA: a mass as a large opacity, left middle zone", {f(K::LargeOpacity, Z::LeftMiddle)}},
      {"Symbols", "Symbols_BU", "BU: bullae shown as large low-attenuation areas, right upper zone", {f(K::Emphysema, Z::RightUpper, 25)}},
      {"Pleura", "Pleura_plaque", "W(parietal): pleural plaque without calcification, right middle zone", {f(K::PleuralPlaque, Z::RightMiddle)}, 40, 400},
      {"Pleura", "Pleura_calcified_plaque", "W(parietal): calcified pleural plaque, left middle zone", {f(K::CalcifiedPleuralPlaque, Z::LeftMiddle)}, 40, 400},
      {"Pleura", "Pleura_diffuse_thickening", "D: diffuse pleural thickening, right middle zone", {f(K::DiffusePleuralThickening, Z::RightMiddle)}, 40, 400},
      {"Normal", "1-01_F02", "normal lungs at the level of the main bronchi", {}, -600, 1500, 25},
      {"Normal", "Normal_02", "normal lungs above the diaphragm", {}, -600, 1500, -45},
  };
}

SeriesOptions seriesFor(const Sample& sample) {
  SeriesOptions series;
  series.columns = Matrix;
  series.rows = Matrix;
  series.slices = 1;
  series.sliceThickness = 2.0;
  series.description = "SYNTHETIC ILLUSTRATION " + sample.name;
  series.windowCenters = {sample.windowCentre};
  series.windowWidths = {sample.windowWidth};
  series.findings = sample.findings;
  return series;
}

// Height of the slice that cuts most of the first finding.
double bestHeight(const Sample& sample) {
  if (sample.fixedZ < 1e8 || sample.findings.empty()) return sample.fixedZ < 1e8 ? sample.fixedZ : 0;
  SeriesOptions scan = seriesFor(sample);
  scan.slices = 125;
  scan.sliceSpacing = 2.0;
  scan.centreZ = -5;
  const ChestPhantom phantom(scan, DataSetWriter::phantomSeed(Seed, 0));
  const Volume volume = phantom.renderVolume();
  const auto label = static_cast<std::uint8_t>(labelOf(sample.findings[0].kind));
  const std::size_t sliceSize = static_cast<std::size_t>(Matrix) * Matrix;
  int best = 0;
  std::size_t bestCount = 0;
  for (int slice = 0; slice < scan.slices; ++slice) {
    const auto first = volume.labels.begin() + static_cast<std::ptrdiff_t>(sliceSize) * slice;
    const auto count = static_cast<std::size_t>(std::count(first, first + static_cast<std::ptrdiff_t>(sliceSize), label));
    if (count > bestCount) {
      bestCount = count;
      best = slice;
    }
  }
  return phantom.slicePosition(best).z;
}

bool writeSketch(const Sample& sample, const SeriesOptions& series, const fs::path& path) {
  const ChestPhantom phantom(series, DataSetWriter::phantomSeed(Seed, 0));
  std::vector<std::int16_t> hounsfield(static_cast<std::size_t>(Matrix) * Matrix);
  std::vector<std::uint8_t> labels(hounsfield.size());
  phantom.renderSlice(0, hounsfield.data(), labels.data());

  constexpr int Scale = 2;
  constexpr int CaptionHeight = 56;
  QImage image(Matrix * Scale, Matrix * Scale + CaptionHeight, QImage::Format_RGB32);
  image.fill(Qt::black);
  const double low = sample.windowCentre - sample.windowWidth / 2;
  for (int y = 0; y < Matrix * Scale; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < Matrix * Scale; ++x) {
      const std::size_t index = static_cast<std::size_t>(y / Scale) * Matrix + static_cast<std::size_t>(x / Scale);
      const int grey = std::clamp(static_cast<int>((hounsfield[index] - low) / sample.windowWidth * 255.0), 0, 255);
      line[x] = qRgb(grey, grey, grey);
    }
  }
  // Outline every finding voxel that borders a voxel of another label.
  QPainter painter(&image);
  painter.setPen(QPen(QColor(255, 64, 32), 1));
  for (int y = 0; y < Matrix; ++y) {
    for (int x = 0; x < Matrix; ++x) {
      const std::uint8_t label = labels[static_cast<std::size_t>(y) * Matrix + static_cast<std::size_t>(x)];
      if (label < static_cast<std::uint8_t>(Label::FirstFinding)) continue;
      const auto other = [&](int dx, int dy) {
        const int nx = x + dx, ny = y + dy;
        if (nx < 0 || ny < 0 || nx >= Matrix || ny >= Matrix) return true;
        return labels[static_cast<std::size_t>(ny) * Matrix + static_cast<std::size_t>(nx)] != label;
      };
      if (other(-1, 0)) painter.drawLine(x * Scale, y * Scale, x * Scale, y * Scale + Scale - 1);
      if (other(1, 0)) painter.drawLine(x * Scale + Scale - 1, y * Scale, x * Scale + Scale - 1, y * Scale + Scale - 1);
      if (other(0, -1)) painter.drawLine(x * Scale, y * Scale, x * Scale + Scale - 1, y * Scale);
      if (other(0, 1)) painter.drawLine(x * Scale, y * Scale + Scale - 1, x * Scale + Scale - 1, y * Scale + Scale - 1);
    }
  }
  painter.setPen(Qt::white);
  QFont font("DejaVu Sans");
  font.setPixelSize(14);
  painter.setFont(font);
  const QRect caption(6, Matrix * Scale + 4, Matrix * Scale - 12, CaptionHeight - 8);
  painter.drawText(caption, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   QString::fromStdString("SYNTHETIC ILLUSTRATION - not a standard image\n" + sample.category + ": " +
                                          sample.description));
  painter.end();
  return image.save(QString::fromStdString(path.string()), "JPG", 85);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vantor-make-samples DATA_FOLDER\n");
    return 2;
  }
  QGuiApplication application(argc, argv);
  const fs::path data(argv[1]);
  const fs::path scratch = fs::temp_directory_path() / ("vantor-make-samples-" + std::to_string(QCoreApplication::applicationPid()));
  std::ofstream table;
  std::vector<std::string> lines = {
      "#\tThe sample images in Image/ are synthetic illustrations made by the project's CT generator "
      "(vantor-make-samples); they are not the licensed standard reference images."};
  for (const Sample& sample : samples()) {
    SeriesOptions series = seriesFor(sample);
    series.centreZ = bestHeight(sample);
    const fs::path folder = data / "Image" / sample.category;
    std::error_code code;
    fs::create_directories(folder, code);
    const WriteResult result = DataSetWriter::writeSeries(series, (scratch / sample.name).string(), Seed);
    if (!result.ok || result.series.empty() || result.series[0].files.size() != 1) {
      std::fprintf(stderr, "vantor-make-samples: %s: %s\n", sample.name.c_str(), result.error.c_str());
      return 1;
    }
    fs::copy_file(result.series[0].files[0], folder / (sample.name + ".dcm"), fs::copy_options::overwrite_existing, code);
    if (code || !writeSketch(sample, series, folder / (sample.name + ".jpg"))) {
      std::fprintf(stderr, "vantor-make-samples: cannot write %s\n", (folder / sample.name).c_str());
      return 1;
    }
    // What the sample shows comes first, so that a narrow list tells the samples apart.
    std::string described = sample.description;
    if (!described.empty()) described[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(described[0])));
    lines.push_back(sample.name + ".dcm\t" + described + " (synthetic illustration, not a standard image)");
  }
  fs::remove_all(scratch);
  table.open(data / "Category.txt", std::ios::binary | std::ios::trunc);
  for (const std::string& line : lines) table << line << "\n";
  if (!table) {
    std::fprintf(stderr, "vantor-make-samples: cannot write %s\n", (data / "Category.txt").c_str());
    return 1;
  }
  std::printf("vantor-make-samples: %zu samples in %s\n", lines.size() - 1, (data / "Image").c_str());
  return 0;
}
