#pragma once

#include "reading/ReadingRecord.h"

#include <QString>
#include <functional>

class QWidget;

namespace vantor {

struct Catalogue;
struct WorkstationState;

// The file name the save dialog proposes: beside the data folder, named
// after it and the reader ("<folder>_<reader>_Report.xlsx").
QString proposedReportFileName(const WorkstationState& state);

// Asks for the report's file name; an empty result means cancelled.
// Replaceable so that tests answer instead of a reader.
using ReportFileChooser = std::function<QString(QWidget* parent, const QString& proposed)>;
ReportFileChooser& reportFileChooser();

// Opens a saved workbook in the desktop's spreadsheet application; false when
// none is installed or it cannot be started. Replaceable for tests.
using ReportOpener = std::function<bool(const QString& fileName)>;
ReportOpener& reportOpener();

// The report button: stamps the current patient's record with the reader
// and the reading day, asks where to save, writes the report under the wait
// cursor, and opens it in the spreadsheet application. Failures and a
// missing spreadsheet application are told in message boxes.
void OutputReportInteractive(QWidget* parent, Readings& readings, const Catalogue& catalogue,
                             const WorkstationState& state);

} // namespace vantor
