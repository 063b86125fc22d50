#pragma once
// Everything that shapes one generated CT series.

#include <cstdint>
#include <string>
#include <vector>

#include "VantorSyntheticCT/Finding.h"

namespace VantorSyntheticCT {

enum class TransferSyntax : std::uint8_t {
  ExplicitVRLittleEndian,  // 1.2.840.10008.1.2.1 (default)
  ImplicitVRLittleEndian,  // 1.2.840.10008.1.2
  ExplicitVRBigEndian,     // 1.2.840.10008.1.2.2
};

struct SeriesOptions {
  int columns = 512;
  int rows = 512;
  int slices = 300;
  // Millimetres. 0 picks a value that fits the chest: pixel spacing = 360 mm
  // field of view / columns, slice spacing = 300 mm / slices (at most 10 mm),
  // thickness = slice spacing.
  double pixelSpacing = 0.0;
  double sliceSpacing = 0.0;
  double sliceThickness = 0.0;
  // z (mm) of the middle of the scan; the chest's lungs span about -130..+118.
  double centreZ = 0.0;

  // 16: signed CT numbers (CT Image Storage). 8: the lung window -1350..150 HU
  // in 0..255 (Secondary Capture Image Storage, modality CT, with the rescale
  // that turns the bytes back into approximate CT numbers).
  int bitsAllocated = 16;
  double rescaleIntercept = -1024; // 16-bit only; stored = HU - intercept
  double noiseSigma = 12.0;        // Hounsfield units
  TransferSyntax transferSyntax = TransferSyntax::ExplicitVRLittleEndian;

  int seriesNumber = 1;
  std::string description = "CHEST 1.0 LUNG";
  std::string convolutionKernel = "LUNG";
  // Window Center / Window Width, one or more values each.
  std::vector<double> windowCenters = {-600.0};
  std::vector<double> windowWidths = {1500.0};
  int kvp = 120;
  int tubeCurrent = 200;       // mA
  int exposureTime = 500;      // ms

  std::vector<FindingRequest> findings;

  // The values actually used (defaults filled in).
  double effectivePixelSpacing() const;
  double effectiveSliceSpacing() const;
  double effectiveSliceThickness() const;
};

}  // namespace VantorSyntheticCT
