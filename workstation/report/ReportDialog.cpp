#include "report/ReportDialog.h"

#include "catalogue/Catalogue.h"
#include "reading/ReadingRecordOperations.h"
#include "report/OutputReport.h"
#include "startup/MessageBoxes.h"
#include "startup/SettingsKeys.h"
#include "startup/WaitCursor.h"
#include "startup/WorkstationState.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace vantor {

namespace {

constexpr const char* WorkbookMimeType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

// The desktop knows an application for workbooks when xdg-mime names one.
bool spreadsheetApplicationInstalled()
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return false;
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), QString::fromLatin1(WorkbookMimeType)});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

QString chooseFileName(QWidget* parent, const QString& proposed)
{
    // The dialog adds the suffix itself, so that its overwrite question is
    // asked about the file that will really be written.
    QFileDialog dialog(parent, QStringLiteral("Output Excel Report"), QFileInfo(proposed).absolutePath(),
                       QStringLiteral("Excel workbook (*.xlsx)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool openInSpreadsheet(const QString& fileName)
{
    return spreadsheetApplicationInstalled() && QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
}

} // namespace

QString proposedReportFileName(const WorkstationState& state)
{
    QString folder = QDir::cleanPath(QString::fromStdString(state.TopFolder));
    if (folder.isEmpty() || folder == QStringLiteral("/"))
        folder = QDir::homePath() + QStringLiteral("/VANTOR");
    QString reader = QString::fromStdString(state.ReaderName).trimmed();
    reader.replace(QLatin1Char('/'), QLatin1Char('_'));
    return folder + (reader.isEmpty() ? QString() : QLatin1Char('_') + reader) + QStringLiteral("_Report.xlsx");
}

ReportFileChooser& reportFileChooser()
{
    static ReportFileChooser chooser = chooseFileName;
    return chooser;
}

ReportOpener& reportOpener()
{
    static ReportOpener opener = openInSpreadsheet;
    return opener;
}

void OutputReportInteractive(QWidget* parent, Readings& readings, const Catalogue& catalogue,
                             const WorkstationState& state)
{
    if (state.CurPatient >= 0)
        StampReader(readings, state.CurPatient, state);

    QString fileName = reportFileChooser()(parent, proposedReportFileName(state));
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().compare(QStringLiteral("xlsx"), Qt::CaseInsensitive) != 0)
        fileName += QStringLiteral(".xlsx");

    ReportOutcome outcome;
    {
        const WaitCursor wait;
        outcome = OutputReport(readings, catalogue, state, fileName.toStdString());
    }
    if (!outcome.Success) {
        showMessage(parent, QMessageBox::Warning, kProgramTitle, outcome.Message);
        return;
    }
    if (!reportOpener()(fileName))
        showMessage(parent, QMessageBox::Information, kProgramTitle,
                    "The report was saved as\r" + fileName.toStdString() +
                        "\rNo spreadsheet application is installed to open it.");
}

} // namespace vantor
