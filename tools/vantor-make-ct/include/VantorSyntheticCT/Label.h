#pragma once
// Values of the ground-truth label volume: one byte per voxel, saying which
// structure decided the voxel's Hounsfield value.

#include <cstdint>
#include <string_view>

#include "VantorSyntheticCT/Finding.h"

namespace VantorSyntheticCT {

enum class Label : std::uint8_t {
  Outside = 0,        // air around the body (and the table gap)
  Body = 1,           // skin, fat, muscle, mediastinum, abdomen below the diaphragm
  RightLung = 2,      // right lung parenchyma
  LeftLung = 3,       // left lung parenchyma
  Airway = 4,         // lumen of the central airways: trachea and main bronchi
  Bone = 5,           // spine, ribs, sternum
  HeartAndVessels = 6,// heart and great vessels
  LungVessel = 7,     // pulmonary vessels inside the lungs
  Liver = 8,          // liver dome below the right diaphragm
  Bronchus = 9,       // lumen of the lobar bronchi, beyond the main bronchi
  // Findings: FirstFinding + FindingKind.
  FirstFinding = 16,
};

inline constexpr Label labelOf(FindingKind kind) {
  return static_cast<Label>(static_cast<std::uint8_t>(Label::FirstFinding) + static_cast<std::uint8_t>(kind));
}

// Lower-case names written into the ground-truth header ("outside", "body",
// "right-lung", ..., then the finding kind names).
std::string_view labelName(std::uint8_t label);

}  // namespace VantorSyntheticCT
