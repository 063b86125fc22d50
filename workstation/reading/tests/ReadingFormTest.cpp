#include "reading/ReadingForm.h"
#include "reading/ReadingRecordOperations.h"
#include "startup/WorkstationState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace vantor;

namespace {

class ReadingFormTest : public ::testing::Test {
protected:
    ReadingFormTest()
    {
        state.ReaderName = "reader1";
        state.ReadingDate = "2026/12/07";
        readings.resize(2);
        for (ReadingRecord& record : readings)
            ClearReading(record);
        state.CurPatient = 0;
        host.resize(900, 700);
        form = std::make_unique<ReadingForm>(&host, readings, state);
        form->model().setConfirmation([this](const std::string&) { return confirmAnswer; });
        host.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&host));
    }

    void click(QAbstractButton* button)
    {
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void openTab(int tab) { form->SSTab1()->setCurrentIndex(tab); }

    // The fill colour inside the button's border, as drawn.
    static QColor fillOf(QWidget* button) { return button->grab().toImage().pixelColor(3, 3); }

    static bool chosen(QPushButton* button)
    {
        return button->isChecked() && fillOf(button) == ReadingForm::chosenColor();
    }

    ReadingRecord& record() { return readings[0]; }

    WorkstationState state;
    Readings readings;
    QWidget host;
    std::unique_ptr<ReadingForm> form;
    bool confirmAnswer = true;
};

} // namespace

TEST_F(ReadingFormTest, ControlsCarryTheirPublishedNamesCaptionsAndEntries)
{
    QTabWidget* tabs = host.findChild<QTabWidget*>("SSTab1");
    ASSERT_EQ(tabs, form->SSTab1());
    const QStringList titles = {"Lung.-Round", "Lung.-Irr",     "Lung.-GGO", "Lung.-HC", "Lung.-Em",  "Lung.-Lo",
                                "Predominance", "Pleural ab.", "Pleural calc.", "Symbols", "Comments", "Normal"};
    ASSERT_EQ(tabs->count(), titles.size());
    for (int i = 0; i < tabs->count(); ++i)
        EXPECT_EQ(tabs->tabText(i), titles[i]);

    EXPECT_EQ(host.findChild<QLabel*>("lblInitQuestion")->text(), "Is the patient completely negative ? ");
    EXPECT_EQ(form->Command(0, 0)->text(), "Yes");
    EXPECT_EQ(form->Command(0, 1)->text(), "No");

    const QList<QPushButton*> symbols = host.findChildren<QPushButton*>("Command8");
    ASSERT_EQ(symbols.size(), 23);
    EXPECT_EQ(form->Command(8, 16)->text(), "MP");
    EXPECT_EQ(form->Command(8, 16)->toolTip(), "Mosaic Perfusion");
    EXPECT_EQ(form->Command(8, 0)->text(), "None");
    EXPECT_EQ(form->Command(6, 3)->toolTip(), "area 1/4 - 1/2");
    EXPECT_EQ(form->Command(7, 6)->toolTip(), "Reset this predominant");
    EXPECT_EQ(form->Command(10, 3)->toolTip(), "Mediastinum");
    for (int array : {1, 2, 3, 4, 5})
        EXPECT_EQ(host.findChildren<QPushButton*>(QString("Slider%1").arg(array)).size(), 24) << array;
    EXPECT_EQ(host.findChildren<QPushButton*>("Slider9").size(), 16);
    EXPECT_EQ(form->Slider(9, 7)->text(), "c");
    EXPECT_EQ(host.findChildren<QCheckBox*>("Check1").size(), 3);
    EXPECT_EQ(host.findChildren<QCheckBox*>("Check9").size(), 4);
    EXPECT_EQ(host.findChildren<QLabel*>("lblGradeSum").size(), 5);
    EXPECT_EQ(form->Command(11, 0), nullptr);
    EXPECT_EQ(form->Slider(6, 0), nullptr);

    QComboBox* quality = host.findChild<QComboBox*>("ComboQuality");
    ASSERT_EQ(quality->count(), 5);
    EXPECT_EQ(quality->itemText(0), "");
    EXPECT_EQ(quality->itemText(4), "  4");
    EXPECT_EQ(host.findChild<QComboBox*>("ComboPosture")->itemText(2), "Supine");
    EXPECT_EQ(host.findChild<QComboBox*>("ComboModality")->itemText(3), "Multi slice spiral");
    EXPECT_NE(host.findChild<QPlainTextEdit*>("txtComment"), nullptr);
    EXPECT_NE(host.findChild<QWidget*>("fraReaderInf"), nullptr);
}

TEST_F(ReadingFormTest, FreshPatientShowsYesForTheQuestionAndNoForEverySection)
{
    EXPECT_TRUE(chosen(form->Command(0, 0)));
    EXPECT_FALSE(chosen(form->Command(0, 1)));
    EXPECT_TRUE(form->Command(0, 0)->font().bold() || form->Command(0, 0)->styleSheet().contains("bold"));
    for (int array : {1, 2, 3, 4, 5, 6, 9, 10}) {
        openTab(array <= 6 ? array - 1 : array == 9 ? 7 : 8);
        EXPECT_TRUE(chosen(form->Command(array, 0))) << array;
        EXPECT_FALSE(chosen(form->Command(array, 1))) << array;
    }
    openTab(ReadingForm::TabRound);
    EXPECT_EQ(fillOf(form->Slider(1, 0)), ReadingForm::selectedGradeColor());
    EXPECT_NE(fillOf(form->Slider(1, 1)), ReadingForm::selectedGradeColor());
    EXPECT_EQ(form->lblGradeSum(0)->text(), "0");
}

TEST_F(ReadingFormTest, ClickingAGradeOptionUpdatesTheRecordTheSumAndTheButtons)
{
    int changes = 0;
    QObject::connect(form.get(), &ReadingForm::readingChanged, [&] { ++changes; });
    openTab(ReadingForm::TabRound);
    click(form->Slider(1, 4 * 1 + 2)); // right middle, grade 2
    EXPECT_EQ(record().RoundGrade[1], 2);
    EXPECT_EQ(record().RoundPresent, 1);
    EXPECT_EQ(record().Findings, 1);
    EXPECT_EQ(form->lblGradeSum(0)->text(), "2");
    EXPECT_EQ(fillOf(form->Slider(1, 6)), ReadingForm::selectedGradeColor());
    EXPECT_NE(fillOf(form->Slider(1, 4)), ReadingForm::selectedGradeColor());
    EXPECT_TRUE(chosen(form->Command(1, 1)));
    EXPECT_TRUE(chosen(form->Command(0, 1)));
    EXPECT_FALSE(chosen(form->Command(0, 0)));
    EXPECT_EQ(changes, 1);

    click(form->Slider(1, 4 * 5 + 3)); // left lower, grade 3
    EXPECT_EQ(form->lblGradeSum(0)->text(), "5");
    click(form->Command(1, 0)); // section "No" empties the grid
    EXPECT_EQ(form->lblGradeSum(0)->text(), "0");
    EXPECT_EQ(fillOf(form->Slider(1, 4)), ReadingForm::selectedGradeColor());
}

TEST_F(ReadingFormTest, PredominantBoxesAndConfirmationOfYes)
{
    openTab(ReadingForm::TabRound);
    click(form->Check(1, 0));
    click(form->Check(1, 1));
    EXPECT_FALSE(form->Check(1, 0)->isChecked());
    EXPECT_TRUE(form->Check(1, 1)->isChecked());
    EXPECT_EQ(record().RoundPredominantSize, 1);
    EXPECT_TRUE(chosen(form->Command(1, 5))) << "Q's Yes";
    EXPECT_TRUE(chosen(form->Command(1, 3))) << "P's Yes";

    openTab(ReadingForm::TabSymbols);
    confirmAnswer = false;
    click(form->Command(0, 0));
    EXPECT_EQ(record().RoundPredominantSize, 1);
    EXPECT_EQ(form->SSTab1()->currentIndex(), ReadingForm::TabSymbols);
    EXPECT_TRUE(chosen(form->Command(0, 1)));

    confirmAnswer = true;
    click(form->Command(0, 0));
    EXPECT_EQ(record().RoundPredominantSize, -1);
    EXPECT_EQ(record().Findings, 0);
    EXPECT_EQ(form->SSTab1()->currentIndex(), ReadingForm::TabRound);
    EXPECT_FALSE(form->Check(1, 1)->isChecked());
    EXPECT_TRUE(chosen(form->Command(0, 0)));
}

TEST_F(ReadingFormTest, KeyboardWalksTheTabAndChoosesWithSpaceOrEnter)
{
    openTab(ReadingForm::TabSymbols);
    QPushButton* ax = form->Command(8, 1);
    ax->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(ax->hasFocus());
    QTest::keyClick(ax, Qt::Key_Space);
    EXPECT_EQ(record().Symbol[1], 1);
    EXPECT_EQ(record().Symbol[0], 0);
    EXPECT_TRUE(chosen(ax));
    QTest::keyClick(ax, Qt::Key_Return);
    EXPECT_EQ(record().Symbol[1], 0);

    QTest::keyClick(ax, Qt::Key_Tab);
    EXPECT_TRUE(form->Command(8, 2)->hasFocus()) << "Tab goes on to BE";
    QTest::keyClick(form->Command(8, 2), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(record().Symbol[2], 0) << "keypad Enter carries a modifier and is left to the button";

    openTab(ReadingForm::TabRound);
    form->Command(1, 0)->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(form->Command(1, 0), Qt::Key_Tab);
    EXPECT_TRUE(form->Command(1, 1)->hasFocus());
    QTest::keyClick(form->Command(1, 1), Qt::Key_Return);
    EXPECT_EQ(record().RoundPresent, 1);
}

TEST_F(ReadingFormTest, CommentIsStoredOnEveryChangeAndMarkedOnLeaving)
{
    openTab(ReadingForm::TabComments);
    QPlainTextEdit* comment = form->txtComment();
    ASSERT_TRUE(comment->hasFocus()) << "the Comments tab gives the box the focus";
    QTest::keyClicks(comment, "  small nodule ");
    EXPECT_EQ(record().Comment.trimmed(), "small nodule");
    EXPECT_EQ(record().CommentMark, 0);
    form->Command(0, 1)->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(record().CommentMark, -1);

    // Text beyond the record's 1024 bytes is refused, not silently cut on saving.
    comment->setPlainText(QString(1024, QChar('x')));
    EXPECT_EQ(record().Comment.str(), std::string(1024, 'x'));
    comment->moveCursor(QTextCursor::End);
    QTest::keyClicks(comment, "y");
    EXPECT_EQ(comment->toPlainText(), QString(1024, QChar('x')));
    EXPECT_EQ(record().Comment.str(), std::string(1024, 'x'));
}

TEST_F(ReadingFormTest, ShowReadingDrawsAFilledRecordWithoutChangingIt)
{
    ReadingRecord& filled = readings[1];
    filled.Findings = 1;
    filled.IrregularPresent = 1;
    filled.IrregularType[1] = 1;
    filled.IrregularPredominantType = 1;
    filled.IrregularGrade = {0, 3, 0, 0, 2, 0, 0};
    filled.Symbol = {};
    filled.Symbol[16] = 1;
    filled.GgoGradable = 1;
    filled.PleuralPresent = 1;
    filled.PleuralExtentWidth = {2, 1, 0, 3, 0};
    filled.Comment = "see prior study";
    filled.CommentMark = -1;
    filled.ReadingDate = "2020/01/01";
    ReadingRecord expected = filled;
    expected.ReadingDate = "2026/12/07";

    state.CurPatient = 1;
    form->ShowReading(1);
    EXPECT_EQ(readings[1], expected);
    EXPECT_EQ(form->txtComment()->toPlainText(), "see prior study");
    EXPECT_EQ(readings[1], expected) << "filling the comment box writes nothing new";
    openTab(ReadingForm::TabIrregular);
    EXPECT_TRUE(form->Check(2, 1)->isChecked());
    EXPECT_FALSE(form->Check(2, 0)->isChecked());
    EXPECT_EQ(form->lblGradeSum(1)->text(), "5");
    EXPECT_EQ(fillOf(form->Slider(2, 4 * 1 + 3)), ReadingForm::selectedGradeColor());
    openTab(ReadingForm::TabPleural);
    EXPECT_EQ(fillOf(form->Slider(9, 4 * 3 + 3)), ReadingForm::selectedGradeColor());
    openTab(ReadingForm::TabSymbols);
    EXPECT_TRUE(chosen(form->Command(8, 16)));
    EXPECT_FALSE(chosen(form->Command(8, 0)));
}

TEST_F(ReadingFormTest, WithoutACurrentPatientTheFormDoesNothing)
{
    state.CurPatient = -1;
    form->ShowReading(-1);
    const Readings before = readings;
    openTab(ReadingForm::TabRound);
    EXPECT_FALSE(form->Command(0, 0)->isEnabled());
    EXPECT_FALSE(form->Slider(1, 6)->isEnabled());
    click(form->Slider(1, 6));
    click(form->Command(0, 1));
    form->model().toggleSymbol(3);
    EXPECT_EQ(readings, before);
    EXPECT_FALSE(form->Command(1, 0)->isChecked());
}

TEST_F(ReadingFormTest, PredominanceIsExclusiveAndTogglesFlip)
{
    openTab(ReadingForm::TabPredominance);
    click(form->Command(7, 2));
    click(form->Command(7, 4));
    EXPECT_EQ(record().PredominantParenchymal, 4);
    EXPECT_FALSE(chosen(form->Command(7, 2)));
    EXPECT_TRUE(chosen(form->Command(7, 4)));
    click(form->Command(7, 6));
    EXPECT_EQ(record().PredominantParenchymal, -1);
    EXPECT_FALSE(chosen(form->Command(7, 4)));
    EXPECT_FALSE(chosen(form->Command(7, 6))) << "Reset is an action, not a choice";

    openTab(ReadingForm::TabLarge);
    QPushButton* leftMiddle = form->Command(6, 5 + 3);
    click(leftMiddle);
    EXPECT_EQ(record().LargeZone[3], 1);
    EXPECT_TRUE(chosen(leftMiddle));
    EXPECT_TRUE(chosen(form->Command(6, 1)));
    click(leftMiddle);
    EXPECT_EQ(record().LargeZone[3], 0);
    EXPECT_FALSE(chosen(leftMiddle));
    EXPECT_EQ(record().LargePresent, 1);
}
