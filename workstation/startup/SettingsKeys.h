#pragma once

#include <string>

namespace vantor {

// Section and key names of the settings file.
inline constexpr const char* kProgramSection = "VANTOR_Viewer";
inline constexpr const char* kPresetSection = "WWWL_Params";
inline constexpr const char* kSettingsFileName = "VANTOR_Viewer.ini";
inline constexpr const char* kProgramTitle = "VANTOR-Viewer";

// "User" + the last four characters of "000" followed by n: User0000 ... User0010.
std::string readerKey(int n);
// "WWWL_" + the last three characters of "000" followed by n: WWWL_000 ...
std::string presetKey(int n);

} // namespace vantor
