#include "catalogue/Catalogue.h"

namespace vantor {

std::string Catalogue::cacheFilePath(const std::string& folder)
{
    std::string path = folder;
    // "/data/case1/" and "/data/case1" name the same folder and share one cache file.
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path + ".xml";
}

bool Catalogue::hasNoEmptyLevel() const
{
    if (Patients.empty())
        return false;
    for (const PatientEntry& patient : Patients) {
        if (patient.Studies.empty())
            return false;
        for (const StudyEntry& study : patient.Studies) {
            if (study.Serieses.empty())
                return false;
            for (const SeriesEntry& series : study.Serieses)
                if (series.Files.empty())
                    return false;
        }
    }
    return true;
}

} // namespace vantor
