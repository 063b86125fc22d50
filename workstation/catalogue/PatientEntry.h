#pragma once

#include "catalogue/StudyEntry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// One patient folder of the opened data folder. Patients are told apart by folder,
// never by DICOM identifiers: two folders with the same patient ID stay two patients.
struct PatientEntry {
    std::string FolderName;  // bare name of the patient folder
    std::string PatientName; // (0010,0010), or the display name while names are hidden
    std::string PatientID;   // (0010,0020), or the display name while names are hidden
    std::vector<StudyEntry> Studies;

    std::int16_t StudyCount() const { return static_cast<std::int16_t>(Studies.size()); }
};

} // namespace vantor
