// Imports of real media shapes into the data folder layout, checked against
// pydicom's reading of the same files, the catalogue walk and series loading.

#include "ImportTestSupport.h"

#include "catalogue/CatalogueScanner.h"
#include "display/SeriesRegistration.h"

#include <VantorImporter/Importer.h>
#include <ZVDICOM/ZQDICOM.h>
#include <ZVIPEngine/VazAZUrorav.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor::importing {
namespace {

using namespace testing;

ImportReport importInto(const std::vector<std::string>& sources, const fs::path& dataFolder)
{
    ImportRequest request;
    request.sources = sources;
    request.dataFolder = dataFolder.string();
    return runImport(request);
}

// The catalogue walk reads the data folder, and every series registers with
// as many slices as its folder holds. Returns the series folders relative to the data folder.
std::vector<std::string> checkCatalogueAndRegistration(const fs::path& dataFolder)
{
    ZQDICOM dicom;
    const CatalogueScanner::Result scan = CatalogueScanner::scan(dataFolder.string(), dicom);
    EXPECT_EQ(scan.outcome, CatalogueScanner::Outcome::Complete) << scan.failureDetail;
    std::vector<std::string> seriesFolders;
    for (const auto& patient : scan.catalogue.Patients)
        for (const auto& study : patient.Studies)
            for (const auto& series : study.Serieses) {
                const fs::path folder = dataFolder / patient.FolderName / study.FolderName / series.FolderName;
                seriesFolders.push_back(fs::relative(folder, dataFolder).string());
                VazAZUrorav engine;
                SeriesState state;
                FirstFileFields fields;
                std::vector<std::string> messages;
                SeriesLoadReport report;
                report.showMessage = [&messages](const std::string& text) { messages.push_back(text); };
                EXPECT_TRUE(registerSeries(folder.string(), dicom, engine, state, fields, report)) << folder;
                EXPECT_TRUE(messages.empty()) << folder << ": " << (messages.empty() ? "" : messages.front());
                EXPECT_EQ(state.VolumeDims[2], series.FileCount()) << folder;
            }
    return seriesFolders;
}

// Each imported file is the source's bytes.
void checkCopies(const ImportReport& report, const fs::path& dataFolder)
{
    for (const PlannedCopy& copy : report.copies)
        ASSERT_EQ(fileBytes(copy.source), fileBytes(dataFolder / copy.target)) << copy.target;
}

// A disc as a burning program makes it: files renamed to 8-character IDs,
// scattered over folders below DICOM/, and a DICOMDIR by DCMTK's dcmmkdir.
fs::path makeDisc(const TemporaryFolder& work, std::uint64_t seed)
{
    const fs::path generated = work.path() / "generated";
    const auto written = VantorSyntheticCT::DataSetWriter::write(twoPatients(seed), generated.string(), {});
    if (!written.ok)
        throw std::runtime_error(written.error);
    const fs::path disc = work.path() / "disc";
    int number = 0;
    for (const auto& series : written.series)
        for (const auto& file : series.files) {
            char name[32];
            std::snprintf(name, sizeof name, "DICOM/D%d/F%07d", number % 3, number);
            fs::create_directories((disc / name).parent_path());
            fs::rename(file, disc / name);
            ++number;
        }
    int status = -1;
    const std::string output = commandOutput("cd '" + disc.string() + "' && dcmmkdir --recurse DICOM 2>&1", &status);
    if (status != 0 || !fs::exists(disc / "DICOMDIR"))
        throw std::runtime_error("dcmmkdir failed: " + output);
    return disc;
}

TEST(MediaImport, DiscWithDicomdirGoesIntoTheLayoutAndASecondImportAddsNothing)
{
    TemporaryFolder work;
    const fs::path disc = makeDisc(work, 7);
    // A file that the DICOMDIR does not list is found all the same.
    const auto extra = VantorSyntheticCT::DataSetWriter::writeSeries(smallSeries(9, "LATE", 1), work / "late", 99);
    ASSERT_TRUE(extra.ok) << extra.error;
    fs::copy_file(extra.series.at(0).files.at(0), disc / "DICOM" / "UNLISTED");
    const fs::path data = work.path() / "data";

    const ImportReport first = importInto({disc.string()}, data);
    ASSERT_EQ(first.outcome, ImportReport::Outcome::Complete) << first.failure;
    EXPECT_EQ(first.imported, 13u); // 3 + 2 + 4 + 3 + 1
    EXPECT_EQ(first.directoryFiles, 1u);
    EXPECT_TRUE(first.missingReferences.empty());
    EXPECT_TRUE(first.unreadable.empty());
    checkCopies(first, data);
    EXPECT_EQ(oracle("layout", data), oracle("source", disc));
    EXPECT_EQ(oracle("layout", data), "images 13 series 5 studies 4 patients 3\n");

    const std::vector<std::string> series = checkCatalogueAndRegistration(data);
    const std::vector<std::string> expected = {
        "PID-002/20260105_1/SE002_LUNG",           "PID_001/20260105_1/SE003_CHEST_1.25",
        "PID_001/20260105_1/SE004_MEDIASTINUM_5mm", "PID_001/20260302_2/SE001_CHEST_1.25",
        "VS697510/20260105_1/SE009_LATE"};
    EXPECT_EQ(series, expected);
    for (int instance = 1; instance <= 4; ++instance)
        EXPECT_TRUE(fs::exists(data / expected[3] / ("IM0000" + std::to_string(instance) + ".dcm")));

    const ImportReport second = importInto({disc.string()}, data);
    ASSERT_EQ(second.outcome, ImportReport::Outcome::Complete) << second.failure;
    EXPECT_EQ(second.imported, 0u);
    EXPECT_EQ(second.alreadyPresent, 13u);
    EXPECT_EQ(filesBelow(data).size(), 13u);

    // A new series of a known patient joins that patient's folder and study.
    auto options = twoPatients(7);
    options.patients.resize(1);
    options.patients[0].studies.resize(1);
    options.patients[0].studies[0].series = {smallSeries(3, "CHEST 1.25"), smallSeries(4, "MEDIASTINUM: 5mm", 2),
                                             smallSeries(5, "CHEST 1.25", 2)};
    ASSERT_TRUE(VantorSyntheticCT::DataSetWriter::write(options, work / "more", {}).ok);
    const ImportReport third = importInto({work / "more"}, data);
    ASSERT_EQ(third.outcome, ImportReport::Outcome::Complete) << third.failure;
    EXPECT_EQ(third.imported, 2u);
    EXPECT_EQ(third.alreadyPresent, 5u);
    for (const PlannedCopy& copy : third.copies)
        EXPECT_EQ(fs::path(copy.target).parent_path(), "PID_001/20260105_1/SE005_CHEST_1.25");
    EXPECT_EQ(checkCatalogueAndRegistration(data).size(), 6u);
}

TEST(MediaImport, DicomdirThatListsMissingFilesIsReportedAndTheRestImported)
{
    TemporaryFolder work;
    const fs::path disc = makeDisc(work, 11);
    fs::remove(disc / "DICOM/D1/F0000004");
    // A reference that reaches outside the disc is not followed.
    const auto outside = VantorSyntheticCT::DataSetWriter::writeSeries(smallSeries(8, "OUTSIDE", 1), work / "o", 99);
    ASSERT_TRUE(outside.ok) << outside.error;
    fs::copy_file(outside.series.at(0).files.at(0), work.path() / "OUTSIDE");
    std::string directory = fileBytes(disc / "DICOMDIR");
    const std::size_t reference = directory.find("DICOM\\D1\\F0000007");
    ASSERT_NE(reference, std::string::npos);
    directory.replace(reference, 17, "../OUTSIDE       ");
    std::ofstream(disc / "DICOMDIR", std::ios::binary) << directory;

    const fs::path data = work.path() / "data";
    const ImportReport report = importInto({disc.string()}, data);
    ASSERT_EQ(report.outcome, ImportReport::Outcome::Complete);
    EXPECT_EQ(report.imported, 11u) << "F0000007 is found by the walk all the same";
    EXPECT_EQ(report.missingReferences,
              (std::vector<std::string>{(disc / "DICOM/D1/F0000004").string(), (disc / "../OUTSIDE").string()}));
    EXPECT_NE(summaryText(report, data.string(), false).find("Listed in a DICOMDIR but missing (2):"),
              std::string::npos);
    checkCatalogueAndRegistration(data);
}

TEST(MediaImport, FlatFolderWithDuplicatesForeignFilesAndSharedInstanceNumbers)
{
    TemporaryFolder work;
    const auto written = VantorSyntheticCT::DataSetWriter::write(twoPatients(3), work / "generated", {});
    ASSERT_TRUE(written.ok) << written.error;
    const fs::path flat = work.path() / "flat";
    fs::create_directories(flat);
    std::vector<std::string> sources;
    for (const auto& series : written.series)
        sources.insert(sources.end(), series.files.begin(), series.files.end());
    std::uint64_t random = 88172645463325252ULL;
    const auto randomName = [&random] {
        random ^= random << 13, random ^= random >> 7, random ^= random << 17;
        char name[24];
        std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(random));
        return std::string(name);
    };
    for (const std::string& source : sources)
        fs::copy_file(source, flat / randomName());
    for (std::size_t index = 0; index < sources.size(); index += 4) // the same instances again
        fs::copy_file(sources[index], flat / (randomName() + ".dup"));
    std::ofstream(flat / "notes.txt") << "not an image\n";
    std::ofstream(flat / "empty");
    ::mkfifo((flat / "pipe").c_str(), 0600);
    fs::create_symlink(flat / "nowhere", flat / "dangling");
    fs::create_directory_symlink(flat, flat / "loop");
    fs::copy_file(written.series[0].files[0], flat / "README.TXT"); // a DICOM file under any name
    // Two instances of one series sharing an instance number keep both.
    ZQDICOM edit;
    edit.setfilename(written.series[1].files[0]);
    const char uid[] = "1.2.826.0.1.3680043.2.1125.99.1";
    edit.SetTagString(0x0008, 0x0018, uid, sizeof uid - 1);
    ASSERT_TRUE(edit.SaveDICOMFile(0, (flat / "renumbered").string()));
    // DICOM without pixel data.
    ZQDICOM report;
    report.SetTagString(0x0008, 0x0060, "SR", 2);
    ASSERT_TRUE(report.SaveDICOMFile(0, (flat / "structured-report").string()));

    const fs::path data = work.path() / "data";
    ImportRequest request;
    request.sources = {flat.string()};
    request.dataFolder = data.string();
    request.dryRun = true;
    const ImportReport plan = runImport(request);
    ASSERT_EQ(plan.outcome, ImportReport::Outcome::Complete);
    EXPECT_FALSE(fs::exists(data)) << "a dry run writes nothing";

    request.dryRun = false;
    const ImportReport done = runImport(request);
    ASSERT_EQ(done.outcome, ImportReport::Outcome::Complete) << done.failure;
    EXPECT_EQ(done.imported, 13u);
    ASSERT_EQ(done.copies.size(), plan.copies.size());
    for (std::size_t index = 0; index < plan.copies.size(); ++index)
        EXPECT_EQ(done.copies[index].target, plan.copies[index].target);
    EXPECT_EQ(done.duplicates, 4u);          // 3 copies by name, README.TXT
    EXPECT_EQ(done.notDicom, 2u);            // notes.txt, empty
    EXPECT_EQ(done.noPixelData, 1u);
    EXPECT_EQ(done.notRegular, 1u);          // the pipe, never opened
    ASSERT_EQ(done.unreadable.size(), 1u);   // the dangling link
    EXPECT_EQ(done.unreadable[0].rfind((flat / "dangling").string(), 0), 0u);
    checkCopies(done, data);
    EXPECT_TRUE(fs::exists(data / "PID_001/20260105_1/SE004_MEDIASTINUM_5mm/IM00001.dcm"));
    EXPECT_TRUE(fs::exists(data / "PID_001/20260105_1/SE004_MEDIASTINUM_5mm/IM00001-2.dcm"));
    EXPECT_EQ(oracle("layout", data), "images 13 series 4 studies 3 patients 2\n");
    checkCatalogueAndRegistration(data);
    const std::string summary = summaryText(done, data.string(), false);
    EXPECT_EQ(summary.rfind("Imported 13 images into 4 series of 2 patients in " + data.string() + ".\n", 0), 0u)
        << summary;
    EXPECT_NE(summary.find("  4 copies of an image met before\n"), std::string::npos) << summary;
}

TEST(MediaImport, PydicomDicomdirSetImportsEveryImageItLists)
{
    const fs::path set = fs::path(VANTOR_REAL_DICOM_DIR) / "pydicom/test_files/dicomdirtests";
    if (!fs::exists(set / "DICOMDIR"))
        GTEST_SKIP() << "pydicom's test files are not installed (" << set << ")";
    TemporaryFolder work;
    const fs::path data = work.path() / "data";
    const ImportReport report = importInto({set.string()}, data);
    ASSERT_EQ(report.outcome, ImportReport::Outcome::Complete) << report.failure;
    EXPECT_EQ(report.imported, 31u);
    EXPECT_EQ(report.directoryFiles, 8u); // DICOMDIR, its five variants, the empty one and TINY_ALPHA's
    EXPECT_EQ(report.noPixelData, 50u);   // TINY_ALPHA's instances hold no pixel data
    EXPECT_EQ(report.notDicom, 2u);       // the README files
    EXPECT_TRUE(report.missingReferences.empty());
    checkCopies(report, data);
    EXPECT_EQ(oracle("layout", data), oracle("source", set));
    checkCatalogueAndRegistration(data);
    EXPECT_EQ(importInto({set.string()}, data).alreadyPresent, 31u);
}

// The default write function, failing like a full disk after the first half
// of the fourth file (the first of a new series folder).
WriteOutcome fullDiskAtFourthFile(int& calls, const std::string& source, const std::string& target)
{
    if (++calls < 4)
        return copyFileContents(source, target);
    const std::string bytes = fileBytes(source);
    std::ofstream(target, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 2));
    return {std::make_error_code(std::errc::no_space_on_device), false};
}

TEST(MediaImport, BadInputsGiveClearMessagesAndLeaveNothingHalfWritten)
{
    TemporaryFolder work;
    const fs::path source = work.path() / "source";
    ASSERT_TRUE(VantorSyntheticCT::DataSetWriter::write(twoPatients(5), source.string(), {}).ok);

    ImportReport inside = importInto({source.string()}, source / "data");
    EXPECT_EQ(inside.outcome, ImportReport::Outcome::Failed);
    EXPECT_EQ(inside.failure, "The data folder " + (source / "data").string() + " lies inside the source " +
                                  source.string() + ". Choose a data folder outside it.");
    EXPECT_FALSE(fs::exists(source / "data"));
    EXPECT_EQ(importInto({(work.path() / "absent").string()}, work.path() / "data").failure,
              "The source " + (work.path() / "absent").string() + " does not exist.");

    const fs::path data = work.path() / "data";
    int calls = 0;
    ImportRequest request;
    request.sources = {source.string()};
    request.dataFolder = data.string();
    request.writeFile = [&calls](const std::string& from, const std::string& to) {
        return fullDiskAtFourthFile(calls, from, to);
    };
    const ImportReport full = runImport(request);
    EXPECT_EQ(full.outcome, ImportReport::Outcome::Failed);
    EXPECT_EQ(full.imported, 3u);
    ASSERT_EQ(full.copies.size(), 3u);
    EXPECT_EQ(full.failure, "Writing " + (data / "PID_001/20260105_1/SE004_MEDIASTINUM_5mm/IM00001.dcm").string() +
                                " failed: No space left on device. The import stopped; 3 images were imported "
                                "before it, whole.");
    EXPECT_EQ(filesBelow(data), (std::vector<std::string>{"PID_001/20260105_1/SE003_CHEST_1.25/IM00001.dcm",
                                                         "PID_001/20260105_1/SE003_CHEST_1.25/IM00002.dcm",
                                                         "PID_001/20260105_1/SE003_CHEST_1.25/IM00003.dcm"}))
        << "no temporary file, no empty series folder";
    EXPECT_FALSE(fs::exists(data / "PID_001/20260105_1/SE004_MEDIASTINUM_5mm"));
    checkCatalogueAndRegistration(data);

    // Cancelled after two more files: they stay, whole.
    std::size_t copied = 0;
    const ImportReport cancelled = runImport({{source.string()}, data.string(), false, copyFileContents},
                                             [&copied](const ImportProgress& step) {
                                                 return step.stage != ImportProgress::Stage::Copying || ++copied <= 2;
                                             });
    EXPECT_EQ(cancelled.outcome, ImportReport::Outcome::Cancelled);
    EXPECT_EQ(cancelled.imported, 2u);
    EXPECT_EQ(cancelled.alreadyPresent, 3u);
    EXPECT_EQ(filesBelow(data).size(), 5u);
    checkCatalogueAndRegistration(data);

    const ImportReport rest = importInto({source.string()}, data);
    EXPECT_EQ(rest.outcome, ImportReport::Outcome::Complete);
    EXPECT_EQ(rest.imported, 7u);
    EXPECT_EQ(oracle("layout", data), oracle("source", source));
}

} // namespace
} // namespace vantor::importing
