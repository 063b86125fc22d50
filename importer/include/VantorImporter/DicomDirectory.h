#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantor::importing {

// The files a DICOMDIR refers to: the Referenced File ID (0004,1500) of each
// directory record, as path components relative to the DICOMDIR's folder,
// in record order. Reads explicit and implicit little-endian and explicit
// big-endian directories; nested sequences of any length form are skipped.
struct DicomDirectoryReferences {
    bool readable = false; // false: not a DICOMDIR this reader understands
    std::string problem;   // why not, or where the records stop early
    std::vector<std::vector<std::string>> fileIds;
};

DicomDirectoryReferences readDicomDirectory(const std::uint8_t* data, std::size_t size);
DicomDirectoryReferences readDicomDirectoryFile(const std::string& path);

} // namespace vantor::importing
