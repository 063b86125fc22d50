#include "VantorDataFolder/DataFolder.h"

#include <filesystem>
#include <system_error>

namespace vantor {

namespace fs = std::filesystem;

namespace {
std::string withSlash(const fs::path& folder)
{
    std::string text = folder.lexically_normal().string();
    if (text.empty() || text.back() != '/')
        text += '/';
    return text;
}
} // namespace

std::string locateDataFolder(const std::string& programFolder, const std::string& probe)
{
    std::error_code error;
    const fs::path beside(programFolder);
    if (fs::is_regular_file(beside / probe, error))
        return withSlash(beside);
    // VANTOR_DATA_FROM_PROGRAM is the data folder relative to bin/, from the install rules.
    const fs::path installed = beside / VANTOR_DATA_FROM_PROGRAM;
    if (fs::is_regular_file(installed / probe, error))
        return withSlash(installed);
    return withSlash(beside);
}

std::string dataFolder(const std::string& probe)
{
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return "./";
    return locateDataFolder(program.parent_path().string(), probe);
}

} // namespace vantor
