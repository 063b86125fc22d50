#include "display/SeriesDisplay.h"

#include "catalogue/Catalogue.h"
#include "display/NumericText.h"
#include "display/ReferenceSampleLibrary.h"
#include "display/SeriesRegistration.h"
#include "display/SliceNavigation.h"
#include "display/WindowAtLoad.h"
#include "reading/ReadingRecord.h"
#include "startup/WaitCursor.h"
#include "startup/WorkstationState.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <ZVDICOM/ZQDICOM.h>
#include <ZVIPEngine/VazAZUrorav.h>
#include <ZVImgViewer/RazazUrirAdeder.h>
#include <algorithm>
#include <filesystem>
#include <optional>

namespace vantor {

namespace {

constexpr std::int32_t kRed = 0x0000FF;        // 0x00BBGGRR
constexpr std::int32_t kStoredOffset = 1024;   // stored value = HU + 1024

std::optional<std::string> optionalTag(const ZQDICOM& dicom, std::int16_t group, std::int16_t element)
{
    std::string buffer(128, '\0');
    if (!dicom.GetTagString(group, element, buffer, static_cast<std::int32_t>(buffer.size())))
        return std::nullopt;
    return buffer.substr(0, buffer.find('\0'));
}

std::int32_t storedLevel(const QLineEdit* box)
{
    return static_cast<std::int32_t>(roundHalfEven(numericValue(box->text().toStdString()))) + kStoredOffset;
}

std::int32_t windowWidthOf(const QLineEdit* box)
{
    return static_cast<std::int32_t>(roundHalfEven(numericValue(box->text().toStdString())));
}

} // namespace

SeriesDisplay::SeriesDisplay(const SeriesDisplayControls& controls, VazAZUrorav& engine, ZQDICOM& dicom,
                             WorkstationState& state, const Catalogue& catalogue, QObject* parent)
    : QObject(parent), controls_(controls), engine_(engine), dicom_(dicom), state_(state), catalogue_(catalogue)
{
    controls_.sortOptions[1]->setChecked(true);
    for (QRadioButton* option : controls_.sortOptions)
        connect(option, &QRadioButton::clicked, this, &SeriesDisplay::changeSort);
    connect(controls_.scrollBar, &QScrollBar::valueChanged, this, &SeriesDisplay::scrollBarMoved);
}

int SeriesDisplay::engineSliceCount() const { return std::max(0, engine_.Zdims()); }

void SeriesDisplay::resetThumbnails()
{
    for (std::size_t i = 0; i < controls_.icons.size(); ++i) {
        controls_.icons[i]->setVisible(false);
        controls_.iconFrames[i]->setVisible(false);
    }
    clearPictures();
}

void SeriesDisplay::clearPictures()
{
    series_.SliceIndex = -1;
    series_.SliceFiles.clear();
    for (RazazUrirAdeder* viewer : {controls_.caseViewer, controls_.localiser}) {
        viewer->Clear(2);
        viewer->sethImage(nullptr);
        viewer->RedrawImage();
    }
    controls_.localiser->setVisible(false);
    controls_.scrollBar->setVisible(false);
    showImageNumber(QString());
    if (controls_.sketchButton != nullptr)
        controls_.sketchButton->setEnabled(false);
}

std::string SeriesDisplay::shownSliceFile() const
{
    if (series_.SliceIndex < 0 || series_.SliceIndex >= static_cast<int>(series_.SliceFiles.size()))
        return {};
    return series_.SliceFiles[static_cast<std::size_t>(series_.SliceIndex)];
}

void SeriesDisplay::chooseStudy(int studyIndex)
{
    if (state_.CurPatient < 0 || state_.CurPatient >= catalogue_.PatientCount())
        return;
    const PatientEntry& patient = catalogue_.Patients[static_cast<std::size_t>(state_.CurPatient)];
    if (studyIndex < 0 || studyIndex >= patient.StudyCount())
        return;
    state_.CurStudy = static_cast<std::int16_t>(studyIndex);
    const StudyEntry& study = patient.Studies[static_cast<std::size_t>(studyIndex)];
    // Nothing of the previous study stays on screen, whether or not a series of this one loads.
    clearPictures();

    std::size_t shown = 0;
    for (; shown < study.Serieses.size() && shown < controls_.icons.size(); ++shown) {
        const SeriesEntry& entry = study.Serieses[shown];
        RazazUrirAdeder* icon = controls_.icons[shown];
        icon->Clear(2);
        bool pictured = false;
        if (!entry.Files.empty()) {
            // Native pixels: a compressed first slice shows like its uncompressed twin.
            std::size_t pixelBytes = 0;
            std::string problem;
            const std::uint8_t* pixels = dicom_.loadNativePixels(entry.Files.front(), pixelBytes, problem);
            std::int16_t rows = 0;
            std::int16_t columns = 0;
            std::int16_t bitsAllocated = 0;
            dicom_.GetTagShort(0x0028, 0x0010, rows);
            dicom_.GetTagShort(0x0028, 0x0011, columns);
            dicom_.GetTagShort(0x0028, 0x0100, bitsAllocated);
            const WindowAtLoad window =
                windowAtLoad(optionalTag(dicom_, 0x0028, 0x1050), optionalTag(dicom_, 0x0028, 0x1051),
                             state_.WLWWSelect, state_.DefaultWL, state_.DefaultWW, bitsAllocated);
            icon->setWindowLevel(static_cast<std::int32_t>(roundHalfEven(window.level)) + kStoredOffset);
            icon->setWindowWidth(static_cast<std::int32_t>(roundHalfEven(window.width)));
            const bool sixteenBitPixels = bitsAllocated == 16 && pixels != nullptr &&
                                          pixelBytes >= static_cast<std::size_t>(rows) * columns * 2;
            // Only 16-bit pixels can be shown as they are; others keep the empty pattern.
            if (sixteenBitPixels && rows > 0 && columns > 0) {
                icon->setImageWidth(columns);
                icon->setImageHeight(rows);
                const std::int32_t dims[2] = {columns, rows};
                icon->SetImageData(pixels, 2, dims, 1);
                pictured = true;
            }
        }
        // A series that cannot be shown leaves its slot empty, not the picture it held before.
        if (!pictured)
            icon->sethImage(nullptr);
        icon->RedrawImage();
        QString tip = QString::fromStdString(entry.FolderName);
        if (!entry.SeriesDesc.empty())
            tip += QStringLiteral(" - ") + QString::fromStdString(entry.SeriesDesc);
        tip += QStringLiteral(" (%1 files)").arg(entry.FileCount());
        icon->setToolTip(tip);
        controls_.iconFrames[shown]->setToolTip(tip);
        controls_.iconFrames[shown]->setVisible(true);
        icon->setVisible(true);
    }
    for (std::size_t i = shown; i < controls_.icons.size(); ++i) {
        controls_.icons[i]->setVisible(false);
        controls_.iconFrames[i]->setVisible(false);
    }
    if (shown > 0)
        selectSeries(0);
}

void SeriesDisplay::selectSeries(int thumbnail)
{
    WaitCursor wait;
    for (std::size_t i = 0; i < controls_.iconFrames.size(); ++i)
        controls_.iconFrames[i]->setStyleSheet(static_cast<int>(i) == thumbnail
                                                   ? QStringLiteral("background: rgb(255, 0, 0);")
                                                   : QStringLiteral("background: rgb(128, 128, 128);"));
    if (state_.CurPatient < 0 || state_.CurPatient >= catalogue_.PatientCount()) {
        if (showMessage)
            showMessage("There is not the target patient()");
        return;
    }
    // The first patient of the catalogue with the current patient's folder name.
    const std::string& folderName = catalogue_.Patients[static_cast<std::size_t>(state_.CurPatient)].FolderName;
    for (std::int16_t p = 0; p < catalogue_.PatientCount(); ++p) {
        if (catalogue_.Patients[static_cast<std::size_t>(p)].FolderName != folderName)
            continue;
        if (p != state_.CurPatient) {
            state_.CurPatient = p;
            if (ReadingRecord* record = currentRecord ? currentRecord() : nullptr)
                record->PatientName = catalogue_.Patients[static_cast<std::size_t>(p)].PatientName;
        }
        break;
    }
    const PatientEntry& patient = catalogue_.Patients[static_cast<std::size_t>(state_.CurPatient)];
    const int studyIndex = controls_.studyList->currentIndex() >= 0 ? controls_.studyList->currentIndex() : state_.CurStudy;
    if (studyIndex < 0 || studyIndex >= patient.StudyCount())
        return;
    const StudyEntry& study = patient.Studies[static_cast<std::size_t>(studyIndex)];
    if (thumbnail < 0 || thumbnail >= study.SeriesCount() ||
        study.Serieses[static_cast<std::size_t>(thumbnail)].Files.empty())
        return;
    state_.CurStudy = static_cast<std::int16_t>(studyIndex);
    state_.CurSeries = static_cast<std::int16_t>(thumbnail);
    const std::string& firstFile = study.Serieses[static_cast<std::size_t>(thumbnail)].Files.front();
    series_.SpacingUnknown = false;
    loadSeries(std::filesystem::path(firstFile).parent_path().string());
}

void SeriesDisplay::showImageNumber(const QString& text)
{
    controls_.imageNumber->setText(text);
    controls_.imageNumber->repaint();
}

void SeriesDisplay::loadSeries(const std::string& folder)
{
    WaitCursor wait;
    if (controls_.quality != nullptr && controls_.quality->count() > 0)
        controls_.quality->setCurrentIndex(0);
    if (controls_.posture != nullptr && controls_.posture->count() > 0)
        controls_.posture->setCurrentIndex(0);

    series_.SliceIndex = -1;
    // Declaring the new volume frees the engine's buffers that the viewers draw from.
    controls_.caseViewer->sethImage(nullptr);
    controls_.localiser->sethImage(nullptr);
    series_.DisplayImage = nullptr;
    FirstFileFields fields;
    SeriesLoadReport report;
    report.showMessage = [this](const std::string& text) {
        if (showMessage)
            showMessage(text);
    };
    // The count is painted at most every 15 ms: the reader sees it move without
    // hundreds of synchronous repaints slowing the load.
    QElapsedTimer sincePaint;
    report.showProgress = [this, &sincePaint](int fileNumber) {
        controls_.imageNumber->setText(QString::number(fileNumber));
        if (!sincePaint.isValid() || sincePaint.elapsed() >= 15) {
            controls_.imageNumber->repaint();
            sincePaint.start();
        }
    };
    const bool registered = registerSeries(folder, dicom_, engine_, series_, fields, report);
    if (!registered) {
        clearPictures();
        return;
    }

    // The first file's header into the current reading and the window boxes.
    const WindowAtLoad window =
        windowAtLoad(fields.hasWindowCenter ? std::optional<std::string>(fields.WindowCenter) : std::nullopt,
                     fields.hasWindowWidth ? std::optional<std::string>(fields.WindowWidth) : std::nullopt,
                     state_.WLWWSelect, state_.DefaultWL, state_.DefaultWW, series_.EightBit ? 8 : 16);
    controls_.windowBoxes[0]->setText(QString::fromStdString(window.levelText));
    controls_.windowBoxes[1]->setText(QString::fromStdString(window.widthText));
    for (QLineEdit* box : controls_.windowBoxes)
        box->setEnabled(window.textBoxesEnabled);
    if (windowEditable)
        windowEditable(window.textBoxesEnabled);
    if (controls_.posture != nullptr && fields.PostureIndex < controls_.posture->count())
        controls_.posture->setCurrentIndex(fields.PostureIndex);
    if (ReadingRecord* record = currentRecord ? currentRecord() : nullptr) {
        const bool patientKnown = state_.CurPatient >= 0 && state_.CurPatient < catalogue_.PatientCount();
        const PatientEntry* patient =
            patientKnown ? &catalogue_.Patients[static_cast<std::size_t>(state_.CurPatient)] : nullptr;
        record->PatientName = fields.hasPatientName && patient ? patient->PatientName : std::string();
        record->PatientID = fields.hasPatientID && patient ? patient->PatientID : std::string();
        record->StudyDate = fields.StudyDate;
        record->StudyTime = fields.StudyTime;
        record->ImageCount = series_.SeriesFileCount;
        record->SliceThickness = fields.SliceThickness;
        record->WindowLevel = window.recordLevel();
        record->WindowWidth = window.recordWidth();
        record->KVP = fields.KVP;
        record->TubeCurrent = fields.TubeCurrent;
        record->ExposureTime = fields.ExposureTime;
        record->Posture = fields.Posture;
        record->Manufacturer = fields.Manufacturer;
        record->ModelName = fields.ModelName;
    }

    if (series_.SeriesFileCount > 1) {
        const QSignalBlocker quiet(controls_.scrollBar);
        controls_.scrollBar->setRange(0, series_.SeriesFileCount - 1);
        series_.SliceIndex = 0;
        applyTypedWindow(true);
    }
    series_.SliceIndex = 0;
    series_.InterpPos = 0;
    {
        const QSignalBlocker quiet(controls_.scrollBar);
        controls_.scrollBar->setValue(0);
    }
    changeSort(); // ends every load; shows slice 0
    series_.VolumeReady = true;
    controls_.localiser->setVisible(series_.MultiSlice);
    controls_.scrollBar->setVisible(series_.MultiSlice);
    if (series_.MultiSlice)
        controls_.scrollBar->setFocus();
}

void SeriesDisplay::changeSort()
{
    if (series_.SliceIndex < 0)
        return;
    if (controls_.sortOptions[0]->isChecked())
        engine_.SortInitialize();
    else if (controls_.sortOptions[1]->isChecked())
        engine_.SortImageNumber(0);
    else
        engine_.SortSlicePosition(0);
    series_.SliceFiles = sliceFilesInEngineOrder(series_.RegisteredSlices, engineSliceCount(), [this](int slice) {
        return std::make_pair(engine_.GetImageNumber(slice), engine_.GetImageSlicePosition(slice));
    });
    if (series_.MultiSlice)
        buildLocaliser();
    showSlice();
}

void SeriesDisplay::buildLocaliser()
{
    const std::int32_t columns = series_.VolumeDims[0];
    const std::int32_t rows = series_.VolumeDims[1];
    if (!engine_.CreateImageOrthoMinIP(&series_.DisplayImage, 2, columns, rows, 1,
                                       static_cast<std::int32_t>(roundHalfEven(rows / 2.0)), 40))
        return;
    controls_.localiser->setImageWidth(columns);
    controls_.localiser->setImageHeight(rows);
    controls_.localiser->sethImage(series_.DisplayImage);
}

void SeriesDisplay::showSlice()
{
    if (series_.SliceIndex < 0)
        return;
    const std::int32_t columns = series_.VolumeDims[0];
    const std::int32_t rows = series_.VolumeDims[1];
    RazazUrirAdeder* viewer = controls_.caseViewer;
    // A slice the engine does not hold (its file was skipped) shows as a blank image.
    const bool held = series_.SliceIndex < engineSliceCount() &&
                      engine_.CreateImageOrthoMPR(&series_.DisplayImage, 0, columns, rows, 0, series_.SliceIndex);
    showImageNumber(QStringLiteral("%1 / %2").arg(series_.SliceIndex + 1).arg(series_.SeriesFileCount));
    viewer->Clear(2);
    viewer->setImageWidth(columns);
    viewer->setImageHeight(rows);
    viewer->setWindowLevel(storedLevel(controls_.windowBoxes[0]));
    viewer->setWindowWidth(windowWidthOf(controls_.windowBoxes[1]));
    fitCaseViewer();
    viewer->sethImage(held ? series_.DisplayImage : nullptr);
    viewer->RedrawImage();

    controls_.localiser->Clear(2);
    if (series_.MultiSlice) {
        drawSliceLine();
        controls_.localiser->RedrawImage();
    }

    if (controls_.sketchButton != nullptr) {
        const std::string file = shownSliceFile();
        std::error_code error;
        controls_.sketchButton->setEnabled(
            !file.empty() && std::filesystem::is_regular_file(ReferenceSampleLibrary::sliceSketchPath(file), error));
    }
    if (caseImageShown)
        caseImageShown();
}

void SeriesDisplay::drawSliceLine()
{
    if (series_.VoxelSpacing[0] == 0.0F) {
        series_.VoxelSpacing[0] = 1.0F;
        series_.SpacingUnknown = true;
    }
    const int y = localiserLineRow(series_, series_.VolumeDims[2]);
    RazazUrirAdeder* localiser = controls_.localiser;
    localiser->setPenColor(kRed);
    localiser->setPenWidth(2);
    localiser->MoveTo(0, y);
    localiser->LineTo(series_.VolumeDims[0] - 1, y);
}

void SeriesDisplay::fitCaseViewer()
{
    RazazUrirAdeder* viewer = controls_.caseViewer;
    const QWidget* background = controls_.imageBackground;
    const int width = viewer->ImageWidth();
    const int height = viewer->ImageHeight();
    if (width <= 0 || height <= 0)
        return;
    if (height < width)
        viewer->resize(background->width(), background->height() * height / width);
    else
        viewer->resize(background->width() * width / height, background->height());
}

void SeriesDisplay::applyTypedWindow(bool fromLoad)
{
    const std::int32_t level = storedLevel(controls_.windowBoxes[0]);
    const std::int32_t width = windowWidthOf(controls_.windowBoxes[1]);
    for (RazazUrirAdeder* viewer : {controls_.caseViewer, controls_.localiser}) {
        viewer->setWindowLevel(level);
        viewer->setWindowWidth(width);
    }
    controls_.caseViewer->RedrawImage();
    if (series_.MultiSlice)
        controls_.localiser->RedrawImage();
    if (windowApplied)
        windowApplied(fromLoad);
}

void SeriesDisplay::pageBy(int step)
{
    if (!state_.FolderOpened || series_.SliceIndex < 0)
        return;
    series_.SliceIndex = pagedSliceIndex(series_.SliceIndex, step, series_.VolumeDims[2]);
    showSlice();
    const QSignalBlocker quiet(controls_.scrollBar);
    controls_.scrollBar->setValue(series_.SliceIndex);
}

void SeriesDisplay::wheel(int delta)
{
    if (series_.SliceIndex < 0)
        return;
    if (controls_.interpolation->isChecked()) {
        if (delta != 0)
            interpolatedPaging(delta >= 1);
        // The bar follows without redrawing, which would replace the interpolated image.
        const QSignalBlocker quiet(controls_.scrollBar);
        controls_.scrollBar->setValue(series_.SliceIndex);
        return;
    }
    series_.SliceIndex = wheelSliceIndex(series_.SliceIndex, delta, series_.VolumeDims[2]);
    showSlice();
    // Moving the bar shows the slice once more through its change handling, as a bar move does.
    controls_.scrollBar->setValue(series_.SliceIndex);
}

void SeriesDisplay::scrollBarMoved(int value)
{
    if (series_.SliceIndex < 0)
        return;
    series_.SliceIndex = static_cast<std::int16_t>(value);
    showSlice();
}

void SeriesDisplay::interpolatedPaging(bool forward)
{
    const int offset = interpolatedStep(series_, forward);
    const std::int32_t columns = series_.VolumeDims[0];
    const std::int32_t rows = series_.VolumeDims[1];
    if (series_.VolumeReady) {
        float matrix[16];
        engine_.GetMatrixDefault(matrix);
        engine_.CreateImageMPRMatrix(&series_.DisplayImage, 0, columns, rows, series_.VoxelSpacing[0], offset, matrix);
    }
    showImageNumber(QString::number(series_.SliceIndex + 1));
    RazazUrirAdeder* viewer = controls_.caseViewer;
    viewer->Clear(2);
    viewer->setImageWidth(columns);
    viewer->setImageHeight(rows);
    viewer->sethImage(series_.DisplayImage);
    viewer->RedrawImage();
    controls_.localiser->Clear(2);
    if (series_.MultiSlice) {
        drawSliceLine();
        controls_.localiser->RedrawImage();
    }
}

} // namespace vantor
