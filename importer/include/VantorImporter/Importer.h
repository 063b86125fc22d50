#pragma once

#include "VantorImporter/FileCopy.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vantor::importing {

// Puts the images of any folder or disc into a data folder laid out as
// <patient>/<study>/<series>/<slice files>: headers only are read, images are
// grouped by patient (ID and name), Study and Series Instance UID and copied
// as they are, each under a temporary hidden name and then renamed, so that a
// file of the layout is always whole. The sources are never changed.
// Instances already in the data folder (same SOP Instance UID) are skipped.

struct ImportRequest {
    std::vector<std::string> sources;
    std::string dataFolder;
    bool dryRun = false;                       // plan only: nothing is written
    WriteFunction writeFile = copyFileContents; // replaceable to test write failures
};

struct ImportProgress {
    enum class Stage { ReadingDataFolder, WalkingSources, ReadingHeaders, Copying };
    Stage stage = Stage::WalkingSources;
    std::size_t done = 0;  // files done in this stage
    std::size_t total = 0; // files of this stage (0 while walking: not known yet)
    std::string path;      // the file or folder at hand
};

// Called often (per file); returning false cancels. What was imported before
// stays in the data folder, whole.
using ProgressFunction = std::function<bool(const ImportProgress&)>;

struct PlannedCopy {
    std::string source;
    std::string target; // relative to the data folder: patient/study/series/IM00012.dcm
};

struct ImportReport {
    enum class Outcome { Complete, Cancelled, Failed };
    Outcome outcome = Outcome::Failed;
    std::string failure; // what stopped the import, when Failed

    std::vector<PlannedCopy> copies; // written (or, in a dry run, planned) in this order
    std::size_t imported = 0;        // files written (dry run: 0)

    std::size_t alreadyPresent = 0;     // same instance already in the data folder
    std::size_t duplicates = 0;         // same instance earlier in the sources
    std::size_t notDicom = 0;
    std::size_t directoryFiles = 0;     // DICOMDIR and other directory objects
    std::size_t noPixelData = 0;
    std::size_t missingIdentifiers = 0;
    std::size_t notRegular = 0;         // pipes, sockets, devices
    std::vector<std::string> unreadable;        // "path: reason", files and folders
    std::vector<std::string> missingReferences; // DICOMDIR entries whose file is not there

    std::size_t patients = 0; // patient / series folders that received images
    std::size_t series = 0;
};

ImportReport runImport(const ImportRequest& request, const ProgressFunction& progress = {});

// The summary for a person: what was imported, what was skipped and why;
// only the reason when the import was refused before anything was written.
std::string summaryText(const ImportReport& report, const std::string& dataFolder, bool dryRun);

} // namespace vantor::importing
