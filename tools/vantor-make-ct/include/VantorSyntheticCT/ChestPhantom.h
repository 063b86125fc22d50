#pragma once
// The synthetic chest: anatomy and findings in Hounsfield units, rendered
// slice by slice. Deterministic: the same options and seed give the same
// values on every machine and with any number of threads.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "VantorSyntheticCT/Finding.h"
#include "VantorSyntheticCT/SeriesOptions.h"

namespace VantorSyntheticCT {

// Patient coordinates (millimetres, x to the patient's left, y to the back,
// z to the head), as in Image Position (Patient).
struct Point3 {
  double x = 0, y = 0, z = 0;
};

// One finding as placed, for the ground-truth summary.
struct PlacedFinding {
  FindingKind kind{};
  LungZone zone{};
  int objects = 0;            // spheres, lines, holes, or 1 for a region
  double minimumSizeMm = 0;   // smallest diameter / thickness
  double maximumSizeMm = 0;   // largest
  Point3 centre;              // centre of the first object or of the region
  std::int64_t voxels = 0;    // voxels labelled with this finding in its zone (see countFindingVoxels)
};

struct Volume {
  int columns = 0, rows = 0, slices = 0;
  double pixelSpacing = 0, sliceSpacing = 0;
  std::vector<std::int16_t> hounsfield;  // columns * rows * slices, x fastest, slice 0 first
  std::vector<std::uint8_t> labels;      // same layout, values of Label
};

class ChestPhantom {
public:
  ChestPhantom(const SeriesOptions& options, std::uint64_t seed);
  ~ChestPhantom();
  ChestPhantom(const ChestPhantom&) = delete;
  ChestPhantom& operator=(const ChestPhantom&) = delete;

  const SeriesOptions& options() const;
  int columns() const;
  int rows() const;
  int slices() const;
  double pixelSpacing() const;
  double sliceSpacing() const;

  // Image Position (Patient) of the first pixel of slice `slice`. Slice 0 is
  // the most cranial; z steps down by the slice spacing.
  Point3 slicePosition(int slice) const;

  // Fills columns*rows values of each output for one slice. Safe to call
  // from several threads at once.
  void renderSlice(int slice, std::int16_t* hounsfield, std::uint8_t* labels) const;

  // Renders every slice on `threads` threads (0 = hardware concurrency).
  Volume renderVolume(unsigned threads = 0) const;

  // Findings as placed, one per kind and zone (requests of the same kind
  // and zone are merged); their voxel counts are 0.
  const std::vector<PlacedFinding>& placedFindings() const;

  // The same findings with their voxel counts taken from a label volume of
  // this phantom (each finding voxel is counted in the zone it lies in).
  std::vector<PlacedFinding> countFindingVoxels(const std::vector<std::uint8_t>& labels) const;

  // Craniocaudal extent of each lung (z of apex and of the lowest point).
  double lungApexZ(bool left) const;
  double lungBaseZ(bool left) const;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace VantorSyntheticCT
