#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// Overlap of one structure of the engine's structure map with the CT
// generator's ground truth, both in the engine's voxel order.
struct DiceScore {
    std::string structure; // "lungs", "airways", "bone", "heart", "body"
    double dice = 0.0;     // 2 |A and B| / (|A| + |B|); 1 when both are empty
    std::int64_t analysed = 0;
    std::int64_t truth = 0;
};

// The structures in the order above. Truth labels per structure: lungs = the
// lung parenchyma of both sides, the vessels inside them and the findings of
// the parenchyma; airways = the lumen of the trachea and main bronchi (the
// lobar bronchi count as neither); bone; heart = heart and great
// vessels; body = every labelled voxel. Analysis codes: lungs = 110 and its
// descendants, airways 180, bone 200, heart 150, body = every code.
std::vector<DiceScore> diceScores(const std::uint8_t* structureMap, const std::uint8_t* labels, std::size_t count);

} // namespace vantor
