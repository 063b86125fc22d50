#include "display/ReferenceSampleLibrary.h"

#include "catalogue/DirectoryListing.h"
#include "startup/WorkstationState.h"

#include <array>
#include <filesystem>

namespace vantor {

namespace {

// CategoryNames index per reading-form tab; -1 for tabs without samples.
constexpr std::array<int, 12> kCategoryIndexOfTab = {0, 1, 2, 3, 4, 5, -1, 8, -1, 7, -1, 9};

bool hasSampleExtension(const std::string& name)
{
    if (name.size() < 5)
        return false;
    const std::string extension = name.substr(name.size() - 4);
    std::string lower;
    for (char c : extension)
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return lower == ".dcm";
}

} // namespace

std::string ReferenceSampleLibrary::categoryOfTab(int tab, const WorkstationState& state)
{
    if (tab < 0 || tab >= static_cast<int>(kCategoryIndexOfTab.size()))
        return kNoCategory;
    const int index = kCategoryIndexOfTab[static_cast<std::size_t>(tab)];
    if (index < 0 || state.CategoryNames[static_cast<std::size_t>(index)].empty())
        return kNoCategory;
    return state.CategoryNames[static_cast<std::size_t>(index)];
}

std::string ReferenceSampleLibrary::sampleFolder(const std::string& appDir, const std::string& category)
{
    return DirectoryListing::join(appDir, "Image/" + category);
}

std::string ReferenceSampleLibrary::samplePath(const std::string& appDir, const std::string& category,
                                               const std::string& fileName)
{
    return sampleFolder(appDir, category) + "/" + fileName;
}

std::string ReferenceSampleLibrary::sampleSketchPath(const std::string& samplePath)
{
    std::filesystem::path path(samplePath);
    return path.replace_extension(".jpg").string();
}

std::string ReferenceSampleLibrary::sliceSketchPath(const std::string& sliceFile)
{
    const std::filesystem::path path(sliceFile);
    return (path.parent_path() / "JPG" / (path.stem().string() + ".jpg")).string();
}

std::string ReferenceSampleLibrary::defaultSketchPath(const std::string& appDir)
{
    return DirectoryListing::join(appDir, "Image/Normal/1-01_F02.jpg");
}

std::string ReferenceSampleLibrary::categoryTablePath(const std::string& appDir)
{
    return DirectoryListing::join(appDir, "Category.txt");
}

std::vector<std::string> ReferenceSampleLibrary::sampleFiles(const std::string& appDir, const std::string& category)
{
    std::vector<std::string> names;
    const DirectoryListing listing(sampleFolder(appDir, category));
    for (const std::string& name : listing.files()) {
        if (hasSampleExtension(name))
            names.push_back(name);
    }
    return names;
}

bool ReferenceSampleLibrary::fileExists(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

} // namespace vantor
