#pragma once

#include "reading/ReadingRecord.h"
#include "report/Workbook.h"

#include <optional>
#include <string>

namespace vantor {

struct Catalogue;
struct WorkstationState;

// The report template beside the program, its summary sheet and its form sheet.
inline constexpr const char* ReportTemplateFileName = "ReportSample.xlsx";
inline constexpr const char* SummarySheetName = "PA_List";
inline constexpr const char* FormSheetName = "改定案";
// The summary sheet's row that carries the cell formats of a data row; the
// first read patient's row is this row itself.
inline constexpr int SummaryFormatRow = 6;

struct ReportOutcome {
    bool Success = false;
    std::string Message;   // why it failed, for the reader; empty on success
    int ReadPatients = 0;  // rows of the summary sheet
    int FormSheets = 0;
};

// The report workbook made from the template: the summary sheet, then one
// form sheet per read patient in catalogue order, each named after its
// patient. A patient whose record has no patient name has no reading and is
// skipped. Readings beyond the catalogue are ignored; patients without a
// record count as unread. nullopt, with a message, when the template lacks
// one of its two sheets.
std::optional<Workbook> BuildReport(const Workbook& templateBook, const Readings& readings,
                                    const Catalogue& catalogue, std::string& error, ReportOutcome* counts = nullptr);

// The report button's work without any window: reads the template from the
// program folder (state.AppDir), builds the report and writes it to fileName
// (replacing an existing file whole, or leaving it as it was on failure).
ReportOutcome OutputReport(const Readings& readings, const Catalogue& catalogue, const WorkstationState& state,
                           const std::string& fileName);

} // namespace vantor
