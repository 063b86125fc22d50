#pragma once

#include "startup/WorkstationState.h"

#include <string>

namespace vantor {

class ProfileFile;

// Default window used when the settings file holds none (lung window).
inline constexpr int kFallbackDefaultWL = -600;
inline constexpr int kFallbackDefaultWW = 1500;

// Reads "PersonalDisp", "WLWWSelect", "DefaultWL" and "DefaultWW" (a width of
// 0 becomes 1000) into state. state.TopFolder stays empty until a folder is
// opened in this run, which is what the exit write keys on.
void loadProgramSettings(const ProfileFile& settings, WorkstationState& state);

// The folder opened last time ("TopFolder"), to preset the folder chooser.
std::string lastOpenedFolder(const ProfileFile& settings);

// The exit write: "TopFolder", "WLWWSelect", "DefaultWL", "DefaultWW", and
// only when a folder was opened during the run (TopFolder not empty).
// Returns false only when a write failed.
bool saveProgramSettingsAtExit(const ProfileFile& settings, const WorkstationState& state);

// The per-user settings file: $XDG_CONFIG_HOME/VANTORViewer/VANTOR_Viewer.ini
// (or ~/.config/...), made from the shipped default on first use. Returns its
// path; when the folder cannot be made, the shipped file itself.
std::string prepareUserSettingsFile(const std::string& appDir);

} // namespace vantor
