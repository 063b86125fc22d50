#include "startup/WindowPresets.h"

#include "startup/ProfileFile.h"
#include "startup/SettingsKeys.h"

#include <cstdlib>
#include <sstream>

namespace vantor {

namespace {

std::vector<std::string> splitAtBackslash(const std::string& text)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, '\\'))
        parts.push_back(part);
    if (!text.empty() && text.back() == '\\')
        parts.emplace_back();
    return parts;
}

// Leading number of a text, as the settings' integer conversion reads it.
std::int32_t integerOf(const std::string& text) { return static_cast<std::int32_t>(std::atol(text.c_str())); }

} // namespace

std::string presetPopupCaption(const WLWWPreset& preset)
{
    return preset.Name + " ( " + std::to_string(preset.WL) + " , " + std::to_string(preset.WW) + " )";
}

std::string presetToolsCaption(int index, const WLWWPreset& preset)
{
    return "(&" + std::to_string(index + 1) + ") " + preset.Name;
}

std::vector<PresetMenuEntry> loadWindowPresets(const ProfileFile& settings, WorkstationState& state)
{
    std::vector<PresetMenuEntry> entries;
    state.WLWWPresets = {};
    state.PresetCount = settings.readInteger(kPresetSection, "WWWL_CNT", 0);
    const int slots = static_cast<int>(state.WLWWPresets.size());
    if (state.PresetCount > slots)
        state.PresetCount = slots;
    if (state.PresetCount < 0)
        state.PresetCount = 0;
    for (int n = 0; n <= state.PresetCount - 1; ++n) {
        const std::string value = settings.readString(kPresetSection, presetKey(n), "");
        if (value.empty()) {
            state.PresetCount = n;
            break;
        }
        const auto parts = splitAtBackslash(value);
        if (parts.size() != 3)
            break;
        WLWWPreset& preset = state.WLWWPresets[static_cast<std::size_t>(n)];
        preset = {parts[0], integerOf(parts[1]), integerOf(parts[2])};
        if (n < kPresetMenuEntries)
            entries.push_back({n, presetPopupCaption(preset), presetToolsCaption(n, preset)});
    }
    return entries;
}

} // namespace vantor
