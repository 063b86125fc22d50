#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vantor {

// The code lists of the reading form and the texts that the form and the
// report show for each value. A value outside a list gives "None" where the
// list has a "None" text and an empty text otherwise.

inline constexpr int SymbolCount = 23; // index 0 is "None", 1..22 the symbols AX..TD
inline constexpr int SymbolMosaicPerfusion = 16; // "MP", tied to ground glass grading

// Symbol codes by index; each is also the caption of the symbol's button.
inline constexpr std::array<std::string_view, SymbolCount> SymbolCodes = {
    "None", "AX", "BE", "BR", "BU", "CA", "CG", "CV", "DI", "DO", "EF", "ES",
    "FP",   "FR", "HI", "ME", "MP", "OD", "PB", "RA", "SC", "TB", "TD"};

// Tooltips of the symbol buttons, by index ("None" has none).
inline constexpr std::array<std::string_view, SymbolCount> SymbolTooltips = {
    "",
    "Coalescence of small pneumoconiotic opacities",
    "Bronchiectasis; all types, including traction bronchiectasis",
    "Bronchial wall thickening",
    "Bullae. additional information on empyysema",
    "Lung Cancer",
    "Calcified Granuloma",
    "Cavity, central necrosis, liquid and/or air containing",
    "Distortion of intrathoracic structures and organs",
    "Dependent Opacity",
    "Effusion, free or loculated pleural fluid",
    "Eggshell calcification of hilar and/or mediastinal lymph nodes",
    "Fat Pad, extrapleural/subcostal fat",
    "Fractured Rib(s)",
    "Enlargement of hilar and/or mediastinal lymph nodes, >1.5-2cm",
    "Malignant Mesothelioma of the pleura, the pericardium or the peritoneum",
    "Mosaic Perfusion",
    "Other Disease; comments under \"Additional Findings\"",
    "Parenchymal Band, due to pleuroparenchymal scars",
    "Rounded Atelectasis",
    "Subpleural curvilinear lines",
    "Tuberculosis",
    "Tree in Bud"};

// Predominant parenchymal finding codes, 0..5.
inline constexpr std::array<std::string_view, 6> ParenchymalCodes = {"RO", "IR", "GGO", "HC", "EM", "LO"};

// Pleural abnormality types, 0..3.
inline constexpr std::array<std::string_view, 4> PleuralTypeCodes = {"W(parietal)", "W(visceral)", "M", "D"};

// Entries of the technical-parameter lists beside the form. Of these only the
// first letter of the posture entry is kept in the record (member Posture).
inline constexpr std::array<std::string_view, 4> ModalityEntries = {"", "Sequential", "Single slice spiral",
                                                                     "Multi slice spiral"};
inline constexpr std::array<std::string_view, 3> PostureEntries = {"Prone", "Unknown", "Supine"};
inline constexpr std::array<std::string_view, 5> QualityEntries = {"", "  1", "  2", "  3", "  4"};

// 0 "No", 1 "Yes", anything else empty.
std::string_view YesNoText(int value);
// Rounded opacity size: 0 "P", 1 "Q", 2 "R", else "None".
std::string_view PQRText(int value);
// Irregular opacity type: 0 "Intra", 1 "Inter", else "None".
std::string_view IntraInterText(int value);
// Large opacity size: 0 "A", 1 "B", 2 "C", else "None".
std::string_view ABCText(int value);
// Predominant parenchymal finding: 0..5 "RO" .. "LO", else "None".
std::string_view CodeText(int value);
// Pleural type: 0 "W(parietal)", 1 "W(visceral)", 2 "M", 3 "D", else "None".
std::string_view PleuraText(int value);
// Pleural width grade: 0 "0", 1 "a", 2 "b", 3 "c", else empty.
std::string_view GradeLetterText(int value);
// Symbol: 1..22 "AX" .. "TD", everything else (0 included) "None".
std::string_view SymbolText(int value);

} // namespace vantor
