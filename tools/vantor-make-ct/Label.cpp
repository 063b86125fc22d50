#include "VantorSyntheticCT/Label.h"

#include <array>

namespace VantorSyntheticCT {

std::string_view labelName(std::uint8_t label) {
  static constexpr std::array<std::string_view, 10> anatomy = {
      "outside", "body", "right-lung", "left-lung", "airway", "bone", "heart-and-vessels", "lung-vessel", "liver",
      "bronchus"};
  if (label < anatomy.size()) return anatomy[label];
  const int finding = label - static_cast<int>(Label::FirstFinding);
  if (finding >= 0 && finding < FindingKindCount) return findingKindName(static_cast<FindingKind>(finding));
  return "unused";
}

}  // namespace VantorSyntheticCT
