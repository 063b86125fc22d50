#include "report/OutputReport.h"

#include "catalogue/Catalogue.h"
#include "report/ReportFormSheet.h"
#include "report/ReportSummaryRow.h"
#include "report/SheetNaming.h"
#include "startup/WorkstationState.h"

#include <filesystem>

namespace vantor {

std::optional<Workbook> BuildReport(const Workbook& templateBook, const Readings& readings,
                                    const Catalogue& catalogue, std::string& error, ReportOutcome* counts)
{
    const int summaryIndex = templateBook.sheetIndex(SummarySheetName);
    const int formIndex = templateBook.sheetIndex(FormSheetName);
    for (const auto& [index, name] : {std::pair{summaryIndex, SummarySheetName}, std::pair{formIndex, FormSheetName}}) {
        if (index < 0) {
            error = std::string("The report template has no sheet \"") + name + "\".";
            return std::nullopt;
        }
    }
    const Worksheet& formTemplate = templateBook.sheet(formIndex);

    Workbook report = templateBook.emptyCopy();
    report.insertSheet(0, SummarySheetName, templateBook.sheet(summaryIndex));
    int form = report.insertSheet(1, FormSheetName, formTemplate);
    report.setActiveSheet(form);

    // The format row as the template has it, before the first patient's row overwrites it.
    std::array<int, SummaryColumnCount> rowFormats{};
    for (int column = 1; column <= SummaryColumnCount; ++column)
        rowFormats[static_cast<std::size_t>(column - 1)] = report.sheet(0).style(SummaryFormatRow, column);

    int readCount = 0;
    int formSheets = 1;
    const int patientCount = catalogue.PatientCount();
    for (int p = 0; p < patientCount; ++p) {
        // The current form sheet takes each patient's name in turn, so a sheet
        // left over after the last read patient carries the last name.
        const std::string fallback = "Patient " + std::to_string(p + 1);
        report.renameSheet(form, SheetNaming::unique(catalogue.Patients[static_cast<std::size_t>(p)].PatientName,
                                                     fallback, report, form));
        if (static_cast<std::size_t>(p) >= readings.size())
            continue;
        const ReadingRecord& record = readings[static_cast<std::size_t>(p)];
        if (record.PatientName.isBlank())
            continue;

        ++readCount;
        const int row = readCount + SummaryFormatRow - 1;
        Worksheet& summary = report.sheet(0);
        for (int column = 1; column <= SummaryColumnCount; ++column)
            summary.setStyle(row, column, rowFormats[static_cast<std::size_t>(column - 1)]);
        FillSummaryRow(summary, row, readCount, record);
        FillFormSheet(report.sheet(form), report.styles(), record);

        if (p < patientCount - 1) {
            form = report.insertSheet(form + 1, SheetNaming::unique(FormSheetName, "Form", report, -1), formTemplate);
            report.setActiveSheet(form);
            ++formSheets;
        }
    }
    if (counts) {
        counts->ReadPatients = readCount;
        counts->FormSheets = formSheets;
    }
    return report;
}

ReportOutcome OutputReport(const Readings& readings, const Catalogue& catalogue, const WorkstationState& state,
                           const std::string& fileName)
{
    ReportOutcome outcome;
    const std::string templatePath = state.AppDir + ReportTemplateFileName;
    Workbook templateBook;
    std::string error;
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(templatePath, ignored)) {
        outcome.Message = "The report template \"" + templatePath + "\" is missing.";
        return outcome;
    }
    if (!templateBook.loadFile(templatePath, error)) {
        outcome.Message = "The report template \"" + templatePath + "\" cannot be read:\r" + error;
        return outcome;
    }
    // Writing the report over its own template would spoil every later report.
    if (std::filesystem::equivalent(templatePath, fileName, ignored)) {
        outcome.Message = "The report cannot be saved over its template\r" + templatePath +
                          "\rChoose another file name.";
        return outcome;
    }
    std::optional<Workbook> report = BuildReport(templateBook, readings, catalogue, error, &outcome);
    if (!report) {
        outcome.Message = error + "\r" + templatePath;
        return outcome;
    }
    if (!report->saveFile(fileName, error)) {
        outcome.Message = "The report could not be written to\r" + fileName +
                          "\rCheck that the folder exists and that you may write to it.";
        return outcome;
    }
    outcome.Success = true;
    return outcome;
}

} // namespace vantor
