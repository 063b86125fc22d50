// Real files with ISO 2022 names: the name reaches the reader as text in the
// folder chooser's catalogue and cache, the patient list and its CSV, and the report.

#include "TemporaryFolder.h"

#include "catalogue/CatalogueCacheReader.h"
#include "catalogue/frmSelectFolder.h"
#include "lists/PatientListCsv.h"
#include "lists/TagListBuilder.h"
#include "lists/frmPatientList.h"
#include "reading/ReadingRecordOperations.h"
#include "report/OutputReport.h"
#include "startup/WorkstationState.h"

#include <ZVDICOM/ZQDICOM.h>

#include <QTableWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace vantor {
namespace {

namespace fs = std::filesystem;

const fs::path kCharsetFiles = fs::path(VANTOR_REAL_DICOM_DIR) / "pydicom" / "charset_files";
// chrH31.dcm: "Yamada^Tarou=" then 山田^太郎 and やまだ^たろう in JIS X 0208.
const std::string kJapanese = "Yamada^Tarou=\xE5\xB1\xB1\xE7\x94\xB0^\xE5\xA4\xAA\xE9\x83\x8E="
                              "\xE3\x82\x84\xE3\x81\xBE\xE3\x81\xA0^\xE3\x81\x9F\xE3\x82\x8D\xE3\x81\x86";
// chrI2.dcm: "Hong^Gildong=" then 洪^吉洞 and 홍^길동 in KS X 1001.
const std::string kKorean = "Hong^Gildong=\xE6\xB4\xAA^\xE5\x90\x89\xE6\xB4\x9E=\xED\x99\x8D^\xEA\xB8\xB8\xEB\x8F\x99";

class QuietSelectFolder : public frmSelectFolder {
public:
    using frmSelectFolder::frmSelectFolder;
    QMessageBox::StandardButton askYesNo(const QString&) override { return QMessageBox::No; }
    void showMessage(const QString& text) override { ADD_FAILURE() << text.toStdString(); }
};

std::string commandOutput(const std::string& command)
{
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return output;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        output.append(chunk, got);
    EXPECT_EQ(::pclose(pipe), 0) << command;
    return output;
}

TEST(RealNames, JapaneseNameInTheChooserThePatientListAndTheReport)
{
    if (!fs::is_directory(kCharsetFiles))
        GTEST_SKIP() << kCharsetFiles << " is absent (scripts/setup.sh links pydicom's test files)";
    testing::TemporaryFolder root;
    fs::copy_file(kCharsetFiles / "chrH31.dcm", root.folder("P1/ST/SE") + "/1.dcm");
    fs::copy_file(kCharsetFiles / "chrI2.dcm", root.folder("P2/ST/SE") + "/1.dcm");
    ZQDICOM dicom;

    // Names hidden: the chooser keeps the real names for the patient list.
    QuietSelectFolder hidden(dicom);
    hidden.setPersonalDisp(0);
    hidden.setFolder(QString::fromStdString(root.path()));
    hidden.ok();
    ASSERT_TRUE(hidden.Success());
    ASSERT_TRUE(hidden.displayNames().has_value());
    const DisplayNameTable& names = *hidden.displayNames();
    EXPECT_EQ(names[0].RealName, kJapanese);
    EXPECT_EQ(names[0].RealID, "H31EXAMPLE");
    EXPECT_EQ(names[1].RealName, kKorean);
    EXPECT_EQ(hidden.catalogue().Patients[0].PatientName, "Patient_00001");
    const auto cache = CatalogueCacheReader::read(root.path() + ".xml");
    ASSERT_TRUE(cache.complete);
    EXPECT_EQ(cache.catalogue.Patients[0].PatientName, kJapanese);
    EXPECT_EQ(cache.catalogue.Patients[1].PatientName, kKorean);

    frmPatientList list(names);
    EXPECT_EQ(list.grdPatientList()->item(0, 1)->text(), QString::fromUtf8(kJapanese.c_str()));
    EXPECT_EQ(list.grdPatientList()->item(1, 1)->text(), QString::fromUtf8(kKorean.c_str()));
    EXPECT_NE(patientListCsv(names).find("Patient_00001," + kJapanese + ",H31EXAMPLE\r\n"), std::string::npos);

    // Names shown: the catalogue holds them, and the report takes them from the reading records.
    QuietSelectFolder shown(dicom);
    shown.setPersonalDisp(1);
    shown.setFolder(QString::fromStdString(root.path()));
    shown.ok();
    ASSERT_TRUE(shown.Success());
    const Catalogue& catalogue = shown.catalogue();
    ASSERT_EQ(catalogue.PatientCount(), 2);
    EXPECT_EQ(catalogue.Patients[0].PatientName, kJapanese);
    Readings readings(2);
    for (int p = 0; p < 2; ++p) {
        ClearReading(readings[static_cast<std::size_t>(p)]);
        readings[static_cast<std::size_t>(p)].PatientName = catalogue.Patients[static_cast<std::size_t>(p)].PatientName;
    }
    WorkstationState state;
    state.AppDir = std::string(VANTOR_SOURCE_DIR) + "/data/";
    const std::string report = root.path() + "/report.xlsx";
    const ReportOutcome outcome = OutputReport(readings, catalogue, state, report);
    ASSERT_TRUE(outcome.Success) << outcome.Message;
    // Read back by openpyxl: the sheet names and each form sheet's name cell.
    const std::string script = "import openpyxl, sys\n"
                               "book = openpyxl.load_workbook(sys.argv[1])\n"
                               "for sheet in book.worksheets[1:]:\n"
                               "    print(sheet.title + '|' + str(sheet['D3'].value))\n";
    const std::string output = commandOutput("PYTHONIOENCODING=utf-8 /usr/bin/python3 -c \"" + script + "\" '" +
                                             report + "'");
    EXPECT_NE(output.find("|" + kJapanese + "\n"), std::string::npos) << output;
    EXPECT_NE(output.find("|" + kKorean + "\n"), std::string::npos) << output;
}

TEST(RealNames, TagListShowsTextValuesDecoded)
{
    if (!fs::is_directory(kCharsetFiles))
        GTEST_SKIP() << kCharsetFiles << " is absent (scripts/setup.sh links pydicom's test files)";
    ZQDICOM dicom;
    TagListBuilder builder(VANTOR_SOURCE_DIR "/data/");
    const std::vector<std::string> lines = builder.lines(dicom, (kCharsetFiles / "chrH31.dcm").string());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "(0010,0010) PatientName                   " + kJapanese),
              lines.end());
    // The published member still hands out the stored bytes.
    std::string stored(128, '\0');
    ASSERT_TRUE(dicom.GetTagString(0x0010, 0x0010, stored, 128));
    EXPECT_EQ(stored.substr(0, 16), "Yamada^Tarou=\x1B$B");
}

} // namespace
} // namespace vantor
