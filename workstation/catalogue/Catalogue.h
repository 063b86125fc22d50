#pragma once

#include "catalogue/PatientEntry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// The opened data folder: patients, their studies, series and slice files, in the
// order of the folder listings. Indices into it are the current patient, study and
// series. Replaced wholesale by each folder walk or cache read.
struct Catalogue {
    // Most entries one level may hold: counts and indices are 16-bit.
    static constexpr std::size_t MaximumEntries = 32767;

    std::string TopFolder; // the chosen folder, as given
    std::vector<PatientEntry> Patients;

    std::int16_t PatientCount() const { return static_cast<std::int16_t>(Patients.size()); }

    // The cache file of a folder lies beside it: the folder's path + ".xml".
    static std::string cacheFilePath(const std::string& folder);

    // True when every level holds at least one entry (what a complete walk yields).
    bool hasNoEmptyLevel() const;
};

} // namespace vantor
