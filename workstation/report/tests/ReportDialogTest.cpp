#include "ReportTestSupport.h"

#include "report/ReportDialog.h"
#include "report/Workbook.h"
#include "startup/MessageBoxes.h"
#include "startup/WorkstationState.h"

#include <gtest/gtest.h>

#include <QApplication>

using namespace vantor;
using namespace vantor::test;

namespace {

struct Shown {
    QMessageBox::Icon icon;
    QString text;
};

class ReportDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedPresenter = messagePresenter();
        savedChooser = reportFileChooser();
        savedOpener = reportOpener();
        messagePresenter() = [this](QWidget*, QMessageBox::Icon icon, const QString&, const QString& text,
                                    QMessageBox::StandardButtons) {
            shown.push_back({icon, text});
            return QMessageBox::Ok;
        };
        reportFileChooser() = [this](QWidget*, const QString& proposed) {
            proposedName = proposed;
            return answer;
        };
        reportOpener() = [this](const QString& fileName) {
            opened.push_back(fileName);
            return openerWorks;
        };
        state.AppDir = std::string(VANTOR_SOURCE_DIR) + "/data/";
        state.TopFolder = folder.file("CT data") + "/";
        state.ReaderName = "Dr. Suzuki";
        state.ReadingDate = "2026/12/07";
        state.CurPatient = 1;
        catalogue = catalogueOf({"A^ONE", "B^TWO"});
        readings = {clearedRecord("A^ONE"), clearedRecord("B^TWO")};
    }
    void TearDown() override
    {
        messagePresenter() = savedPresenter;
        reportFileChooser() = savedChooser;
        reportOpener() = savedOpener;
    }

    MessagePresenter savedPresenter;
    ReportFileChooser savedChooser;
    ReportOpener savedOpener;
    ScratchFolder folder;
    WorkstationState state;
    Catalogue catalogue;
    Readings readings;
    QString answer;
    QString proposedName;
    bool openerWorks = true;
    std::vector<Shown> shown;
    std::vector<QString> opened;
};

} // namespace

TEST_F(ReportDialogTest, ProposesANameBesideTheDataFolder)
{
    EXPECT_EQ(proposedReportFileName(state), QString::fromStdString(folder.file("CT data_Dr. Suzuki_Report.xlsx")));
    WorkstationState nobody = state;
    nobody.ReaderName = " a/b ";
    EXPECT_TRUE(proposedReportFileName(nobody).endsWith(QStringLiteral("CT data_a_b_Report.xlsx")));
}

TEST_F(ReportDialogTest, StampsTheCurrentPatientWritesAndOpensTheReport)
{
    answer = QString::fromStdString(folder.file("chosen"));
    OutputReportInteractive(nullptr, readings, catalogue, state);

    EXPECT_EQ(proposedName, proposedReportFileName(state));
    const std::string written = folder.file("chosen.xlsx");
    ASSERT_EQ(opened, (std::vector<QString>{QString::fromStdString(written)})) << "the suffix is added";
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(readings[1].ReaderName.trimmed(), "Dr. Suzuki");
    EXPECT_EQ(readings[1].ReadingDate.trimmed(), "2026/12/07");
    EXPECT_TRUE(readings[0].ReaderName.isBlank()) << "only the current patient is stamped";

    Workbook book;
    std::string error;
    ASSERT_TRUE(book.loadFile(written, error)) << error;
    EXPECT_EQ(book.sheet(0).cell(7, 89)->text, "Dr. Suzuki");
    EXPECT_EQ(book.sheet(2).cell(66, 11)->text, "Dr. Suzuki");
}

TEST_F(ReportDialogTest, TellsWhereTheReportIsWhenNoSpreadsheetApplicationOpensIt)
{
    answer = QString::fromStdString(folder.file("report.XLSX"));
    openerWorks = false;
    OutputReportInteractive(nullptr, readings, catalogue, state);
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].icon, QMessageBox::Information);
    EXPECT_EQ(shown[0].text, messageText("The report was saved as\r" + folder.file("report.XLSX") +
                                         "\rNo spreadsheet application is installed to open it."));
    EXPECT_TRUE(std::filesystem::exists(folder.file("report.XLSX")));
}

TEST_F(ReportDialogTest, CancellingWritesNothingAndFailuresAreShown)
{
    answer.clear();
    OutputReportInteractive(nullptr, readings, catalogue, state);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(opened.empty());

    answer = QString::fromStdString(folder.file("report.xlsx"));
    state.AppDir = folder.file("no program here") + "/";
    OutputReportInteractive(nullptr, readings, catalogue, state);
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("is missing"))) << shown[0].text.toStdString();
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait cursor is gone";
}
