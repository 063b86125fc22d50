#pragma once

#include <cstdint>
#include <optional>
#include <string>

class ZQDICOM;

namespace vantor::importing {

// The header fields that decide where an image goes in the data folder.
// Texts are the stored bytes with the padding (spaces, NUL) cut off both ends.
struct InstanceHeader {
    std::string specificCharacterSet; // (0008,0005) as stored: the texts below stay in it
    std::string sopInstanceUid;
    std::string patientId;
    std::string patientName;
    std::string studyInstanceUid;
    std::string studyDate;
    std::string studyId;
    std::string seriesInstanceUid;
    std::string seriesDescription;
    std::optional<std::int64_t> seriesNumber;
    std::optional<std::int64_t> instanceNumber;

    // Patient identity: ID and name together, as two people may share an ID
    // on media that mix sites.
    std::string patientKey() const { return patientId + '\n' + patientName; }
};

enum class HeaderKind {
    Image,              // an instance with pixel data and all identifiers
    NotDicom,           // not recognised as DICOM
    DirectoryFile,      // a DICOMDIR or another Media Storage Directory object
    NoPixelData,        // DICOM without pixel data (reports, presentation states, ...)
    MissingIdentifiers, // pixel data but no SOP Instance, Study or Series UID
};

// Reads the header of one file (pixel data is not read) through dicom and
// tells what it is; header is filled for every DICOM kind.
HeaderKind readInstanceHeader(ZQDICOM& dicom, const std::string& path, InstanceHeader& header);

// A stored value without its padding: spaces and NUL bytes at both ends.
std::string trimmedValue(const std::string& stored);

} // namespace vantor::importing
