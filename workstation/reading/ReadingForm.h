#pragma once

#include "reading/ReadingFormModel.h"
#include "reading/ReadingRecord.h"

#include <QColor>
#include <QObject>
#include <QString>

#include <array>
#include <initializer_list>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace vantor {

struct WorkstationState;

// The reading form of the main window: the negative question with its Yes /
// No buttons, the tab control SSTab1 with every section of the
// classification, the technical-parameter lists and the reader frame. The
// controls are created directly on the host window (the main window's layout
// pass places them one by one) with their published names as object names;
// elements of a control array share the name and carry their index in the
// dynamic property "index". Every reader action goes to ReadingFormModel and
// the form is then redrawn from the current record.
//
// Control arrays:
//   Command0   0 "Yes", 1 "No" of the negative question (index = Findings)
//   Command1..Command5   the grade sections Round, Irr, GGO, HC, Em:
//              0 "No", 1 "Yes"; Round sizes P, Q, R and Irr types at 2 + 2i ("No") and 3 + 2i ("Yes")
//   Command6   Large opacities: 0 "No", 1 "Yes", 2..4 sizes A, B, C, 5 + zone (zone order B)
//   Command7   Predominance: 0..5 RO .. LO, 6 "Reset"
//   Command8   Symbols: 0 "None", 1..22 AX .. TD
//   Command9   Pleural abnormalities: 0 "No", 1 "Yes", types at 2 + 2i / 3 + 2i, 10 + site (zone order B)
//   Command10  Pleural calcifications: 0 "No", 1 "Yes", 2..4 W, M, D
//   Check1, Check2, Check9   "Predominant" boxes of the sizes / types
//   Slider1..Slider5   grade options, index 4 * zone + grade (zone order A)
//   Slider9    pleural extent and width, index 4 * group + value
//              (groups: right extent, right width, left extent, left width)
//   lblGradeSum  0..4 the sums of Round, Irr, GGO, HC, Em
class ReadingForm : public QObject {
    Q_OBJECT

public:
    // Tabs of SSTab1, in order.
    enum Tab {
        TabRound, TabIrregular, TabGroundGlass, TabHoneycomb, TabEmphysema, TabLarge,
        TabPredominance, TabPleural, TabCalcification, TabSymbols, TabComments, TabNormal, TabCount
    };

    ReadingForm(QWidget* host, Readings& readings, WorkstationState& state);
    ~ReadingForm() override;

    ReadingFormModel& model() { return model_; }

    // Redraws the form from the patient's record (the current patient's, as the
    // workstation calls it), comment text included.
    void ShowReading(int patient);
    // Redraws every control from the current record; the comment text is left as typed.
    void refresh();

    // Puts the technical-parameter lists on the question's row, to the right of
    // its buttons and not left of leftmost (pixels on the host); for the layout
    // pass after it has moved the row.
    void placeBesideQuestion(int leftmost = 0);
    // The width (pixels) that placeBesideQuestion gives the parameter choices.
    int parametersWidth() const;

    QLabel* lblInitQuestion() const { return lblInitQuestion_; }
    QTabWidget* SSTab1() const { return SSTab1_; }
    QPlainTextEdit* txtComment() const { return txtComment_; }
    QComboBox* ComboModality() const { return ComboModality_; }
    QComboBox* ComboPosture() const { return ComboPosture_; }
    QComboBox* ComboQuality() const { return ComboQuality_; }
    QGroupBox* fraReaderInf() const { return fraReaderInf_; }
    QLineEdit* txtReaderName() const { return txtReaderName_; }
    QLineEdit* txtReaderID() const { return txtReaderID_; }
    QLineEdit* txtYear() const { return txtYear_; }
    QLineEdit* txtMonth() const { return txtMonth_; }
    QLineEdit* txtDate() const { return txtDate_; }

    // Element `index` of the control array CommandN / CheckN / SliderN; nullptr when it does not exist.
    QPushButton* Command(int array, int index) const;
    QCheckBox* Check(int array, int index) const;
    QPushButton* Slider(int array, int index) const;
    QLabel* lblGradeSum(int index) const;

    // Display conventions.
    static QColor chosenColor();   // RGB(255, 128, 128), bold caption
    static QColor selectedGradeColor(); // RGB(255, 0, 0)

signals:
    // A reader action changed the current record.
    void readingChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makePage(int tab, bool scrolling = true);
    QPushButton* addCommand(int array, int index, const QString& caption, QWidget* parent);
    QCheckBox* addCheck(int array, int index, const QString& caption, QWidget* parent);
    QPushButton* addSlider(int array, int index, const QString& caption, QWidget* parent);
    QWidget* makeNoYes(int array, QWidget* parent);
    QWidget* makeGradeGrid(int array, int sumIndex, QWidget* parent);
    QWidget* makeSiteGrid(int array, int firstIndex, ReadingSection section, QWidget* parent);

    void buildQuestion(QWidget* host);
    void buildRound();
    void buildIrregular();
    void buildItemSection(int tab, int array, ReadingSection section, const QString& title,
                          const QString& itemsLabel, std::initializer_list<const char*> itemLabels,
                          const QString& predominantCaption, int sumIndex);
    void buildGradeOnly(int tab, int array, const QString& title);
    void buildLarge();
    void buildPredominance();
    void buildPleural();
    void buildCalcification();
    void buildSymbols();
    void buildComments();
    void buildParameters(QWidget* host);

    void act(bool changed);
    void commentEdited();

    ReadingFormModel model_;
    WorkstationState& state_;

    QLabel* lblInitQuestion_ = nullptr;
    QTabWidget* SSTab1_ = nullptr;
    QPlainTextEdit* txtComment_ = nullptr;
    QComboBox* ComboModality_ = nullptr;
    QComboBox* ComboPosture_ = nullptr;
    QComboBox* ComboQuality_ = nullptr;
    QLabel* lblModality_ = nullptr;
    QLabel* lblPosture_ = nullptr;
    QLabel* lblQuality_ = nullptr;
    QGroupBox* fraReaderInf_ = nullptr;
    QLineEdit* txtReaderName_ = nullptr;
    QLineEdit* txtReaderID_ = nullptr;
    QLineEdit* txtYear_ = nullptr;
    QLineEdit* txtMonth_ = nullptr;
    QLineEdit* txtDate_ = nullptr;

    std::array<QWidget*, TabCount> pages_{};
    std::array<std::vector<QPushButton*>, 11> commands_;
    std::array<std::vector<QCheckBox*>, 10> checks_;
    std::array<std::vector<QPushButton*>, 10> sliders_;
    std::vector<QLabel*> gradeSums_;
    QString acceptedComment_;
};

} // namespace vantor
