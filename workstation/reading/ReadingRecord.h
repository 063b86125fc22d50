#pragma once

#include "reading/FixedText.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vantor {

// One patient's reading: the series information captured when a series is
// loaded (members 0 to 15), the reader's classification in fixed codes and
// grades, the comment and the reader's stamp. The 49 members keep their
// published order and types: the result file writes them in this order and
// the report refers to them by position (m0 .. m48). Arrays keep their unused
// last slots. A fresh record is all zeros and NUL bytes; ClearReading then
// gives the reading members their empty values.
//
// Zone order A (grades): 0 right upper, 1 right middle, 2 right lower,
//                        3 left upper, 4 left middle, 5 left lower.
// Zone order B (large opacity zones, pleural sites): 0 right upper,
//   1 left upper, 2 right middle, 3 left middle, 4 right lower, 5 left lower.
struct ReadingRecord {
    FixedText<128> PatientName;                  //  0
    FixedText<128> PatientID;                    //  1
    FixedText<128> StudyDate;                    //  2 "YYYY/MM/DD"
    FixedText<128> StudyTime;                    //  3 "HH:MM:SS"
    std::int16_t ImageCount = 0;                 //  4
    float SliceThickness = 0.0F;                 //  5
    std::int32_t WindowLevel = 0;                //  6
    std::int32_t WindowWidth = 0;                //  7
    std::int16_t KVP = 0;                        //  8
    std::int16_t TubeCurrent = 0;                //  9
    std::int16_t ExposureTime = 0;               // 10
    FixedText<1> Posture;                        // 11 "P", "U" or "S"
    std::int16_t Reserved12 = 0;                 // 12 never set
    FixedText<128> Manufacturer;                 // 13
    FixedText<128> ModelName;                    // 14
    std::int16_t Reserved15 = 0;                 // 15 never set
    std::int16_t Findings = 0;                   // 16 0 = negative, 1 = findings present
    std::int16_t RoundPresent = 0;               // 17
    std::array<std::int16_t, 4> RoundSize{};     // 18 [0] P, [1] Q, [2] R; [3] unused
    std::int16_t RoundPredominantSize = 0;       // 19 -1 none, 0 P, 1 Q, 2 R
    std::array<std::int16_t, 7> RoundGrade{};    // 20 zone order A; [6] unused
    std::int16_t IrregularPresent = 0;           // 21
    std::array<std::int16_t, 3> IrregularType{}; // 22 [0] intralobular, [1] interlobular; [2] unused
    std::int16_t IrregularPredominantType = 0;   // 23 -1 none, 0 intra, 1 inter
    std::array<std::int16_t, 7> IrregularGrade{};// 24
    std::int16_t GgoGradable = 0;                // 25
    std::int16_t GgoPresent = 0;                 // 26
    std::array<std::int16_t, 7> GgoGrade{};      // 27
    std::int16_t HoneycombPresent = 0;           // 28
    std::array<std::int16_t, 7> HoneycombGrade{};// 29
    std::int16_t EmphysemaPresent = 0;           // 30
    std::array<std::int16_t, 7> EmphysemaGrade{};// 31
    std::int16_t LargePresent = 0;               // 32
    std::int16_t LargeSize = 0;                  // 33 -1 none, 0 A, 1 B, 2 C
    std::array<std::int16_t, 7> LargeZone{};     // 34 zone order B; [6] unused
    std::int16_t PredominantParenchymal = 0;     // 35 -1 none, 0..5 RO, IR, GGO, HC, EM, LO
    std::array<std::int16_t, 24> Symbol{};       // 36 [0] "None", [1..22] AX..TD; [23] unused
    std::int16_t PleuralPresent = 0;             // 37
    std::array<std::int16_t, 5> PleuralType{};   // 38 W parietal, W visceral, M, D; [4] unused
    std::int16_t PleuralPredominantType = 0;     // 39 -1 none, 0..3
    std::array<std::int16_t, 7> PleuralSite{};   // 40 zone order B; [6] unused
    std::array<std::int16_t, 5> PleuralExtentWidth{}; // 41 right extent, right width, left extent, left width; [4] unused
    std::int16_t CalcPresent = 0;                // 42
    std::array<std::int16_t, 4> CalcSite{};      // 43 [0] wall, [1] mediastinum, [2] diaphragm; [3] unused
    FixedText<1024> Comment;                     // 44
    FixedText<10> ReadingDate;                   // 45
    FixedText<128> ReaderID;                     // 46 never assigned
    FixedText<128> ReaderName;                   // 47
    std::int16_t CommentMark = 0;                // 48 -1 once a non-blank comment was entered

    bool operator==(const ReadingRecord&) const = default;
};

// The records of the opened folder, indexed like the catalogue's patients.
using Readings = std::vector<ReadingRecord>;

} // namespace vantor
