#pragma once

#include "VantorImporter/FolderNames.h"
#include "VantorImporter/InstanceHeader.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

class ZQDICOM;

namespace vantor::importing {

// The patient / study / series folders of a data folder and the images in
// them, as far as an import needs them: which instances are there already,
// which folder holds a patient, study or series, and which names are taken.
// Places new images: a known patient, study or series keeps its folder, a new
// one gets a free name beside the others.
class DataFolderLayout {
public:
    DataFolderLayout();
    ~DataFolderLayout();
    DataFolderLayout(const DataFolderLayout&) = delete;
    DataFolderLayout& operator=(const DataFolderLayout&) = delete;

    // Reads what dataFolder holds (nothing when it does not exist). keepGoing
    // is asked before each file with its path; false stops the reading (the
    // result then is false).
    bool read(const std::string& dataFolder, ZQDICOM& dicom,
              const std::function<bool(const std::string& path)>& keepGoing = {});

    bool containsInstance(const std::string& sopInstanceUid) const;
    std::size_t instanceCount() const { return instances_.size(); }

    // "patient/study/series/IM00012.dcm" relative to the data folder: where
    // the image goes. Its names are taken from then on, and its instance counts
    // as contained.
    std::string place(const InstanceHeader& header);

private:
    struct Series {
        std::string name;
        NameSet files;
    };
    struct Study {
        std::string name;
        NameSet seriesNames;
        std::vector<std::unique_ptr<Series>> folders;
        std::map<std::string, Series*> byUid;
    };
    struct Patient {
        std::string name;
        NameSet studyNames;
        std::vector<std::unique_ptr<Study>> folders;
        std::map<std::string, Study*> byUid;
    };

    NameSet patientNames_;
    std::vector<std::unique_ptr<Patient>> patients_;
    std::map<std::string, Patient*> patientsByKey_;
    std::unordered_set<std::string> instances_;
};

} // namespace vantor::importing
