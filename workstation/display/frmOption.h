#pragma once

#include "display/MeasurementChoices.h"

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;
class QGroupBox;

namespace vantor {

class ProfileFile;
struct WorkstationState;

// "Option": the window presets grid, the window chosen at load and the
// measurement tool. Apply stores everything into the state, the main
// window's measurement choices and the settings file, then calls presetsApplied
// so the main window can show its preset menus again.
class frmOption : public QDialog {
    Q_OBJECT
public:
    // Rows of the preset grid below its header row (presets 0 ... 9).
    static constexpr int kPresetRows = 10;

    frmOption(WorkstationState& state, const ProfileFile& settings, MeasurementChoices& measurementChoices,
              std::function<void()> presetsApplied, QWidget* parent = nullptr);

    QTabWidget* tabs() const { return tabs_; }
    QTableWidget* presetGrid() const { return grid_; }
    QRadioButton* tagWindowOption() const { return tagWindow_; }
    QRadioButton* previousWindowOption() const { return previousWindow_; }
    QLineEdit* defaultLevelBox() const { return defaultLevel_; }
    QLineEdit* defaultWidthBox() const { return defaultWidth_; }
    QRadioButton* lineOption() const { return line_; }
    QRadioButton* roiOption() const { return roi_; }
    QRadioButton* diagonalOption() const { return diagonal_; }
    QRadioButton* centerOption() const { return center_; }

public slots:
    // "&Apply": false when a check refused the values (nothing was changed).
    bool apply();
    // "OK": Apply, and close when it succeeded.
    void accept() override;

private:
    void fillFromState();
    void updateEnabled();
    bool checkPresetGrid();
    QString cellText(int row, int column) const;

    WorkstationState& state_;
    const ProfileFile& settings_;
    MeasurementChoices& measurementChoices_;
    std::function<void()> presetsApplied_;

    QTabWidget* tabs_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QRadioButton* tagWindow_ = nullptr;
    QRadioButton* previousWindow_ = nullptr;
    QLineEdit* defaultLevel_ = nullptr;
    QLineEdit* defaultWidth_ = nullptr;
    QRadioButton* line_ = nullptr;
    QRadioButton* roi_ = nullptr;
    QGroupBox* roiOptionFrame_ = nullptr;
    QRadioButton* diagonal_ = nullptr;
    QRadioButton* center_ = nullptr;
};

} // namespace vantor
