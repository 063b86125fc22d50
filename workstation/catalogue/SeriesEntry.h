#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// One series folder of the opened data folder and the slice files registered in it.
struct SeriesEntry {
    std::string FolderName; // bare name of the series folder
    // Carried by the cache file; a folder walk leaves them empty.
    std::string Modality;
    std::string Manufacturer;
    std::string InstitutionName;
    std::string InstitutionAddr;
    std::string SeriesDesc;
    std::string DoctorName;
    std::string SeriesInstanceUID;
    std::int16_t SeriesNo = 0;
    std::vector<std::string> Files; // full path of each registered slice file, in listing order

    std::int16_t FileCount() const { return static_cast<std::int16_t>(Files.size()); }
};

} // namespace vantor
