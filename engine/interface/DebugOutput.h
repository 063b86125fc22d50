#pragma once

#include <string>

namespace zvipengine {

// Where the lung analysis writes its debug and feature files: one folder and
// one name for the whole module, set through SetDebugOut.
class DebugOutput {
public:
    static constexpr std::size_t MaximumFolderLength = 127;
    static constexpr std::size_t MaximumSeriesLength = 255;

    // Folder = DirName/PatientID/; taken when it has at least 2 characters
    // and fits (a cut path would name another folder). The series name
    // becomes the module's debug name when it has at least 2 characters.
    // Returns the series name to keep for the analysis (at most 255 bytes).
    static std::string set(const std::string& directory, const std::string& patientId,
                           const std::string& seriesNumber);
    static std::string folder();
    static std::string name();
};

} // namespace zvipengine
