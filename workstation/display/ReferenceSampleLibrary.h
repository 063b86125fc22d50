#pragma once

#include <string>
#include <vector>

namespace vantor {

struct WorkstationState;

// Where the reference samples, their sketches and the sketches of slices
// live, and which category each tab of the reading form shows.
class ReferenceSampleLibrary {
public:
    // The category of tabs without samples ("Predominance", "Pleural calc.", "Comments").
    static constexpr const char* kNoCategory = "Dummy";

    // The category folder shown for reading-form tab `tab` (0-11): the
    // matching CategoryNames entry, or kNoCategory.
    static std::string categoryOfTab(int tab, const WorkstationState& state);

    // AppDir + "Image/" + category (+ "/" + file name).
    static std::string sampleFolder(const std::string& appDir, const std::string& category);
    static std::string samplePath(const std::string& appDir, const std::string& category, const std::string& fileName);
    // The sample's folder, its base name + ".jpg".
    static std::string sampleSketchPath(const std::string& samplePath);
    // The slice's folder + "/JPG/" + its base name + ".jpg".
    static std::string sliceSketchPath(const std::string& sliceFile);
    // AppDir + "Image/Normal/1-01_F02.jpg": the picture the sketch window opens with.
    static std::string defaultSketchPath(const std::string& appDir);
    // AppDir + "Category.txt".
    static std::string categoryTablePath(const std::string& appDir);

    // The *.dcm files of a category folder (regular files, the extension in
    // any letter case), in the listing order of folders; none when the
    // folder does not exist.
    static std::vector<std::string> sampleFiles(const std::string& appDir, const std::string& category);

    static bool fileExists(const std::string& path);
};

} // namespace vantor
