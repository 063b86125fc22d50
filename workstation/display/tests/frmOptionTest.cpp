// The options dialog driven as a reader would: presets grid, window mode,
// measurement choices, the checks that refuse Apply, and the settings written.
#include "TemporaryFolder.h"
#include "display/frmOption.h"
#include "startup/MessageBoxes.h"
#include "startup/ProfileFile.h"
#include "startup/SettingsKeys.h"
#include "startup/WorkstationState.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

using namespace vantor;

namespace {

// Records every message and answers OK.
class MessageRecorder {
public:
    MessageRecorder()
    {
        saved_ = messagePresenter();
        messagePresenter() = [this](QWidget*, QMessageBox::Icon, const QString&, const QString& text,
                                    QMessageBox::StandardButtons) {
            shown.push_back(text);
            return QMessageBox::Ok;
        };
    }
    ~MessageRecorder() { messagePresenter() = saved_; }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    std::vector<QString> shown;

private:
    MessagePresenter saved_;
};

struct OptionFixture : ::testing::Test {
    OptionFixture() : settings(folder.file("VANTOR_Viewer.ini"))
    {
        state.WLWWPresets[0] = {"Lung", -600, 1500};
        state.WLWWPresets[1] = {"Mediastinum", 40, 400};
        state.PresetCount = 2;
        state.DefaultWL = -600;
        state.DefaultWW = 1500;
    }

    void setCell(frmOption& dialog, int row, int column, const QString& text)
    {
        dialog.presetGrid()->item(row, column)->setText(text);
    }
    void setRow(frmOption& dialog, int row, const QString& name, const QString& level, const QString& width)
    {
        setCell(dialog, row, 0, name);
        setCell(dialog, row, 1, level);
        setCell(dialog, row, 2, width);
    }
    std::string preset(const std::string& key) const { return settings.readString(kPresetSection, key, "<none>"); }
    std::string program(const std::string& key) const
    {
        return settings.readString(kProgramSection, key, "<none>");
    }
    bool settingsFileExists() const { return std::filesystem::exists(settings.path()); }

    TemporaryFolder folder;
    ProfileFile settings;
    WorkstationState state;
    MeasurementChoices choices;
    int applied = 0;
    std::function<void()> onApplied = [this] { ++applied; };
};

QPushButton* button(QWidget* dialog, const char* name) { return dialog->findChild<QPushButton*>(name); }

} // namespace

TEST_F(OptionFixture, TabsGridAndChoicesShowTheState)
{
    state.WLWWSelect = true;
    choices = {MeasureMode::Roi, RoiShape::Center};
    frmOption dialog(state, settings, choices, onApplied);
    EXPECT_EQ(dialog.windowTitle(), "Option");
    ASSERT_EQ(dialog.tabs()->count(), 3);
    EXPECT_EQ(dialog.tabs()->tabText(0), "WL/WW Preset");
    EXPECT_EQ(dialog.tabs()->tabText(1), "WL/WW Mode");
    EXPECT_EQ(dialog.tabs()->tabText(2), "Measurement Mode");
    EXPECT_EQ(button(&dialog, "btnApply")->text(), "&Apply");
    EXPECT_EQ(button(&dialog, "btnOK")->text(), "OK");
    EXPECT_EQ(button(&dialog, "btnCancel")->text(), "&Cancel");

    QTableWidget* grid = dialog.presetGrid();
    ASSERT_EQ(grid->rowCount(), 10);
    ASSERT_EQ(grid->columnCount(), 3);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "Name");
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "WL");
    EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), "WW");
    EXPECT_EQ(grid->verticalHeaderItem(0)->text(), "1");
    EXPECT_EQ(grid->verticalHeaderItem(9)->text(), "10");
    // 500, 2000, 1500 and 1500 twips; rows of 320 under a header of 400.
    EXPECT_EQ(grid->verticalHeader()->width(), 33);
    EXPECT_EQ(grid->columnWidth(0), 133);
    EXPECT_EQ(grid->columnWidth(1), 100);
    EXPECT_EQ(grid->columnWidth(2), 100);
    EXPECT_EQ(grid->rowHeight(3), 21);
    EXPECT_EQ(grid->horizontalHeader()->height(), 26);
    EXPECT_EQ(grid->item(1, 0)->text(), "Mediastinum");
    EXPECT_EQ(grid->item(0, 1)->text(), "-600");
    EXPECT_EQ(grid->item(1, 2)->text(), "400");
    EXPECT_EQ(grid->item(2, 0)->text(), "");
    // Shown, the dialog holds every column and row whole, and every tab title.
    dialog.show();
    const int columns = grid->columnWidth(0) + grid->columnWidth(1) + grid->columnWidth(2);
    EXPECT_GE(grid->viewport()->width(), columns);
    EXPECT_GE(grid->viewport()->height(), 10 * grid->rowHeight(0));
    const QTabBar* tabBar = dialog.tabs()->tabBar();
    EXPECT_GE(tabBar->width(), tabBar->tabRect(2).right());

    EXPECT_EQ(dialog.tagWindowOption()->text(), "Apply the WL/WW defined in DICOM Tag");
    EXPECT_TRUE(dialog.previousWindowOption()->isChecked());
    EXPECT_EQ(dialog.defaultLevelBox()->text(), "-600");
    EXPECT_EQ(dialog.defaultWidthBox()->text(), "1500");
    EXPECT_TRUE(dialog.defaultLevelBox()->isEnabled());
    dialog.tagWindowOption()->setChecked(true);
    EXPECT_FALSE(dialog.defaultLevelBox()->isEnabled());
    EXPECT_FALSE(dialog.defaultWidthBox()->isEnabled());

    EXPECT_EQ(dialog.lineOption()->text(), "Straight Line");
    EXPECT_TRUE(dialog.roiOption()->isChecked());
    EXPECT_TRUE(dialog.centerOption()->isChecked());
    EXPECT_EQ(dialog.diagonalOption()->text(), "Diagonal");
    auto* frame = dialog.findChild<QGroupBox*>("FrameROI");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->title(), "ROI Option");
    EXPECT_TRUE(dialog.centerOption()->isEnabled());
    dialog.lineOption()->setChecked(true);
    EXPECT_FALSE(dialog.centerOption()->isEnabled());
}

TEST_F(OptionFixture, PresetsStopAtTheFirstEmptyRow)
{
    MessageRecorder messages;
    frmOption dialog(state, settings, choices, onApplied);
    setRow(dialog, 0, "Lung", "-600", "1500");
    setRow(dialog, 1, "Bone", "300", "2000");
    setRow(dialog, 2, "Soft", " 40 ", "400");
    setRow(dialog, 4, "Lost", "0", "100"); // after the empty row 4
    ASSERT_TRUE(dialog.apply());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(state.PresetCount, 3);
    EXPECT_EQ(state.WLWWPresets[1].Name, "Bone");
    EXPECT_EQ(state.WLWWPresets[2].WL, 40);
    EXPECT_EQ(state.WLWWPresets[4].Name, "");
    EXPECT_EQ(preset("WWWL_000"), "Lung\\-600\\1500");
    EXPECT_EQ(preset("WWWL_001"), "Bone\\300\\2000");
    EXPECT_EQ(preset("WWWL_002"), "Soft\\40\\400");
    EXPECT_EQ(preset("WWWL_004"), "<none>");
    EXPECT_EQ(preset("WWWL_CNT"), "3");
}

TEST_F(OptionFixture, ModeAndMeasurementChoicesAreStoredAndWritten)
{
    MessageRecorder messages;
    frmOption dialog(state, settings, choices, onApplied);
    dialog.previousWindowOption()->setChecked(true);
    dialog.defaultLevelBox()->setText("-500");
    dialog.defaultWidthBox()->setText("1200.6");
    dialog.roiOption()->setChecked(true);
    dialog.centerOption()->setChecked(true);
    dialog.show();
    QTest::mouseClick(button(&dialog, "btnOK"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(state.WLWWSelect);
    EXPECT_EQ(state.DefaultWL, -500);
    EXPECT_EQ(state.DefaultWW, 1201);
    EXPECT_EQ(choices.mode, MeasureMode::Roi);
    EXPECT_EQ(choices.shape, RoiShape::Center);
    EXPECT_EQ(program("WLWWSelect"), "1");
    EXPECT_EQ(program("DefaultWL"), "-500");
    EXPECT_EQ(program("DefaultWW"), "1200.6");
    EXPECT_EQ(preset("WWWL_CNT"), "2");
    EXPECT_EQ(applied, 1);
}

TEST_F(OptionFixture, TagWindowKeepsTheDefaultsButStillWritesTheBoxes)
{
    state.WLWWSelect = true;
    MessageRecorder messages;
    frmOption dialog(state, settings, choices, onApplied);
    dialog.tagWindowOption()->setChecked(true);
    dialog.defaultLevelBox()->setText("10");
    ASSERT_TRUE(dialog.apply());
    EXPECT_FALSE(state.WLWWSelect);
    EXPECT_EQ(state.DefaultWL, -600);
    EXPECT_EQ(program("WLWWSelect"), "0");
    EXPECT_EQ(program("DefaultWL"), "10");
}

TEST_F(OptionFixture, ZeroWidthIsRefusedOnTheModeTab)
{
    for (const char* width : {"0", "abc", " 0.0"}) {
        MessageRecorder messages;
        frmOption dialog(state, settings, choices, onApplied);
        dialog.show();
        dialog.previousWindowOption()->setChecked(true);
        dialog.defaultWidthBox()->setText(width);
        dialog.defaultLevelBox()->setText("99");
        dialog.roiOption()->setChecked(true);
        QTest::mouseClick(button(&dialog, "btnOK"), Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible()) << width;
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0], "WW value can not be zero");
        EXPECT_EQ(dialog.tabs()->currentIndex(), 1);
        EXPECT_EQ(dialog.focusWidget(), dialog.defaultWidthBox());
        EXPECT_FALSE(settingsFileExists());
        EXPECT_EQ(applied, 0);
        EXPECT_EQ(state.DefaultWL, -600);
        EXPECT_EQ(choices.mode, MeasureMode::Line);
    }
}

TEST_F(OptionFixture, NonNumericGridCellIsRefusedAndNamed)
{
    const struct {
        int row;
        int column;
        const char* text;
        const char* message;
    } cases[] = {{1, 1, "abc", "WL value of row 2 is not a whole number."},
                 {0, 2, "", "WW value of row 1 is not a whole number."},
                 {1, 2, "40.5", "WW value of row 2 is not a whole number."},
                 {0, 1, "99999999999", "WL value of row 1 is not a whole number."},
                 {1, 0, "Lung\\2", "The Name of row 2 can not include \"\\\"."}};
    for (const auto& example : cases) {
        MessageRecorder messages;
        frmOption dialog(state, settings, choices, onApplied);
        dialog.tabs()->setCurrentIndex(2);
        setCell(dialog, example.row, example.column, example.text);
        EXPECT_FALSE(dialog.apply()) << example.text;
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0], example.message);
        EXPECT_EQ(dialog.tabs()->currentIndex(), 0);
        EXPECT_EQ(dialog.presetGrid()->currentRow(), example.row);
        EXPECT_EQ(dialog.presetGrid()->currentColumn(), example.column);
        EXPECT_FALSE(settingsFileExists());
        EXPECT_EQ(state.WLWWPresets[0].WL, -600);
        EXPECT_EQ(applied, 0);
    }
    // A bad cell after the first empty name is never a preset, so it does not matter.
    MessageRecorder messages;
    frmOption dialog(state, settings, choices, onApplied);
    setRow(dialog, 5, "", "abc", "");
    EXPECT_TRUE(dialog.apply());
}

TEST_F(OptionFixture, CancelChangesNothing)
{
    frmOption dialog(state, settings, choices, onApplied);
    dialog.show();
    setRow(dialog, 0, "Other", "1", "2");
    dialog.roiOption()->setChecked(true);
    QTest::mouseClick(button(&dialog, "btnCancel"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(state.WLWWPresets[0].Name, "Lung");
    EXPECT_EQ(choices.mode, MeasureMode::Line);
    EXPECT_FALSE(settingsFileExists());
    EXPECT_EQ(applied, 0);
}

TEST_F(OptionFixture, CellTypedWithTheKeyboardCountsEvenWhileStillBeingEdited)
{
    MessageRecorder messages;
    frmOption dialog(state, settings, choices, onApplied);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QTableWidget* grid = dialog.presetGrid();
    grid->setFocus();
    grid->setCurrentCell(2, 0);
    QTest::keyClick(grid, Qt::Key_F2);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor, grid);
    ASSERT_TRUE(editor->inherits("QLineEdit")) << editor->metaObject()->className();
    QTest::keyClicks(editor, "Abdomen");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the grid commits a cell ended by Enter from its event queue
    EXPECT_EQ(grid->item(2, 0)->text(), "Abdomen");
    EXPECT_TRUE(dialog.isVisible()); // Enter commits the cell, it does not close the dialog

    grid->setCurrentCell(2, 1);
    QTest::keyClick(grid, Qt::Key_F2);
    QTest::keyClicks(QApplication::focusWidget(), "50");
    grid->setCurrentCell(2, 2);
    QTest::keyClick(grid, Qt::Key_F2);
    QTest::keyClicks(QApplication::focusWidget(), "350");
    ASSERT_TRUE(dialog.apply()); // the open editor's text is committed first
    EXPECT_EQ(state.PresetCount, 3);
    EXPECT_EQ(preset("WWWL_002"), "Abdomen\\50\\350");
}
