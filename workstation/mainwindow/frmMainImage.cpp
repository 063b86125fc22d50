// The case image's inputs: paging keys and wheel, window drag and presets,
// the pop-up menu and the measurement tools.
#include "mainwindow/frmMain.h"

#include "display/NumericText.h"
#include "mainwindow/ControlDesign.h"
#include "display/SeriesDisplay.h"
#include "display/SliceNavigation.h"
#include "display/ViewerOverlayCanvas.h"
#include "display/WindowDrag.h"
#include "startup/DesktopCheck.h"

#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <ZVImgViewer/RazazUrirAdeder.h>
#include <optional>

namespace vantor {

namespace {

// Virtual-key codes the viewer reports.
constexpr std::int16_t kKeyPageUp = 33;
constexpr std::int16_t kKeyPageDown = 34;
constexpr std::int16_t kKeyUp = 38;
constexpr std::int16_t kKeyDown = 40;

TwipsPoint twips(std::int32_t x, std::int32_t y)
{
    return {static_cast<double>(x) * kTwipsPerPixel, static_cast<double>(y) * kTwipsPerPixel};
}

} // namespace

void frmMain::connectImageInputs()
{
    connect(RIZOduVed1_, &RazazUrirAdeder::MouseDown, this, &frmMain::caseMouseDown);
    connect(RIZOduVed1_, &RazazUrirAdeder::MouseMove, this, &frmMain::caseMouseMove);
    connect(RIZOduVed1_, &RazazUrirAdeder::MouseUp, this, &frmMain::caseMouseUp);
    connect(RIZOduVed1_, &RazazUrirAdeder::KeyDown, this, &frmMain::caseKeyDown);
    connect(RIZOduVed1_, &RazazUrirAdeder::MouseWheel, this, [this](std::int16_t delta) { seriesDisplay_->wheel(delta); });
    connect(RIZOduVed2_, &RazazUrirAdeder::MouseDown, this, [this](std::int16_t button, std::int16_t, std::int32_t, std::int32_t) {
        if (button == MeasurementTool::kLeftButton)
            control("VScroll1")->setFocus();
    });
    connect(qobject_cast<QPushButton*>(control("btnMovePatient(0)")), &QPushButton::clicked, this, [this] { movePatient(+1); });
    connect(qobject_cast<QPushButton*>(control("btnMovePatient(1)")), &QPushButton::clicked, this, [this] { movePatient(-1); });
    connect(qobject_cast<QPushButton*>(control("btnMovePatient(2)")), &QPushButton::clicked, this, &frmMain::selectPatient);
    auto* studies = qobject_cast<QComboBox*>(control("comboStudyList"));
    connect(studies, qOverload<int>(&QComboBox::activated), this, [this](int index) { seriesDisplay_->chooseStudy(index); });
    for (int i = 0; i < 20; ++i) {
        auto* icon = IconList_[static_cast<std::size_t>(i)];
        connect(icon, &RazazUrirAdeder::MouseUp, this,
                [this, i](std::int16_t, std::int16_t, std::int32_t, std::int32_t) { seriesDisplay_->selectSeries(i); });
    }
    for (const char* name : {"TxtWindowParam(0)", "TxtWindowParam(1)"}) {
        auto* box = qobject_cast<QLineEdit*>(control(name));
        connect(box, &QLineEdit::returnPressed, this, &frmMain::applyTypedWindow);
        connect(box, &QLineEdit::editingFinished, this, &frmMain::applyTypedWindow);
        box->installEventFilter(this);
    }
    for (int i = 0; i < 2; ++i) {
        connect(qobject_cast<QRadioButton*>(control(arrayControlName("OptMeasureMode", i))), &QRadioButton::toggled,
                this, [this, i](bool on) {
                    if (on)
                        measurement_.choices().mode = static_cast<MeasureMode>(i);
                    control("FrameROI")->setEnabled(measurement_.choices().mode == MeasureMode::Roi);
                });
        connect(qobject_cast<QRadioButton*>(control(arrayControlName("OptMeasure", i))), &QRadioButton::toggled, this,
                [this, i](bool on) {
                    if (on)
                        measurement_.choices().shape = static_cast<RoiShape>(i);
                });
    }
    qobject_cast<QRadioButton*>(control("OptMeasure(0)"))->setChecked(true);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    // A window box that gets the focus selects its whole text.
    if (event->type() == QEvent::FocusIn)
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            QMetaObject::invokeMethod(box, &QLineEdit::selectAll, Qt::QueuedConnection);
    return QMainWindow::eventFilter(watched, event);
}

bool frmMain::seriesLoaded() const { return seriesDisplay_->series().SliceIndex >= 0; }

void frmMain::applyTypedWindow() { seriesDisplay_->applyTypedWindow(false); }

void frmMain::caseKeyDown(std::int16_t& keyCode, std::int16_t)
{
    if (keyCode == kKeyPageUp || keyCode == kKeyUp)
        seriesDisplay_->pageBy(-1);
    else if (keyCode == kKeyPageDown || keyCode == kKeyDown)
        seriesDisplay_->pageBy(+1);
}

void frmMain::caseMouseDown(std::int16_t button, std::int16_t, std::int32_t x, std::int32_t y)
{
    const bool leftAllowed = seriesLoaded() && !seriesDisplay_->series().SpacingUnknown;
    measurement_.press(button, twips(x, y), leftAllowed);
}

void frmMain::caseMouseMove(std::int16_t button, std::int16_t, std::int32_t x, std::int32_t y)
{
    if (!measurement_.dragging())
        return;
    const TwipsPoint point = twips(x, y);
    if (button == MeasurementTool::kLeftButton) {
        const auto* level = qobject_cast<QLineEdit*>(control("TxtWindowParam(0)"));
        const auto* width = qobject_cast<QLineEdit*>(control("TxtWindowParam(1)"));
        MeasurementContext context;
        context.viewerWidthTwips = RIZOduVed1_->width() * kTwipsPerPixel;
        context.viewerHeightTwips = RIZOduVed1_->height() * kTwipsPerPixel;
        context.xSpacing = seriesDisplay_->series().VoxelSpacing[0];
        context.windowLevel = numericValue(level->text().toStdString());
        context.windowWidth = numericValue(width->text().toStdString());
        ViewerOverlayCanvas canvas(*RIZOduVed1_);
        measurement_.measureTo(point, canvas, context);
    } else if (button == MeasurementTool::kRightButton) {
        const TwipsPoint previous = measurement_.advance(point);
        if (!seriesLoaded())
            return;
        auto* level = qobject_cast<QLineEdit*>(control("TxtWindowParam(0)"));
        auto* width = qobject_cast<QLineEdit*>(control("TxtWindowParam(1)"));
        if (!level->isEnabled())
            return; // an 8-bit series keeps its fixed window
        const WindowDragResult result = applyWindowDrag(level->text().toStdString(), width->text().toStdString(),
                                                        point.x - previous.x, point.y - previous.y);
        level->setText(QString::fromStdString(result.levelText));
        width->setText(QString::fromStdString(result.widthText));
        level->repaint();
        width->repaint();
        applyTypedWindow();
    } else if (button == MeasurementTool::kMiddleButton) {
        const TwipsPoint previous = measurement_.advance(point);
        if (seriesLoaded())
            seriesDisplay_->wheel(middleDragDelta(static_cast<int>(point.y - previous.y)));
    }
}

void frmMain::caseMouseUp(std::int16_t button, std::int16_t, std::int32_t, std::int32_t)
{
    const bool still = measurement_.dragging() && !measurement_.movedSincePress();
    measurement_.release();
    if (button == MeasurementTool::kRightButton && still)
        mnuPopup_->popup(QCursor::pos());
}

void frmMain::resetWindow()
{
    const auto& patients = catalogue_.Patients;
    if (state_.CurPatient < 0 || state_.CurPatient >= static_cast<int>(patients.size()))
        return;
    const auto& studies = patients[static_cast<std::size_t>(state_.CurPatient)].Studies;
    if (state_.CurStudy < 0 || state_.CurStudy >= static_cast<int>(studies.size()))
        return;
    const auto& serieses = studies[static_cast<std::size_t>(state_.CurStudy)].Serieses;
    if (state_.CurSeries < 0 || state_.CurSeries >= static_cast<int>(serieses.size()) ||
        serieses[static_cast<std::size_t>(state_.CurSeries)].Files.empty())
        return;
    ZQDICOM1.setfilename(serieses[static_cast<std::size_t>(state_.CurSeries)].Files.front());
    auto firstNumber = [this](std::int16_t element) -> std::optional<std::int32_t> {
        std::string buffer(128, '\0');
        if (!ZQDICOM1.GetTagString(0x0028, element, buffer, 128))
            return std::nullopt;
        return static_cast<std::int32_t>(roundHalfEven(numericValue(firstValue(buffer.substr(0, buffer.find('\0'))))));
    };
    if (const auto level = firstNumber(0x1050)) {
        state_.DefaultWL = *level;
        qobject_cast<QLineEdit*>(control("TxtWindowParam(0)"))->setText(QString::number(*level));
    }
    if (const auto width = firstNumber(0x1051)) {
        state_.DefaultWW = *width;
        qobject_cast<QLineEdit*>(control("TxtWindowParam(1)"))->setText(QString::number(*width));
    }
    seriesDisplay_->showSlice();
}

} // namespace vantor
