#pragma once
// Writes the ground truth of one series: labels.mhd + labels.raw (MetaImage,
// one unsigned byte per voxel) and findings.txt (findings by zone and the
// meaning of each label value).

#include <cstdint>
#include <string>
#include <vector>

#include "VantorSyntheticCT/ChestPhantom.h"

namespace VantorSyntheticCT {

class GroundTruthWriter {
public:
  static bool write(const std::string& folder, const ChestPhantom& phantom, const std::vector<std::uint8_t>& labels,
                    const std::string& seriesName, std::uint64_t seed, std::string* error);
};

}  // namespace VantorSyntheticCT
