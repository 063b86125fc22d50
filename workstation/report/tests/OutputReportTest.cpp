#include "ReportTestSupport.h"

#include "report/CellAddress.h"
#include "report/OutputReport.h"
#include "report/ReportSummaryRow.h"
#include "report/ZipReader.h"
#include "report/ZipWriter.h"
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
const std::string ThirdName = "MÜLLER^JÖRG";

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

std::string valueOf(const WorkbookReading& book, const std::string& sheet, const std::string& ref)
{
    const CellReading* c = book.cell(sheet, ref);
    return c ? c->value : std::string();
}

// Every column of a summary row: its value and its type.
void checkSummaryRow(const WorkbookReading& book, int row, const std::vector<std::string>& expected)
{
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

// The texts and sums of the fully read patient's form sheet.
void checkFullFormValues(const WorkbookReading& book, const std::string& a)
{
    const auto value = [&](const char* ref) { return valueOf(book, a, ref); };
    EXPECT_EQ(value("D3"), FirstName);
    EXPECT_EQ(value("D4"), "00123");
    EXPECT_EQ(value("D5"), "ACME");
    EXPECT_EQ(value("D6"), "CT-1");
    EXPECT_EQ(value("R3"), "2020/01/02 10:11:12");
    EXPECT_EQ(value("B61"), "Nodules in both upper zones & <pleural> plaques");
    EXPECT_EQ(value("C66"), "2026/12/07");
    EXPECT_EQ(value("K66"), "Dr. Suzuki");
    EXPECT_EQ(value("K67"), "");
    EXPECT_EQ(value("T18"), "6");
    EXPECT_EQ(value("T26"), "0");
    EXPECT_EQ(value("T34"), "6");
    EXPECT_EQ(value("J42"), "0");
    EXPECT_EQ(value("T42"), "5");
    EXPECT_EQ(value("B3"), "Name") << "template labels stay";
    EXPECT_EQ(crossedCells(book, a), refs({"I16", "I47", "J48", "H56", "L54", "K56"}));
}

// The values of a cleared reading's form sheet.
void checkClearedFormValues(const WorkbookReading& book, const std::string& b)
{
    EXPECT_EQ(valueOf(book, b, "D3"), b);
    EXPECT_EQ(valueOf(book, b, "R3"), "");
    EXPECT_EQ(valueOf(book, b, "T18"), "0");
    EXPECT_EQ(valueOf(book, b, "B3"), "Name");
    EXPECT_TRUE(crossedCells(book, b).empty());
}

// Every expectation of the two-reading report, checked on one reader's view.
void checkTwoReadingReport(const WorkbookReading& book, const std::string& reader)
{
    SCOPED_TRACE(reader);
    ASSERT_EQ(book.sheets, (std::vector<std::string>{"PA_List", FirstName, SecondName}));
    checkSummaryRow(book, 6, expectedFirstRow());
    checkSummaryRow(book, 7, expectedSecondRow());
    EXPECT_EQ(valueOf(book, "PA_List", "A8"), "") << "the unread patient has no row";
    EXPECT_EQ(valueOf(book, "PA_List", "B5"), "Name") << "template headings stay";

    // First form sheet: texts, sums, boxes and crosses.
    const std::string& a = FirstName;
    checkFullFormValues(book, a);
    EXPECT_EQ(boxedCells(book, a),
              refs({"K10", "I12", "G15", "G16", "F17", "M15", "O16", "N17", "Q15", "Q16", "T17", // rounded
                    "H20", "F23", "F24", "M23", "M24", "M25", "Q23", "Q24", "Q25",              // irregular
                    "I28", "S28", "N31", "N32", "N33", "R31", "R32", "R33",                     // ground glass
                    "H36", "C39", "C40", "C41", "G39", "G40", "G41",                            // honeycombing
                    "S36", "P39", "M40", "M41", "Q39", "Q40", "S41",                            // emphysema
                    "I44", "F49", "M46", "V16", "V18", "V33",                                   // large, predominant, symbols
                    "I51", "F53", "E54", "E55", "F56", "Q55", "R56", "T55", "S56",              // pleural
                    "I58", "L59", "N59"}));                                                     // calcification

    // Second form sheet: a cleared reading.
    const std::string& b = SecondName;
    checkClearedFormValues(book, b);
    EXPECT_EQ(boxedCells(book, b),
              refs({"J10", "H12", "F15", "F16", "F17", "M15", "M16", "M17", "Q15", "Q16", "Q17", "H20", "F23",
                    "F24", "M23", "M24", "M25", "Q23", "Q24", "Q25", "H28", "R28", "M31", "M32", "M33", "Q31",
                    "Q32", "Q33", "H36", "C39", "C40", "C41", "G39", "G40", "G41", "R36", "M39", "M40", "M41",
                    "Q39", "Q40", "Q41", "H44", "V13", "H51", "E53", "E54", "E55", "E56", "O55", "O56", "S55",
                    "S56", "H58"}));
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

    // A failed save leaves the earlier report whole. A name at the file
    // system's length limit leaves no room for the temporary file, a failure
    // that no privilege gets round.
    const std::string earlier = folder.file(std::string(250, 'e') + ".xlsx");
    ASSERT_TRUE(OutputReport(readings, catalogue, state, folder.file("earlier.xlsx")).Success);
    std::filesystem::rename(folder.file("earlier.xlsx"), earlier);
    const std::string earlierBytes = readFile(earlier);
    outcome = OutputReport({clearedRecord("A"), clearedRecord("B")}, catalogueOf({"A", "B"}), state, earlier);
    EXPECT_FALSE(outcome.Success);
    EXPECT_NE(outcome.Message.find("could not be written"), std::string::npos) << outcome.Message;
    EXPECT_EQ(readFile(earlier), earlierBytes);
}

TEST_F(OutputReportTest, DamagedTemplatesAreRefusedWithTheirMessages)
{
    const std::string good = readFile(templatePath());
    ZipReader zip;
    ASSERT_TRUE(zip.open(good));
    // The template's package again, with one part replaced.
    const auto replaced = [&](const std::string& part, const std::string& content) {
        ZipWriter writer;
        for (const std::string& name : zip.names())
            writer.add(name, name == part ? content : *zip.read(name));
        return writer.finish();
    };
    const std::string workbookXml = *zip.read("xl/workbook.xml");
    std::string renamed = workbookXml;
    renamed.replace(renamed.find("改定案"), std::string("改定案").size(), "Form");
    const std::string sheetXml = *zip.read("xl/worksheets/sheet1.xml");

    WorkstationState damaged = state;
    damaged.AppDir = folder.file("");
    const std::string path = folder.file(ReportTemplateFileName);
    const std::string prefix = "The report template \"" + path + "\" cannot be read:\r";
    for (const auto& [bytes, message] :
         {std::pair{good.substr(0, good.size() / 2), prefix},
          std::pair{replaced("xl/worksheets/sheet1.xml", sheetXml.substr(0, sheetXml.size() / 2)),
                    prefix + "xl/worksheets/sheet1.xml: "},
          std::pair{replaced("xl/workbook.xml", renamed),
                    std::string("The report template has no sheet \"改定案\".\r") + path}}) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        const ReportOutcome outcome = OutputReport({clearedRecord("A")}, catalogueOf({"A"}), damaged,
                                                   folder.file("out.xlsx"));
        EXPECT_FALSE(outcome.Success);
        EXPECT_EQ(outcome.Message.substr(0, message.size()), message) << outcome.Message;
        EXPECT_GT(outcome.Message.size(), prefix.size()) << "the reason is given";
        EXPECT_FALSE(std::filesystem::exists(folder.file("out.xlsx")));
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

TEST_F(OutputReportTest, LibreOfficeOpensTheReportCleanAndReadsEveryValue)
{
    // Three read patients (every finding, a Japanese name, an accented name),
    // and a 300-patient report, opened in one LibreOffice session.
    const std::string small = folder.file("three.xlsx");
    const Catalogue catalogue = catalogueOf({FirstName, SecondName, ThirdName});
    ASSERT_TRUE(OutputReport({fullReading(), clearedRecord(SecondName), clearedRecord(ThirdName)}, catalogue, state,
                             small)
                    .Success);
    std::vector<std::string> names;
    Readings many;
    for (int i = 1; i <= 300; ++i) {
        names.push_back("PATIENT^" + std::to_string(i));
        many.push_back(fullReading());
        many.back().PatientName = names.back();
    }
    const std::string large = folder.file("three-hundred.xlsx");
    ASSERT_TRUE(OutputReport(many, catalogueOf(names), state, large).Success);

    std::string failure;
    const auto opened = readWithLibreOffice(folder.file(""), {small, large}, failure);
    if (!opened) {
        ASSERT_TRUE(failure.empty()) << failure;
        GTEST_SKIP() << "LibreOffice Calc with python3-uno is not installed";
    }
    ASSERT_EQ(opened->count(small), 1U);
    ASSERT_EQ(opened->count(large), 1U);
    const LibreOfficeReading& three = opened->at(small);
    EXPECT_EQ(three.problems, "") << "LibreOffice asked questions while loading";
    const WorkbookReading& book = three.book;
    ASSERT_EQ(book.sheets, (std::vector<std::string>{"PA_List", FirstName, SecondName, ThirdName}));
    checkSummaryRow(book, 6, expectedFirstRow());
    checkSummaryRow(book, 7, expectedSecondRow());
    std::vector<std::string> third = expectedSecondRow();
    third[0] = "3";
    third[1] = ThirdName;
    checkSummaryRow(book, 8, third);
    EXPECT_EQ(valueOf(book, "PA_List", "A9"), "");
    EXPECT_EQ(valueOf(book, "PA_List", "B5"), "Name");
    checkFullFormValues(book, FirstName);
    checkClearedFormValues(book, SecondName);
    checkClearedFormValues(book, ThirdName);

    const LibreOfficeReading& hundreds = opened->at(large);
    EXPECT_EQ(hundreds.problems, "");
    ASSERT_EQ(hundreds.book.sheets.size(), 301U);
    EXPECT_EQ(valueOf(hundreds.book, "PA_List", "A305"), "300");
    EXPECT_EQ(valueOf(hundreds.book, "PATIENT^300", "D3"), "PATIENT^300");
    RecordProperty("libreoffice_seconds_300_patients", std::to_string(hundreds.seconds));
    std::printf("LibreOffice opened the 300-patient report in %.2f s\n", hundreds.seconds);
}
