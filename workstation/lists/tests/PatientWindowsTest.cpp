#include "catalogue/Catalogue.h"
#include "catalogue/DisplayNameTable.h"
#include "lists/frmPatientList.h"
#include "lists/frmSelectPA.h"
#include "startup/MessageBoxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <unistd.h>
#include <fstream>
#include <iterator>

using namespace vantor;

namespace {

Catalogue threePatients()
{
    Catalogue catalogue;
    catalogue.TopFolder = "/data/case1";
    const char* names[] = {"YAMADA^TARO", "SUZUKI^HANAKO", "DOE^JOHN"};
    const char* ids[] = {"0001", "0002", "0003"};
    for (int i = 0; i < 3; ++i) {
        PatientEntry patient;
        patient.PatientName = names[i];
        patient.PatientID = ids[i];
        catalogue.Patients.push_back(patient);
    }
    return catalogue;
}

std::vector<int> selectedRows(const QListWidget* list)
{
    std::vector<int> rows;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->isSelected())
            rows.push_back(row);
    return rows;
}

} // namespace

TEST(SelectPatientWindow, RowsMarksAndPreselection)
{
    const Catalogue catalogue = threePatients();
    Readings readings(3);
    readings[0].CommentMark = -1;
    readings[2].CommentMark = -1;
    frmSelectPA window(catalogue, readings, 1);
    EXPECT_EQ(window.windowTitle(), "Select Patient");
    ASSERT_EQ(window.List1()->count(), 3);
    EXPECT_EQ(window.List1()->item(0)->text(), "YAMADA^TARO ( 0001 )");
    EXPECT_EQ(window.List1()->item(2)->text(), "DOE^JOHN ( 0003 )");
    EXPECT_EQ(selectedRows(window.List1()), (std::vector<int>{0, 2}));
    EXPECT_EQ(window.List1()->currentRow(), 1);
    EXPECT_EQ(window.btnOK()->text(), "OK");
    EXPECT_EQ(window.btnCancel()->text(), "Cancel");

    // Hidden names: the display name twice.
    Catalogue hidden = threePatients();
    DisplayNameTable::hidePatientNames(hidden);
    frmSelectPA hiddenWindow(hidden, readings, 0);
    EXPECT_EQ(hiddenWindow.List1()->item(1)->text(), "Patient_00002 ( Patient_00002 )");
}

TEST(SelectPatientWindow, ClickingMovesTheChoiceButKeepsTheMarks)
{
    const Catalogue catalogue = threePatients();
    Readings readings(3);
    readings[0].CommentMark = -1;
    frmSelectPA window(catalogue, readings, 0);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QListWidget* list = window.List1();
    const QRect second = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(selectedRows(list), (std::vector<int>{0}));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(selectedRows(list), (std::vector<int>{0}));

    QTest::mouseClick(window.btnOK(), Qt::LeftButton);
    EXPECT_TRUE(window.Success());
    EXPECT_EQ(window.ChosenIndex(), 0);
    EXPECT_FALSE(window.isVisible());
}

TEST(SelectPatientWindow, DoubleClickEnterCancelAndEscape)
{
    const Catalogue catalogue = threePatients();
    const Readings readings(3);
    {
        frmSelectPA window(catalogue, readings, 0);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QListWidget* list = window.List1();
        const QPoint third = list->visualItemRect(list->item(2)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, third);
        EXPECT_TRUE(window.Success());
        EXPECT_EQ(window.ChosenIndex(), 2);
        EXPECT_EQ(window.result(), QDialog::Accepted);
    }
    {
        frmSelectPA window(catalogue, readings, 1);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.List1()->setFocus();
        QTest::keyClick(window.List1(), Qt::Key_Down);
        QTest::keyClick(window.List1(), Qt::Key_Return);
        EXPECT_TRUE(window.Success());
        EXPECT_EQ(window.ChosenIndex(), 2);
    }
    {
        frmSelectPA window(catalogue, readings, 1);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(window.btnCancel(), Qt::LeftButton);
        EXPECT_FALSE(window.Success());
        EXPECT_FALSE(window.isVisible());
    }
    {
        frmSelectPA window(catalogue, readings, 1);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::keyClick(&window, Qt::Key_Escape);
        EXPECT_FALSE(window.Success());
        EXPECT_FALSE(window.isVisible());
    }
}

TEST(SelectPatientWindow, ChooseRunsModallyAndReturnsTheChoice)
{
    const Catalogue catalogue = threePatients();
    const Readings readings(3);
    QTimer::singleShot(0, [] {
        auto* window = qobject_cast<frmSelectPA*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        window->List1()->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        QTest::mouseClick(window->btnOK(), Qt::LeftButton);
    });
    EXPECT_EQ(frmSelectPA::choose(catalogue, readings, 0), std::optional<int>(2));
    QTimer::singleShot(0, [] {
        auto* window = qobject_cast<frmSelectPA*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        QTest::mouseClick(window->btnCancel(), Qt::LeftButton);
    });
    EXPECT_EQ(frmSelectPA::choose(catalogue, readings, 0), std::nullopt);
}

TEST(PatientListWindow, GridShowsTheNamesWithPublishedSizes)
{
    Catalogue catalogue = threePatients();
    const DisplayNameTable names = DisplayNameTable::hidePatientNames(catalogue);
    frmPatientList window(names);
    EXPECT_EQ(window.windowTitle(), "Patient List");
    EXPECT_TRUE(window.isModal());
    QTableWidget* grid = window.grdPatientList();
    ASSERT_EQ(grid->rowCount(), 3);
    ASSERT_EQ(grid->columnCount(), 3);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "DispName");
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "RealName");
    EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), "RealID");
    EXPECT_EQ(grid->verticalHeaderItem(0)->text(), "1");
    EXPECT_EQ(grid->verticalHeaderItem(2)->text(), "3");
    EXPECT_EQ(grid->item(1, 0)->text(), "Patient_00002");
    EXPECT_EQ(grid->item(1, 1)->text(), "SUZUKI^HANAKO");
    EXPECT_EQ(grid->item(1, 2)->text(), "0002");
    EXPECT_EQ(grid->currentRow(), 0);
    EXPECT_EQ(grid->currentColumn(), 0);
    // 500, 2000, 1500, 1500 twips; rows 320, header 400 twips; 15 twips a pixel.
    EXPECT_EQ(grid->verticalHeader()->width(), 33);
    EXPECT_EQ(grid->columnWidth(0), 133);
    EXPECT_EQ(grid->columnWidth(1), 100);
    EXPECT_EQ(grid->columnWidth(2), 100);
    EXPECT_EQ(grid->rowHeight(0), 21);
    EXPECT_EQ(grid->horizontalHeader()->height(), 26);
    EXPECT_EQ(window.btnExportCSV()->text(), "Export CSV");
    EXPECT_EQ(window.btnClose()->text(), "Close");
    EXPECT_EQ(window.btnClose()->toolTip(), "Close this Dialog");
}

TEST(PatientListWindow, ExportWritesTheChosenFileAndCloseEnds)
{
    Catalogue catalogue = threePatients();
    const DisplayNameTable names = DisplayNameTable::hidePatientNames(catalogue);
    const auto folder =
        std::filesystem::temp_directory_path() / ("vantor-patient-list-window-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto target = folder / "list.csv";

    frmPatientList window(names);
    int asked = 0;
    QString answer;
    window.setSaveNameChooser([&](QWidget*) {
        ++asked;
        return answer;
    });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QTest::mouseClick(window.btnExportCSV(), Qt::LeftButton); // cancelled
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(std::filesystem::is_empty(folder));

    answer = QString::fromStdString(target.string());
    QTest::mouseClick(window.btnExportCSV(), Qt::LeftButton);
    std::ifstream in(target, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, "Patient_00001,YAMADA^TARO,0001\r\nPatient_00002,SUZUKI^HANAKO,0002\r\n"
                     "Patient_00003,DOE^JOHN,0003\r\n");

    // A file that cannot be created is told to the reader, not passed over.
    std::vector<std::string> messages;
    const MessagePresenter saved = messagePresenter();
    messagePresenter() = [&](QWidget*, QMessageBox::Icon, const QString&, const QString& text,
                             QMessageBox::StandardButtons) {
        messages.push_back(text.toStdString());
        return QMessageBox::Ok;
    };
    answer = QString::fromStdString((folder / "absent" / "list.csv").string());
    QTest::mouseClick(window.btnExportCSV(), Qt::LeftButton);
    messagePresenter() = saved;
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_NE(messages[0].find("could not be written"), std::string::npos);

    QTest::mouseClick(window.btnClose(), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    std::filesystem::remove_all(folder);
}
