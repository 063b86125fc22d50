#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vantor {

// One window preset: name, level (Hounsfield units) and width.
struct WLWWPreset {
    std::string Name;
    std::int32_t WL = 0;
    std::int32_t WW = 0;
};

// The state that the main window and its dialogs share for the whole run.
// Plain data: the windows read and write it directly.
struct WorkstationState {
    std::string AppDir;          // data folder (beside the program in a build), with a trailing "/"
    std::string IniFile;         // the settings file actually read and written
    std::string ReaderName;      // signed-in reader; empty = nobody
    std::string ReadingDate;     // "YYYY/MM/DD", the date at start-up
    std::string TopFolder;       // data folder opened by the folder chooser
    std::string ResultFileName;  // current reading-result file; empty until a folder is opened
    int PersonalDisp = 0;
    bool WLWWSelect = false;
    std::int32_t DefaultWL = -600;
    std::int32_t DefaultWW = 1500;
    std::array<WLWWPreset, 11> WLWWPresets{};
    int PresetCount = 0;
    std::array<std::string, 11> CategoryNames{};
    std::int16_t CurPatient = -1;
    std::int16_t CurStudy = 0;
    std::int16_t CurSeries = 0;
    bool FolderOpened = false;
    std::int16_t DesktopWidth = 0;   // twips
    std::int16_t DesktopHeight = 0;  // twips
    std::int16_t MaxLayoutWidth = 0;
    std::int16_t MaxLayoutHeight = 0;
};

} // namespace vantor
