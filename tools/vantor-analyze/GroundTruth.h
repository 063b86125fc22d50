#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// The CT generator's ground truth of one series: labels.mhd and its raw
// labels (column fastest, slice i = the file with instance number i + 1).
struct GroundTruth {
    std::array<int, 3> dims{};
    std::vector<std::uint8_t> labels;
};

// False with the reason in error when the folder holds no readable labels.
bool readGroundTruth(const std::string& folder, GroundTruth& truth, std::string& error);

} // namespace vantor
