#include "VantorSyntheticCT/SeriesOptions.h"

#include <algorithm>

namespace VantorSyntheticCT {

double SeriesOptions::effectivePixelSpacing() const {
  if (pixelSpacing > 0) return pixelSpacing;
  return 360.0 / std::max(columns, 1);
}

double SeriesOptions::effectiveSliceSpacing() const {
  if (sliceSpacing > 0) return sliceSpacing;
  return std::min(10.0, 300.0 / std::max(slices, 1));
}

double SeriesOptions::effectiveSliceThickness() const {
  if (sliceThickness > 0) return sliceThickness;
  return effectiveSliceSpacing();
}

}  // namespace VantorSyntheticCT
