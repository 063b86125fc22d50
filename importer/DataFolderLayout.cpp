#include "VantorImporter/DataFolderLayout.h"

#include <ZVDICOM/ZQDICOM.h>

#include <algorithm>
#include <filesystem>

namespace vantor::importing {

namespace {

namespace fs = std::filesystem;

// Visible entries of one kind in a folder, by name (as the catalogue lists them).
std::vector<std::string> visibleEntries(const fs::path& folder, bool directories)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.empty() || name.front() == '.')
            continue;
        std::error_code statusError;
        const bool isDirectory = entry->is_directory(statusError);
        if (directories ? isDirectory : entry->is_regular_file(statusError))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

DataFolderLayout::DataFolderLayout() = default;
DataFolderLayout::~DataFolderLayout() = default;

bool DataFolderLayout::read(const std::string& dataFolder, ZQDICOM& dicom,
                            const std::function<bool(const std::string& path)>& keepGoing)
{
    const fs::path top(dataFolder);
    InstanceHeader header;
    for (const std::string& patientName : visibleEntries(top, true)) {
        patientNames_.add(patientName);
        auto& patient = *patients_.emplace_back(std::make_unique<Patient>());
        patient.name = patientName;
        for (const std::string& studyName : visibleEntries(top / patientName, true)) {
            patient.studyNames.add(studyName);
            auto& study = *patient.folders.emplace_back(std::make_unique<Study>());
            study.name = studyName;
            for (const std::string& seriesName : visibleEntries(top / patientName / studyName, true)) {
                study.seriesNames.add(seriesName);
                auto& series = *study.folders.emplace_back(std::make_unique<Series>());
                series.name = seriesName;
                const fs::path seriesFolder = top / patientName / studyName / seriesName;
                for (const std::string& fileName : visibleEntries(seriesFolder, false)) {
                    series.files.add(fileName);
                    const std::string path = (seriesFolder / fileName).string();
                    if (keepGoing && !keepGoing(path))
                        return false;
                    const HeaderKind kind = readInstanceHeader(dicom, path, header);
                    if (kind == HeaderKind::NotDicom || kind == HeaderKind::DirectoryFile)
                        continue;
                    if (!header.sopInstanceUid.empty())
                        instances_.insert(header.sopInstanceUid);
                    // The first folder met keeps a patient, study or series.
                    patientsByKey_.emplace(header.patientKey(), &patient);
                    if (!header.studyInstanceUid.empty())
                        patient.byUid.emplace(header.studyInstanceUid, &study);
                    if (!header.seriesInstanceUid.empty())
                        study.byUid.emplace(header.seriesInstanceUid, &series);
                }
            }
        }
    }
    return true;
}

bool DataFolderLayout::containsInstance(const std::string& sopInstanceUid) const
{
    return instances_.count(sopInstanceUid) != 0;
}

std::string DataFolderLayout::place(const InstanceHeader& header)
{
    Patient*& patient = patientsByKey_[header.patientKey()];
    if (patient == nullptr) {
        patient = patients_.emplace_back(std::make_unique<Patient>()).get();
        patient->name = patientNames_.claimFolder(patientFolderName(header));
    }
    Study*& study = patient->byUid[header.studyInstanceUid];
    if (study == nullptr) {
        study = patient->folders.emplace_back(std::make_unique<Study>()).get();
        study->name = patient->studyNames.claimFolder(studyFolderName(header));
    }
    Series*& series = study->byUid[header.seriesInstanceUid];
    if (series == nullptr) {
        series = study->folders.emplace_back(std::make_unique<Series>()).get();
        series->name = study->seriesNames.claimFolder(seriesFolderName(header));
    }
    instances_.insert(header.sopInstanceUid);
    return patient->name + "/" + study->name + "/" + series->name + "/" +
           series->files.claimFile(sliceFileName(header));
}

} // namespace vantor::importing
