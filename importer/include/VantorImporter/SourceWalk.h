#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vantor::importing {

// Every file below a source, the files that its DICOMDIRs list first (in
// record order), then the others in name order. Folders are walked without
// following links to folders (a disc or export may loop); links to files are
// followed. Only regular files are taken: a pipe or device would block or
// never end.
struct SourceFiles {
    std::vector<std::string> files;
    std::vector<std::string> directoryFiles;   // the DICOMDIRs that were read
    std::vector<std::string> missingReferences; // listed by a DICOMDIR, not found
    std::vector<std::string> unreadable;       // "path: reason" (folders or links that cannot be read)
    std::size_t notRegular = 0;                 // pipes, sockets, devices
};

// keepGoing is asked once per folder; false stops the walk (what was found
// stays in the result).
SourceFiles walkSource(const std::string& source, const std::function<bool()>& keepGoing = {});

} // namespace vantor::importing
