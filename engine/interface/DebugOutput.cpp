#include "DebugOutput.h"

#include <filesystem>
#include <mutex>
#include <system_error>

namespace zvipengine {

namespace {

struct ModuleDebugOutput {
    std::mutex lock;
    std::string folder;
    std::string name;
    ModuleDebugOutput()
    {
        std::error_code error;
        const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
        folder = error ? std::string("/tmp/") : temporary.string();
        if (folder.empty() || folder.back() != '/')
            folder += '/';
    }
};

ModuleDebugOutput& module()
{
    static ModuleDebugOutput state;
    return state;
}

} // namespace

std::string DebugOutput::set(const std::string& directory, const std::string& patientId,
                             const std::string& seriesNumber)
{
    std::string path = directory;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += patientId;
    if (path.back() != '/')
        path += '/';
    ModuleDebugOutput& state = module();
    std::lock_guard<std::mutex> guard(state.lock);
    if (path.size() >= 2 && path.size() <= MaximumFolderLength)
        state.folder = path;
    if (seriesNumber.size() >= 2)
        state.name = seriesNumber.substr(0, MaximumSeriesLength);
    return seriesNumber.substr(0, MaximumSeriesLength);
}

std::string DebugOutput::folder()
{
    std::lock_guard<std::mutex> guard(module().lock);
    return module().folder;
}

std::string DebugOutput::name()
{
    std::lock_guard<std::mutex> guard(module().lock);
    return module().name;
}

} // namespace zvipengine
