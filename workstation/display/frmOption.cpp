#include "display/frmOption.h"

#include "display/NumericText.h"
#include "startup/MessageBoxes.h"
#include "startup/ProfileFile.h"
#include "startup/SettingsKeys.h"
#include "startup/WindowPresets.h"
#include "startup/WorkstationState.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace vantor {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kNameColumn = 0;
constexpr int kLevelColumn = 1;
constexpr int kWidthColumn = 2;
constexpr int kLevelTab = 0;
constexpr int kModeTab = 1;

int pixels(int twips) { return twips / kTwipsPerPixel; }

// A whole number, blanks around it allowed, that fits a preset value.
bool wholeNumber(const QString& text, std::int32_t& value)
{
    const std::string trimmed = text.trimmed().toStdString();
    if (trimmed.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(trimmed.c_str(), &end, 10);
    if (errno != 0 || end != trimmed.c_str() + trimmed.size())
        return false;
    if (parsed < std::numeric_limits<std::int32_t>::min() || parsed > std::numeric_limits<std::int32_t>::max())
        return false;
    value = static_cast<std::int32_t>(parsed);
    return true;
}

// The integer a window box stands for: its leading number, rounded.
std::int32_t boxInteger(const QLineEdit* box)
{
    const double value = numericValue(box->text().toStdString());
    if (value >= std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value <= std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(roundHalfEven(value));
}

QRadioButton* makeOption(const char* caption, const char* name, QWidget* parent)
{
    auto* option = new QRadioButton(QString::fromUtf8(caption), parent);
    option->setObjectName(QString::fromUtf8(name));
    return option;
}

} // namespace

frmOption::frmOption(WorkstationState& state, const ProfileFile& settings, MeasurementChoices& measurementChoices,
                     std::function<void()> presetsApplied, QWidget* parent)
    : QDialog(parent), state_(state), settings_(settings), measurementChoices_(measurementChoices),
      presetsApplied_(std::move(presetsApplied))
{
    setWindowTitle(QStringLiteral("Option"));
    setObjectName(QStringLiteral("frmOption"));

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("SSTab1"));
    tabs_->setElideMode(Qt::ElideNone);
    tabs_->setUsesScrollButtons(false);

    // Preset tab: header row and numbering column as the grid's headers.
    auto* presetPage = new QWidget(tabs_);
    grid_ = new QTableWidget(kPresetRows, 3, presetPage);
    grid_->setObjectName(QStringLiteral("grdPreset"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("WL"), QStringLiteral("WW")});
    QStringList numbers;
    for (int row = 1; row <= kPresetRows; ++row)
        numbers << QString::number(row);
    grid_->setVerticalHeaderLabels(numbers);
    grid_->verticalHeader()->setFixedWidth(pixels(500));
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(pixels(320));
    grid_->verticalHeader()->setMinimumSectionSize(1);
    grid_->horizontalHeader()->setFixedHeight(pixels(400));
    grid_->setColumnWidth(kNameColumn, pixels(2000));
    grid_->setColumnWidth(kLevelColumn, pixels(1500));
    grid_->setColumnWidth(kWidthColumn, pixels(1500));
    // The grid shows every column and row whole: the dialog is sized to it.
    const int frame = 2 * grid_->frameWidth();
    grid_->setMinimumSize(pixels(500 + 2000 + 1500 + 1500) + frame, pixels(400) + kPresetRows * pixels(320) + frame);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    auto* presetLayout = new QVBoxLayout(presetPage);
    presetLayout->addWidget(grid_);
    tabs_->addTab(presetPage, QStringLiteral("WL/WW Preset"));

    // Mode tab.
    auto* modePage = new QWidget(tabs_);
    tagWindow_ = makeOption("Apply the WL/WW defined in DICOM Tag", "OptWLWWSelect0", modePage);
    previousWindow_ = makeOption("Apply the previous selected WL/WW", "OptWLWWSelect1", modePage);
    defaultLevel_ = new QLineEdit(modePage);
    defaultLevel_->setObjectName(QStringLiteral("txtDefaultWL"));
    defaultWidth_ = new QLineEdit(modePage);
    defaultWidth_->setObjectName(QStringLiteral("txtDefaultWW"));
    auto* levelLabel = new QLabel(QStringLiteral("WL"), modePage);
    levelLabel->setBuddy(defaultLevel_);
    auto* widthLabel = new QLabel(QStringLiteral("WW"), modePage);
    widthLabel->setBuddy(defaultWidth_);
    auto* modeLayout = new QGridLayout(modePage);
    modeLayout->addWidget(tagWindow_, 0, 0, 1, 2);
    modeLayout->addWidget(previousWindow_, 1, 0, 1, 2);
    modeLayout->addWidget(levelLabel, 2, 0);
    modeLayout->addWidget(defaultLevel_, 2, 1);
    modeLayout->addWidget(widthLabel, 3, 0);
    modeLayout->addWidget(defaultWidth_, 3, 1);
    modeLayout->setRowStretch(4, 1);
    tabs_->addTab(modePage, QStringLiteral("WL/WW Mode"));

    // Measurement tab.
    auto* measurementPage = new QWidget(tabs_);
    line_ = makeOption("Straight Line", "OptMeasureMode0", measurementPage);
    roi_ = makeOption("ROI", "OptMeasureMode1", measurementPage);
    roiOptionFrame_ = new QGroupBox(QStringLiteral("ROI Option"), measurementPage);
    roiOptionFrame_->setObjectName(QStringLiteral("FrameROI"));
    diagonal_ = makeOption("Diagonal", "OptMeasure0", roiOptionFrame_);
    center_ = makeOption("Center", "OptMeasure1", roiOptionFrame_);
    auto* roiLayout = new QVBoxLayout(roiOptionFrame_);
    roiLayout->addWidget(diagonal_);
    roiLayout->addWidget(center_);
    auto* measurementLayout = new QVBoxLayout(measurementPage);
    measurementLayout->addWidget(line_);
    measurementLayout->addWidget(roi_);
    measurementLayout->addWidget(roiOptionFrame_);
    measurementLayout->addStretch(1);
    tabs_->addTab(measurementPage, QStringLiteral("Measurement Mode"));

    auto* applyButton = new QPushButton(QStringLiteral("&Apply"), this);
    applyButton->setObjectName(QStringLiteral("btnApply"));
    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("btnOK"));
    auto* cancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("btnCancel"));
    // Enter in the grid commits the cell; it must not close the dialog.
    okButton->setAutoDefault(false);
    applyButton->setAutoDefault(false);
    cancelButton->setAutoDefault(false);
    connect(applyButton, &QPushButton::clicked, this, [this] { apply(); });
    connect(okButton, &QPushButton::clicked, this, &frmOption::accept);
    connect(cancelButton, &QPushButton::clicked, this, &frmOption::reject);
    connect(previousWindow_, &QRadioButton::toggled, this, &frmOption::updateEnabled);
    connect(roi_, &QRadioButton::toggled, this, &frmOption::updateEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(applyButton);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);

    fillFromState();
}

void frmOption::fillFromState()
{
    for (int row = 0; row < kPresetRows; ++row) {
        const bool used = row < state_.PresetCount;
        const WLWWPreset& preset = state_.WLWWPresets[static_cast<std::size_t>(row)];
        const QString texts[3] = {used ? QString::fromStdString(preset.Name) : QString(),
                                  used ? QString::number(preset.WL) : QString(),
                                  used ? QString::number(preset.WW) : QString()};
        for (int column = 0; column < 3; ++column)
            grid_->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
    (state_.WLWWSelect ? previousWindow_ : tagWindow_)->setChecked(true);
    defaultLevel_->setText(QString::number(state_.DefaultWL));
    defaultWidth_->setText(QString::number(state_.DefaultWW));
    (measurementChoices_.mode == MeasureMode::Roi ? roi_ : line_)->setChecked(true);
    (measurementChoices_.shape == RoiShape::Center ? center_ : diagonal_)->setChecked(true);
    updateEnabled();
}

void frmOption::updateEnabled()
{
    const bool previous = previousWindow_->isChecked();
    defaultLevel_->setEnabled(previous);
    defaultWidth_->setEnabled(previous);
    roiOptionFrame_->setEnabled(roi_->isChecked());
}

QString frmOption::cellText(int row, int column) const
{
    const QTableWidgetItem* item = grid_->item(row, column);
    return item ? item->text() : QString();
}

bool frmOption::checkPresetGrid()
{
    // Only the rows that become presets matter: those before the first empty name.
    for (int row = 0; row < kPresetRows; ++row) {
        const QString name = cellText(row, kNameColumn);
        if (name.trimmed().isEmpty())
            return true;
        const std::string rowText = "row " + std::to_string(row + 1);
        if (name.contains(QLatin1Char('\\'))) {
            tabs_->setCurrentIndex(kLevelTab);
            grid_->setCurrentCell(row, kNameColumn);
            grid_->setFocus();
            showMessage(this, QMessageBox::Warning, kProgramTitle,
                        "The Name of " + rowText + " can not include \"\\\".");
            return false;
        }
        for (const int column : {kLevelColumn, kWidthColumn}) {
            std::int32_t value = 0;
            if (wholeNumber(cellText(row, column), value))
                continue;
            tabs_->setCurrentIndex(kLevelTab);
            grid_->setCurrentCell(row, column);
            grid_->setFocus();
            showMessage(this, QMessageBox::Warning, kProgramTitle,
                        std::string(column == kLevelColumn ? "WL" : "WW") + " value of " + rowText +
                            " is not a whole number.");
            return false;
        }
    }
    return true;
}

bool frmOption::apply()
{
    // A cell still being edited counts with its typed text: moving the
    // current cell away commits the open editor.
    const QModelIndex current = grid_->currentIndex();
    grid_->setCurrentIndex(QModelIndex());
    grid_->setCurrentIndex(current);

    if (numericValue(defaultWidth_->text().toStdString()) == 0.0) {
        tabs_->setCurrentIndex(kModeTab);
        defaultWidth_->setFocus();
        showMessage(this, QMessageBox::Warning, kProgramTitle, "WW value can not be zero");
        return false;
    }
    if (!checkPresetGrid())
        return false;

    measurementChoices_.mode = roi_->isChecked() ? MeasureMode::Roi : MeasureMode::Line;
    measurementChoices_.shape = center_->isChecked() ? RoiShape::Center : RoiShape::Rect;

    bool written = true;
    state_.WLWWSelect = previousWindow_->isChecked();
    if (state_.WLWWSelect) {
        state_.DefaultWL = boxInteger(defaultLevel_);
        state_.DefaultWW = boxInteger(defaultWidth_);
    }
    written &= settings_.writeString(kProgramSection, "WLWWSelect", state_.WLWWSelect ? "1" : "0");
    written &= settings_.writeString(kProgramSection, "DefaultWL", defaultLevel_->text().toStdString());
    written &= settings_.writeString(kProgramSection, "DefaultWW", defaultWidth_->text().toStdString());

    int count = 0;
    for (int row = 0; row < kPresetRows; ++row) {
        const QString name = cellText(row, kNameColumn);
        if (name.trimmed().isEmpty())
            break;
        WLWWPreset preset;
        preset.Name = name.toStdString();
        wholeNumber(cellText(row, kLevelColumn), preset.WL);
        wholeNumber(cellText(row, kWidthColumn), preset.WW);
        state_.WLWWPresets[static_cast<std::size_t>(row)] = preset;
        written &= settings_.writeString(kPresetSection, presetKey(row),
                                         preset.Name + "\\" + std::to_string(preset.WL) + "\\" +
                                             std::to_string(preset.WW));
        ++count;
    }
    for (std::size_t slot = static_cast<std::size_t>(count); slot < state_.WLWWPresets.size(); ++slot)
        state_.WLWWPresets[slot] = {};
    state_.PresetCount = count;
    written &= settings_.writeString(kPresetSection, "WWWL_CNT", std::to_string(count));

    if (presetsApplied_)
        presetsApplied_();
    if (!written)
        showMessage(this, QMessageBox::Warning, kProgramTitle,
                    "The settings could not be written to the file." "\r" "[" + settings_.path() + "]");
    return true;
}

void frmOption::accept()
{
    if (apply())
        QDialog::accept();
}

} // namespace vantor
