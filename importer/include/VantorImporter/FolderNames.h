#pragma once

#include "VantorImporter/InstanceHeader.h"

#include <set>
#include <string>

namespace vantor::importing {

// Folder and file names of the data folder layout, readable and safe on any
// file system: only [A-Za-z0-9._-], no leading dot (the catalogue walk skips
// hidden entries), no device names of other systems, at most 64 characters.

// Every other byte becomes "_" (a run of them one "_"); empty gives fallback.
// Accented Latin letters in UTF-8 become their base letters ("Müller": "Muller").
std::string safeName(const std::string& text, const std::string& fallback);

// Names are made from the header's texts decoded by its Specific Character
// Set, so that code-extension escapes and multi-byte codes do not turn into
// letters. Of a person name only the alphabetic group (before "=") is used.
// Patient ID, or the name when there is no ID: "12345678", "Doe_Peter".
std::string patientFolderName(const InstanceHeader& header);
// Study date and a short study number: "20030505_134" (Study ID, or the last
// digits of the Study Instance UID when there is no ID).
std::string studyFolderName(const InstanceHeader& header);
// Series number and description: "SE003_CHEST_1.25".
std::string seriesFolderName(const InstanceHeader& header);
// Instance number: "IM00012.dcm".
std::string sliceFileName(const InstanceHeader& header);

// Names already used in one folder, compared without case (as on FAT, NTFS
// and the file systems of other desktops).
class NameSet {
public:
    bool contains(const std::string& name) const;
    void add(const std::string& name);
    // base, or base with "-2", "-3", ... when taken (before the extension of
    // a file name); the returned name is added.
    std::string claimFolder(const std::string& base);
    std::string claimFile(const std::string& base);

private:
    std::string claim(const std::string& base, const std::string& stem, const std::string& extension);

    std::set<std::string> folded_;
};

} // namespace vantor::importing
