#include "catalogue/CatalogueScanner.h"

#include "catalogue/DirectoryListing.h"

#include <ZVDICOM/CharacterSetDecoder.h>
#include <ZVDICOM/ZQDICOM.h>

namespace vantor {

namespace {

// A value as the window of the original read it: a 128-character buffer, cut at
// the first NUL; a missing element gives the empty text.
std::string tagText(const ZQDICOM& dicom, std::uint16_t group, std::uint16_t element)
{
    std::string buffer(128, '\0');
    dicom.GetTagString(static_cast<std::int16_t>(group), static_cast<std::int16_t>(element), buffer, 128);
    const std::size_t end = buffer.find('\0');
    if (end != std::string::npos)
        buffer.resize(end);
    return buffer;
}

// A name or identifier as UTF-8, decoded by the file's Specific Character Set.
std::string decodedText(const ZQDICOM& dicom, std::uint16_t group, std::uint16_t element, const char* vr)
{
    return DecodedTagString(dicom, static_cast<std::int16_t>(group), static_cast<std::int16_t>(element), vr)
        .value_or(std::string());
}

std::string inFolder(const std::string& path)
{
    return "[ " + path + " ].";
}

class FolderWalk {
public:
    FolderWalk(const std::string& folder, ZQDICOM& dicom, const CatalogueScanner::Progress& progress)
        : m_dicom(dicom), m_progress(progress)
    {
        m_result.catalogue.TopFolder = folder;
    }

    CatalogueScanner::Result run()
    {
        const std::string& top = m_result.catalogue.TopFolder;
        const DirectoryListing patients(top);
        if (patients.folders().empty()) {
            fail("There is not any patients in " + inFolder(top));
            return std::move(m_result);
        }
        if (tooMany(patients.folders(), top))
            return std::move(m_result);
        for (const std::string& patientName : patients.folders()) {
            PatientEntry& patient = m_result.catalogue.Patients.emplace_back();
            patient.FolderName = patientName;
            if (!walkPatient(patient, DirectoryListing::join(top, patientName)))
                return std::move(m_result);
        }
        m_result.outcome = CatalogueScanner::Outcome::Complete;
        return std::move(m_result);
    }

private:
    bool walkPatient(PatientEntry& patient, const std::string& path)
    {
        const DirectoryListing studies(path);
        if (studies.folders().empty()) {
            fail("There is not any studies in " + inFolder(path));
            return false;
        }
        if (tooMany(studies.folders(), path))
            return false;
        for (const std::string& studyName : studies.folders()) {
            StudyEntry& study = patient.Studies.emplace_back();
            study.FolderName = studyName;
            if (!walkStudy(patient, study, DirectoryListing::join(path, studyName)))
                return false;
        }
        return true;
    }

    bool walkStudy(PatientEntry& patient, StudyEntry& study, const std::string& path)
    {
        const DirectoryListing serieses(path);
        if (serieses.folders().empty()) {
            fail("There is not any series in " + inFolder(path));
            return false;
        }
        if (tooMany(serieses.folders(), path))
            return false;
        for (const std::string& seriesName : serieses.folders()) {
            SeriesEntry& series = study.Serieses.emplace_back();
            series.FolderName = seriesName;
            if (!walkSeries(patient, study, series, DirectoryListing::join(path, seriesName)))
                return false;
        }
        return true;
    }

    bool walkSeries(PatientEntry& patient, StudyEntry& study, SeriesEntry& series, const std::string& path)
    {
        const DirectoryListing files(path);
        for (const std::string& fileName : files.files()) {
            if (fileName == "DICOMDIR")
                continue;
            const std::string filePath = DirectoryListing::join(path, fileName);
            if (m_progress && !m_progress(filePath, m_result.filesExamined)) {
                m_result.outcome = CatalogueScanner::Outcome::Cancelled;
                return false;
            }
            ++m_result.filesExamined;
            m_dicom.loadHeaderOnly(filePath);
            if (tagText(m_dicom, 0x0002, 0x0002) == CatalogueScanner::DirectorySopClassUid)
                continue;
            if (series.Files.size() >= Catalogue::MaximumEntries) {
                fail("There are too many files in " + inFolder(path));
                return false;
            }
            series.Files.push_back(filePath);
            if (series.Files.size() == 1) {
                // Later series of the same patient or study overwrite these.
                patient.PatientName = decodedText(m_dicom, 0x0010, 0x0010, "PN");
                patient.PatientID = decodedText(m_dicom, 0x0010, 0x0020, "LO");
                study.StudyDate = tagText(m_dicom, 0x0008, 0x0020);
            }
        }
        if (series.Files.empty()) {
            fail("There is not any DICOM files in " + inFolder(path));
            return false;
        }
        return true;
    }

    // Counts and indices are 16-bit: a level beyond their range is refused, not wrapped.
    bool tooMany(const std::vector<std::string>& folders, const std::string& path)
    {
        if (folders.size() <= Catalogue::MaximumEntries)
            return false;
        fail("There are too many folders in " + inFolder(path));
        return true;
    }

    void fail(const std::string& detail)
    {
        m_result.outcome = CatalogueScanner::Outcome::Failed;
        m_result.failureDetail = detail;
    }

    ZQDICOM& m_dicom;
    const CatalogueScanner::Progress& m_progress;
    CatalogueScanner::Result m_result;
};

} // namespace

CatalogueScanner::Result CatalogueScanner::scan(const std::string& folder, ZQDICOM& dicom,
                                                const Progress& progress)
{
    return FolderWalk(folder, dicom, progress).run();
}

} // namespace vantor
