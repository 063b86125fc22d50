#include "DiceScores.h"

#include <array>

namespace vantor {

namespace {

// Ground-truth label values of the CT generator (tools/vantor-make-ct Label.h).
enum TruthLabel : std::uint8_t {
    Outside = 0,
    RightLung = 2,
    LeftLung = 3,
    Airway = 4, // trachea and main bronchi, as code 180; the lobar bronchi have a label of their own
    Bone = 5,
    HeartAndVessels = 6,
    LungVessel = 7,
    FirstFinding = 16,
    FirstPleuralFinding = 24, // plaques, thickening and effusion lie outside the lungs
};

constexpr int StructureCount = 5;

std::array<bool, StructureCount> inTruth(std::uint8_t label)
{
    const bool lungFinding = label >= FirstFinding && label < FirstPleuralFinding;
    return {label == RightLung || label == LeftLung || label == LungVessel || lungFinding, label == Airway,
            label == Bone, label == HeartAndVessels, label != Outside};
}

std::array<bool, StructureCount> inAnalysis(std::uint8_t code)
{
    return {code >= 110 && code <= 118, code == 180, code == 200, code == 150, code != 0};
}

} // namespace

std::vector<DiceScore> diceScores(const std::uint8_t* structureMap, const std::uint8_t* labels, std::size_t count)
{
    // Per (code, label) pair counts first: one pass over the volumes.
    std::vector<std::int64_t> pairs(256 * 256, 0);
    for (std::size_t i = 0; i < count; ++i)
        ++pairs[static_cast<std::size_t>(structureMap[i]) * 256 + labels[i]];
    std::array<std::int64_t, StructureCount> both{}, analysed{}, truth{};
    for (int code = 0; code < 256; ++code) {
        const auto a = inAnalysis(static_cast<std::uint8_t>(code));
        for (int label = 0; label < 256; ++label) {
            const std::int64_t n = pairs[static_cast<std::size_t>(code) * 256 + static_cast<std::size_t>(label)];
            if (n == 0)
                continue;
            const auto t = inTruth(static_cast<std::uint8_t>(label));
            for (int s = 0; s < StructureCount; ++s) {
                analysed[static_cast<std::size_t>(s)] += a[static_cast<std::size_t>(s)] ? n : 0;
                truth[static_cast<std::size_t>(s)] += t[static_cast<std::size_t>(s)] ? n : 0;
                both[static_cast<std::size_t>(s)] += a[static_cast<std::size_t>(s)] && t[static_cast<std::size_t>(s)] ? n : 0;
            }
        }
    }
    static const char* const names[StructureCount] = {"lungs", "airways", "bone", "heart", "body"};
    std::vector<DiceScore> scores;
    for (std::size_t s = 0; s < StructureCount; ++s) {
        const std::int64_t total = analysed[s] + truth[s];
        scores.push_back({names[s], total == 0 ? 1.0 : 2.0 * static_cast<double>(both[s]) / static_cast<double>(total),
                          analysed[s], truth[s]});
    }
    return scores;
}

} // namespace vantor
