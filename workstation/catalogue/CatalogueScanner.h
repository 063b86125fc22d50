#pragma once

#include "catalogue/Catalogue.h"

#include <cstddef>
#include <functional>
#include <string>

class ZQDICOM;

namespace vantor {

// The four-level walk of a data folder: <folder>/<patient>/<study>/<series>/<slice files>.
// Patients, studies and series are the sub-folders at each level, in listing order;
// every file of a series folder is registered except DICOMDIR (by name) and files
// whose Media Storage SOP Class is a directory. A file that is not DICOM at all is
// registered too (series loading skips it). No window is involved: progress and
// cancelling go through the callback.
class CatalogueScanner {
public:
    enum class Outcome { Complete, Failed, Cancelled };

    struct Result {
        Outcome outcome = Outcome::Failed;
        Catalogue catalogue;       // usable only when the outcome is Complete
        std::string failureDetail; // the reason when Failed, e.g. "There is not any patients in [ /x ]."
        std::size_t filesExamined = 0;
    };

    // Called before each file is opened with its full path and the number of files
    // examined before it. Returning false stops the walk (outcome Cancelled).
    using Progress = std::function<bool(const std::string& filePath, std::size_t filesExamined)>;

    static constexpr const char* DirectorySopClassUid = "1.2.840.10008.1.3.10";

    // Walks `folder` reading headers through `dicom` (header only: no pixel data).
    // Starts from an empty catalogue whose TopFolder is `folder`.
    static Result scan(const std::string& folder, ZQDICOM& dicom, const Progress& progress = {});
};

} // namespace vantor
