#pragma once

#include "startup/WorkstationState.h"

#include <string>
#include <vector>

namespace vantor {

class ProfileFile;

// One preset as it reaches the menus: its slot and the two captions.
struct PresetMenuEntry {
    int index = 0;
    std::string popupCaption; // "Lung ( -600 , 1500 )"
    std::string toolsCaption; // "(&1) Lung"
};

// Only ten pop-up and ten Tools entries exist, although the table has 11 slots.
inline constexpr int kPresetMenuEntries = 10;

// Reads the presets into state.WLWWPresets and state.PresetCount: an empty
// value ends the list (and sets the count), a value without exactly three
// backslash-separated parts ends it too (the count kept). Returns the menu
// entries, at most ten.
std::vector<PresetMenuEntry> loadWindowPresets(const ProfileFile& settings, WorkstationState& state);

std::string presetPopupCaption(const WLWWPreset& preset);
std::string presetToolsCaption(int index, const WLWWPreset& preset);

} // namespace vantor
