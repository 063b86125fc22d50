#pragma once

#include "catalogue/SeriesEntry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// One study folder of a patient.
struct StudyEntry {
    std::string FolderName; // bare name of the study folder
    std::string StudyDate;  // (0008,0020) as stored, from the first registered file of the last series
    // Carried by the cache file; a folder walk leaves them empty.
    std::string StudyTime;
    std::string Accession;
    std::string StudyDesc;
    std::string StudyInstanceUID;
    std::string StudyID;
    std::vector<SeriesEntry> Serieses;

    std::int16_t SeriesCount() const { return static_cast<std::int16_t>(Serieses.size()); }
};

} // namespace vantor
