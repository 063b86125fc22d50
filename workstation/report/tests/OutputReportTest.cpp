#include "ReportTestSupport.h"

#include "report/CellAddress.h"
#include "report/OutputReport.h"
#include "report/ReportSummaryRow.h"
#include "startup/WorkstationState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace vantor;
using namespace vantor::test;

namespace {

// The workbook as this project's reader sees it, in the same shape as openpyxl's view.
WorkbookReading readWithOwnReader(const Workbook& book)
{
    WorkbookReading reading;
    reading.sheets = book.sheetNames();
    for (int s = 0; s < book.sheetCount(); ++s) {
        const Worksheet& sheet = book.sheet(s);
        for (const auto& [row, column] : sheet.cellPositions()) {
            const Cell* c = sheet.cell(row, column);
            CellReading r;
            r.boxed = book.styles().isBoxed(c->style);
            if (c->kind == Cell::Kind::Text) {
                r.kind = "str";
                r.value = c->text;
            } else if (c->kind == Cell::Kind::Number) {
                r.kind = c->number == std::floor(c->number) ? "int" : "float";
                r.value = r.kind == "int" ? std::to_string(static_cast<long long>(c->number)) : std::to_string(c->number);
            } else if (!r.boxed)
                continue;
            reading.cells[{book.sheetName(s), CellAddress::reference(row, column)}] = r;
        }
    }
    return reading;
}

std::set<std::string> boxedCells(const WorkbookReading& reading, const std::string& sheet)
{
    std::set<std::string> boxed;
    for (const auto& [key, cell] : reading.cells)
        if (key.first == sheet && cell.boxed)
            boxed.insert(key.second);
    return boxed;
}

std::set<std::string> crossedCells(const WorkbookReading& reading, const std::string& sheet)
{
    std::set<std::string> crossed;
    for (const auto& [key, cell] : reading.cells)
        if (key.first == sheet && cell.value == "x")
            crossed.insert(key.second);
    return crossed;
}

std::set<std::string> refs(std::initializer_list<const char*> list)
{
    return std::set<std::string>(list.begin(), list.end());
}

const std::string FirstName = "YAMADA^TARO";
const std::string UnreadName = "SATO^JIRO";
const std::string SecondName = "山田^花子";

// Summary columns that hold numbers; all others hold texts.
bool isNumberColumn(int column)
{
    const auto in = [&](int first, int last) { return column >= first && column <= last; };
    return column == 1 || in(13, 19) || in(24, 30) || in(33, 39) || in(41, 47) || in(49, 55) || in(58, 63) ||
           in(71, 77) || column == 79 || in(82, 84);
}

std::vector<std::string> expectedFirstRow()
{
    std::vector<std::string> v = {"1", FirstName, "00123", "ACME", "CT-1", "2020/01/02 10:11:12", "No", "Yes",
                                  "Yes", "Yes", "No", "Q", "0", "2", "1", "0", "0", "3", "6", "No", "No", "No",
                                  "None"};
    v.insert(v.end(), 7, "0");                                                   // 24-30
    v.insert(v.end(), {"Yes", "Yes", "1", "1", "1", "1", "1", "1", "6", "No"}); // 31-40
    v.insert(v.end(), 7, "0");                                                   // 41-47
    v.insert(v.end(), {"Yes", "3", "0", "0", "0", "0", "2", "5", "Yes", "C", "1", "0", "0", "1", "0", "0", "RO",
                       "Yes", "Yes", "No", "No", "Yes", "D", "0", "1", "0", "0", "1", "0", "2", "c", "1", "0",
                       "Yes", "1", "0", "1", "BR:CA:SC", "Nodules in both upper zones & <pleural> plaques",
                       "2026/12/07", "", "Dr. Suzuki"});
    return v;
}

std::vector<std::string> expectedSecondRow()
{
    std::vector<std::string> v = {"2", SecondName, "", "", "", "", "Yes", "No", "No", "No", "No", "None"};
    v.insert(v.end(), 7, "0");
    v.insert(v.end(), {"No", "No", "No", "None"});
    v.insert(v.end(), 7, "0");
    v.insert(v.end(), {"No", "No"});
    v.insert(v.end(), 7, "0");
    v.push_back("No");
    v.insert(v.end(), 7, "0");
    v.push_back("No");
    v.insert(v.end(), 7, "0");
    v.insert(v.end(), {"No", "None"});
    v.insert(v.end(), 6, "0");
    v.insert(v.end(), {"None", "No", "No", "No", "No", "No", "None"});
    v.insert(v.end(), 6, "0");
    v.insert(v.end(), {"0", "0", "0", "0", "No", "0", "0", "0", "None", "", "", "", ""});
    return v;
}

// Every expectation of the two-reading report, checked on one reader's view.
void checkTwoReadingReport(const WorkbookReading& book, const std::string& reader)
{
    SCOPED_TRACE(reader);
    ASSERT_EQ(book.sheets, (std::vector<std::string>{"PA_List", FirstName, SecondName}));

    const auto value = [&](const std::string& sheet, const std::string& ref) {
        const CellReading* c = book.cell(sheet, ref);
        return c ? c->value : std::string();
    };
    // Summary rows: every column's value and its type.
    for (const auto& [row, expected] : {std::pair{6, expectedFirstRow()}, std::pair{7, expectedSecondRow()}}) {
        ASSERT_EQ(expected.size(), std::size_t(SummaryColumnCount));
        for (int column = 1; column <= SummaryColumnCount; ++column) {
            const std::string ref = CellAddress::reference(row, column);
            SCOPED_TRACE(ref);
            const CellReading* c = book.cell("PA_List", ref);
            const std::string& want = expected[static_cast<std::size_t>(column - 1)];
            EXPECT_EQ(c ? c->value : std::string(), want);
            if (c && !want.empty()) {
                EXPECT_EQ(c->kind, isNumberColumn(column) ? "int" : "str");
            }
        }
    }
    EXPECT_EQ(value("PA_List", "A8"), "") << "the unread patient has no row";
    EXPECT_EQ(value("PA_List", "B5"), "Name") << "template headings stay";

    // First form sheet: texts, sums, boxes and crosses.
    const std::string& a = FirstName;
    EXPECT_EQ(value(a, "D3"), FirstName);
    EXPECT_EQ(value(a, "D4"), "00123");
    EXPECT_EQ(value(a, "D5"), "ACME");
    EXPECT_EQ(value(a, "D6"), "CT-1");
    EXPECT_EQ(value(a, "R3"), "2020/01/02 10:11:12");
    EXPECT_EQ(value(a, "B61"), "Nodules in both upper zones & <pleural> plaques");
    EXPECT_EQ(value(a, "C66"), "2026/12/07");
    EXPECT_EQ(value(a, "K66"), "Dr. Suzuki");
    EXPECT_EQ(value(a, "K67"), "");
    EXPECT_EQ(value(a, "T18"), "6");
    EXPECT_EQ(value(a, "T26"), "0");
    EXPECT_EQ(value(a, "T34"), "6");
    EXPECT_EQ(value(a, "J42"), "0");
    EXPECT_EQ(value(a, "T42"), "5");
    EXPECT_EQ(value(a, "B3"), "Name") << "template labels stay";
    EXPECT_EQ(boxedCells(book, a),
              refs({"K10", "I12", "G15", "G16", "F17", "M15", "O16", "N17", "Q15", "Q16", "T17", // rounded
                    "H20", "F23", "F24", "M23", "M24", "M25", "Q23", "Q24", "Q25",              // irregular
                    "I28", "S28", "N31", "N32", "N33", "R31", "R32", "R33",                     // ground glass
                    "H36", "C39", "C40", "C41", "G39", "G40", "G41",                            // honeycombing
                    "S36", "P39", "M40", "M41", "Q39", "Q40", "S41",                            // emphysema
                    "I44", "F49", "M46", "V16", "V18", "V33",                                   // large, predominant, symbols
                    "I51", "F53", "E54", "E55", "F56", "Q55", "R56", "T55", "S56",              // pleural
                    "I58", "L59", "N59"}));                                                     // calcification
    EXPECT_EQ(crossedCells(book, a), refs({"I16", "I47", "J48", "H56", "L54", "K56"}));

    // Second form sheet: a cleared reading.
    const std::string& b = SecondName;
    EXPECT_EQ(value(b, "D3"), SecondName);
    EXPECT_EQ(value(b, "R3"), "");
    EXPECT_EQ(value(b, "T18"), "0");
    EXPECT_EQ(boxedCells(book, b),
              refs({"J10", "H12", "F15", "F16", "F17", "M15", "M16", "M17", "Q15", "Q16", "Q17", "H20", "F23",
                    "F24", "M23", "M24", "M25", "Q23", "Q24", "Q25", "H28", "R28", "M31", "M32", "M33", "Q31",
                    "Q32", "Q33", "H36", "C39", "C40", "C41", "G39", "G40", "G41", "R36", "M39", "M40", "M41",
                    "Q39", "Q40", "Q41", "H44", "V13", "H51", "E53", "E54", "E55", "E56", "O55", "O56", "S55",
                    "S56", "H58"}));
    EXPECT_TRUE(crossedCells(book, b).empty());
}

class OutputReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(templateBook.loadFile(templatePath(), error)) << error;
        state.AppDir = std::string(VANTOR_SOURCE_DIR) + "/data/";
        state.ReaderName = "Dr. Suzuki";
        state.ReadingDate = "2026/12/07";
    }

    Workbook build(const Readings& readings, const Catalogue& catalogue)
    {
        std::string error;
        auto report = BuildReport(templateBook, readings, catalogue, error);
        EXPECT_TRUE(report) << error;
        return report ? std::move(*report) : Workbook();
    }

    Workbook templateBook;
    WorkstationState state;
    ScratchFolder folder;
};

} // namespace

TEST_F(OutputReportTest, TwoReadingsReadBackByOwnReaderAndOpenpyxl)
{
    const Catalogue catalogue = catalogueOf({FirstName, UnreadName, SecondName});
    Readings readings = {fullReading(), ReadingRecord{}, clearedRecord(SecondName)};
    ClearReading(readings[1]); // a fresh record: no patient name, so no reading

    const std::string file = folder.file("report.xlsx");
    const ReportOutcome outcome = OutputReport(readings, catalogue, state, file);
    ASSERT_TRUE(outcome.Success) << outcome.Message;
    EXPECT_EQ(outcome.ReadPatients, 2);
    EXPECT_EQ(outcome.FormSheets, 2);

    Workbook written;
    std::string error;
    ASSERT_TRUE(written.loadFile(file, error)) << error;
    checkTwoReadingReport(readWithOwnReader(written), "own reader");

    // The summary's data rows take the cell formats of the template's row 6.
    const int templateSummary = templateBook.sheetIndex("PA_List");
    for (int column = 1; column <= SummaryColumnCount; ++column)
        EXPECT_EQ(written.sheet(0).style(7, column), templateBook.sheet(templateSummary).style(6, column)) << column;

    std::string failure;
    const auto independent = readWithOpenpyxl(file, failure);
    if (!independent) {
        ASSERT_TRUE(failure.empty()) << failure;
        if (std::system("command -v unzip > /dev/null 2>&1") == 0) {
            EXPECT_EQ(std::system(("unzip -tq '" + file + "' > /dev/null 2>&1").c_str()), 0);
        }
        GTEST_SKIP() << "python3-openpyxl is not installed: only the archive was checked independently";
    }
    checkTwoReadingReport(*independent, "openpyxl");
}

TEST_F(OutputReportTest, FolderWithoutReadingsGivesSummaryAndOneFormSheetNamedAfterTheLastPatient)
{
    const Catalogue catalogue = catalogueOf({"A^ONE", "B^TWO"});
    Readings readings(2);
    const Workbook report = build(readings, catalogue);
    EXPECT_EQ(report.sheetNames(), (std::vector<std::string>{"PA_List", "B^TWO"}));
    const WorkbookReading reading = readWithOwnReader(report);
    EXPECT_EQ(reading.cell("PA_List", "A6"), nullptr);
    EXPECT_EQ(reading.cell("B^TWO", "D3"), nullptr);
    EXPECT_TRUE(boxedCells(reading, "B^TWO").empty());
}

TEST_F(OutputReportTest, UnreadLastPatientsLeaveOneEmptySheetWithTheLastName)
{
    const Catalogue catalogue = catalogueOf({"A^ONE", "B^TWO", "C^THREE", "D^FOUR"});
    Readings readings = {clearedRecord("A^ONE"), clearedRecord("B^TWO"), ReadingRecord{}, ReadingRecord{}};
    const Workbook report = build(readings, catalogue);
    EXPECT_EQ(report.sheetNames(), (std::vector<std::string>{"PA_List", "A^ONE", "B^TWO", "D^FOUR"}));
    const WorkbookReading reading = readWithOwnReader(report);
    EXPECT_EQ(reading.cell("D^FOUR", "D3"), nullptr);
    EXPECT_TRUE(boxedCells(reading, "D^FOUR").empty());
    EXPECT_EQ(reading.cell("PA_List", "A7")->value, "2");
    EXPECT_EQ(reading.cell("PA_List", "A8"), nullptr);
    EXPECT_EQ(report.activeSheet(), 3);
}

TEST_F(OutputReportTest, SkippedPatientsDoNotAdvanceTheRowCounter)
{
    const Catalogue catalogue = catalogueOf({"A", "B", "C", "D"});
    Readings readings = {ReadingRecord{}, clearedRecord("B"), ReadingRecord{}, clearedRecord("D")};
    readings[2].PatientName = "   "; // blanks only: still no reading
    const WorkbookReading reading = readWithOwnReader(build(readings, catalogue));
    EXPECT_EQ(reading.sheets, (std::vector<std::string>{"PA_List", "B", "D"}));
    EXPECT_EQ(reading.cell("PA_List", "A6")->value, "1");
    EXPECT_EQ(reading.cell("PA_List", "B6")->value, "B");
    EXPECT_EQ(reading.cell("PA_List", "A7")->value, "2");
    EXPECT_EQ(reading.cell("PA_List", "B7")->value, "D");
}

TEST_F(OutputReportTest, SymbolListJoinsCodesWithColons)
{
    ReadingRecord record = clearedRecord("X");
    EXPECT_EQ(SymbolList(record), "None");
    record.Symbol = {};
    EXPECT_EQ(SymbolList(record), "");
    record.Symbol[3] = record.Symbol[5] = record.Symbol[20] = 1;
    EXPECT_EQ(SymbolList(record), "BR:CA:SC");
    record.Symbol[23] = 1; // the unused slot is no symbol
    EXPECT_EQ(SymbolList(record), "BR:CA:SC");
}

TEST_F(OutputReportTest, PatientNamesBecomeSheetNamesASpreadsheetAccepts)
{
    const std::string longName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ^ABCDEFGHIJ";
    const Catalogue catalogue = catalogueOf({"SAME^NAME", "SAME^NAME", "A/B:C?", longName, "PA_List", ""});
    Readings readings;
    for (const auto& patient : catalogue.Patients)
        readings.push_back(clearedRecord(patient.PatientName.empty() ? "anonymous" : patient.PatientName));
    const Workbook report = build(readings, catalogue);
    EXPECT_EQ(report.sheetNames(),
              (std::vector<std::string>{"PA_List", "SAME^NAME", "SAME^NAME (2)", "A_B_C_", longName.substr(0, 31),
                                        "PA_List (2)", "Patient 6"}));
}

TEST_F(OutputReportTest, DamagedRecordsNeitherCrashNorMarkOutsideTheSheet)
{
    ReadingRecord record = clearedRecord("BROKEN");
    record.Findings = -32768;
    record.RoundGrade[0] = 32767;
    record.LargeSize = -20;
    record.Comment.data()[0] = '\x01'; // control character: XML cannot carry it
    record.Comment.data()[1] = '\xFF'; // not UTF-8
    record.ReaderName.data()[0] = 'A'; // rest stays NUL
    const Catalogue catalogue = catalogueOf({"BROKEN"});
    const std::string file = folder.file("broken.xlsx");
    std::string error;
    const ReportOutcome outcome = OutputReport({record}, catalogue, state, file);
    ASSERT_TRUE(outcome.Success) << outcome.Message;
    Workbook written;
    ASSERT_TRUE(written.loadFile(file, error)) << error;
    const Worksheet& form = written.sheet(1);
    EXPECT_EQ(form.cell(66, 11)->text, "A");
    EXPECT_EQ(form.cell(61, 2)->text.substr(0, 3), "\xEF\xBF\xBD");
    std::string failure;
    const auto independent = readWithOpenpyxl(file, failure);
    EXPECT_TRUE(independent || failure.empty()) << failure;
}

TEST_F(OutputReportTest, MoreRecordsThanPatientsOrFewerAreTolerated)
{
    const Workbook fewer = build({clearedRecord("A")}, catalogueOf({"A", "B", "C"}));
    EXPECT_EQ(fewer.sheetNames(), (std::vector<std::string>{"PA_List", "A", "C"}));
    const Workbook more = build({clearedRecord("A"), clearedRecord("B")}, catalogueOf({"A"}));
    EXPECT_EQ(more.sheetNames(), (std::vector<std::string>{"PA_List", "A"}));
}

TEST_F(OutputReportTest, FailuresAreReportedAndLeaveAnExistingFileAlone)
{
    const Catalogue catalogue = catalogueOf({"A"});
    const Readings readings = {clearedRecord("A")};

    WorkstationState noTemplate = state;
    noTemplate.AppDir = folder.file("nowhere") + "/";
    ReportOutcome outcome = OutputReport(readings, catalogue, noTemplate, folder.file("a.xlsx"));
    EXPECT_FALSE(outcome.Success);
    EXPECT_NE(outcome.Message.find("ReportSample.xlsx\" is missing"), std::string::npos) << outcome.Message;

    // A template that is no workbook.
    WorkstationState badTemplate = state;
    badTemplate.AppDir = folder.file("") ;
    {
        std::ofstream(folder.file("ReportSample.xlsx")) << "not a workbook";
    }
    outcome = OutputReport(readings, catalogue, badTemplate, folder.file("a.xlsx"));
    EXPECT_FALSE(outcome.Success);
    EXPECT_NE(outcome.Message.find("cannot be read"), std::string::npos) << outcome.Message;

    // A destination folder that does not exist.
    outcome = OutputReport(readings, catalogue, state, folder.file("missing/folder/a.xlsx"));
    EXPECT_FALSE(outcome.Success);
    EXPECT_NE(outcome.Message.find("could not be written"), std::string::npos) << outcome.Message;
    EXPECT_FALSE(std::filesystem::exists(folder.file("a.xlsx")));

    // The template itself is never overwritten.
    const std::string before = readFile(templatePath());
    outcome = OutputReport(readings, catalogue, state, templatePath());
    EXPECT_FALSE(outcome.Success);
    EXPECT_NE(outcome.Message.find("over its template"), std::string::npos) << outcome.Message;
    EXPECT_EQ(readFile(templatePath()), before);

    // A failed save leaves the earlier report whole.
    const std::string earlier = folder.file("earlier.xlsx");
    ASSERT_TRUE(OutputReport(readings, catalogue, state, earlier).Success);
    const std::string earlierBytes = readFile(earlier);
    std::filesystem::permissions(folder.file(""), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const bool writable = std::ofstream(folder.file("probe")).good(); // root writes anyway
    outcome = OutputReport({clearedRecord("A"), clearedRecord("B")}, catalogueOf({"A", "B"}), state, earlier);
    std::filesystem::permissions(folder.file(""), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    if (!writable) {
        EXPECT_FALSE(outcome.Success);
        EXPECT_EQ(readFile(earlier), earlierBytes);
    }
}

TEST_F(OutputReportTest, TemplateWithoutItsSheetsIsRefused)
{
    Workbook partial = templateBook.emptyCopy();
    partial.insertSheet(0, "PA_List", templateBook.sheet(0));
    std::string error;
    EXPECT_FALSE(BuildReport(partial, {}, catalogueOf({}), error));
    EXPECT_EQ(error, "The report template has no sheet \"改定案\".");
}

TEST_F(OutputReportTest, ShippedTemplateIsWhatItsGeneratorMakes)
{
    const std::string script = std::string(VANTOR_SOURCE_DIR) + "/workstation/report/template/make_report_template.py";
    const std::string made = folder.file("made.xlsx");
    const std::string command = "/usr/bin/python3 '" + script + "' '" + made + "' > /dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "the template generator needs /usr/bin/python3 with python3-openpyxl";
    Workbook regenerated;
    std::string error;
    ASSERT_TRUE(regenerated.loadFile(made, error)) << error;
    const WorkbookReading shipped = readWithOwnReader(templateBook);
    const WorkbookReading fresh = readWithOwnReader(regenerated);
    EXPECT_EQ(fresh.sheets, shipped.sheets);
    ASSERT_EQ(fresh.cells.size(), shipped.cells.size());
    for (const auto& [key, cell] : shipped.cells) {
        const CellReading* other = fresh.cell(key.first, key.second);
        ASSERT_NE(other, nullptr) << key.first << "!" << key.second;
        EXPECT_EQ(other->value, cell.value) << key.first << "!" << key.second;
    }
}
