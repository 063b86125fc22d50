#include "startup/ProgramSettings.h"

#include "startup/ProfileFile.h"
#include "startup/SettingsKeys.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vantor {

void loadProgramSettings(const ProfileFile& settings, WorkstationState& state)
{
    state.PersonalDisp = settings.readInteger(kProgramSection, "PersonalDisp", 0);
    state.WLWWSelect = settings.readInteger(kProgramSection, "WLWWSelect", 0) != 0;
    state.DefaultWL = settings.readInteger(kProgramSection, "DefaultWL", kFallbackDefaultWL);
    state.DefaultWW = settings.readInteger(kProgramSection, "DefaultWW", kFallbackDefaultWW);
    if (state.DefaultWW == 0)
        state.DefaultWW = 1000;
}

std::string lastOpenedFolder(const ProfileFile& settings)
{
    return settings.readString(kProgramSection, "TopFolder", "");
}

bool saveProgramSettingsAtExit(const ProfileFile& settings, const WorkstationState& state)
{
    if (state.TopFolder.empty())
        return true;
    bool saved = settings.writeString(kProgramSection, "TopFolder", state.TopFolder);
    saved = settings.writeString(kProgramSection, "WLWWSelect", state.WLWWSelect ? "1" : "0") && saved;
    saved = settings.writeString(kProgramSection, "DefaultWL", std::to_string(state.DefaultWL)) && saved;
    saved = settings.writeString(kProgramSection, "DefaultWW", std::to_string(state.DefaultWW)) && saved;
    return saved;
}

std::string prepareUserSettingsFile(const std::string& appDir)
{
    namespace fs = std::filesystem;
    const fs::path shipped = fs::path(appDir) / kSettingsFileName;
    fs::path configHome;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0')
        configHome = xdg;
    else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        configHome = fs::path(home) / ".config";
    else
        return shipped.string();

    const fs::path folder = configHome / "VANTORViewer";
    const fs::path user = folder / kSettingsFileName;
    std::error_code error;
    if (fs::exists(user, error))
        return user.string();
    fs::create_directories(folder, error);
    if (error)
        return shipped.string();
    if (fs::exists(shipped, error))
        fs::copy_file(shipped, user, error);
    // Without a shipped default the first write creates the user's file.
    return user.string();
}

} // namespace vantor
