#pragma once

#include "display/SeriesState.h"

#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QWidget;
class RazazUrirAdeder;
class VazAZUrorav;
class ZQDICOM;

namespace vantor {

struct Catalogue;
struct WorkstationState;
struct ReadingRecord;

// The controls a series is shown with, all owned by the main window.
struct SeriesDisplayControls {
    RazazUrirAdeder* caseViewer = nullptr;   // RIZOduVed1(0)
    QWidget* imageBackground = nullptr;      // ImageBG
    RazazUrirAdeder* localiser = nullptr;    // RIZOduVed2
    std::array<RazazUrirAdeder*, 20> icons{};
    std::array<QWidget*, 20> iconFrames{};
    QScrollBar* scrollBar = nullptr;         // VScroll1
    QLineEdit* imageNumber = nullptr;        // TxtImageNum(0)
    std::array<QLineEdit*, 2> windowBoxes{}; // TxtWindowParam(0) WL, (1) WW
    QComboBox* studyList = nullptr;
    std::array<QRadioButton*, 3> sortOptions{};
    QCheckBox* interpolation = nullptr;
    QPushButton* sketchButton = nullptr;     // btnSketch2
    QComboBox* posture = nullptr;            // of the reading form
    QComboBox* quality = nullptr;
};

// Binds one loaded series to the main window: the study's thumbnails, the
// load through the DICOM component into the engine, the slice, the
// localiser and every paging input.
class SeriesDisplay : public QObject {
    Q_OBJECT
public:
    SeriesDisplay(const SeriesDisplayControls& controls, VazAZUrorav& engine, ZQDICOM& dicom,
                  WorkstationState& state, const Catalogue& catalogue, QObject* parent = nullptr);

    SeriesState& series() { return series_; }
    const SeriesState& series() const { return series_; }

    // The record that receives the header fields of a loaded series; null for none.
    std::function<ReadingRecord*()> currentRecord;
    // Shows a message with an OK button.
    std::function<void(const std::string&)> showMessage;
    // Called after every redraw of the case image (the window may want to re-fit it).
    std::function<void()> caseImageShown;
    // Called by each load: false when the series has the fixed 8-bit window.
    std::function<void(bool editable)> windowEditable;
    // Called after the typed window reached the slice viewers (fromLoad: by a series load).
    std::function<void(bool fromLoad)> windowApplied;

    // Fills the thumbnails of the study and loads its first series.
    void chooseStudy(int studyIndex);
    // Hides every thumbnail and forgets the loaded series.
    void resetThumbnails();
    // Shows no slice: the case image and the localiser show their empty
    // pattern, the counter is blank and paging stops until the next load.
    void clearPictures();
    // The file of the slice on screen (engine order); empty when none is.
    std::string shownSliceFile() const;
    void selectSeries(int thumbnail);
    void loadSeries(const std::string& folder);
    void showSlice();
    void changeSort();
    // Level and width from the text boxes onto the viewers (HU + 1024 stored offset).
    void applyTypedWindow(bool fromLoad);
    void fitCaseViewer();

    // Navigation inputs.
    void pageBy(int step);               // keys and arrows; needs an opened folder
    void wheel(int delta);               // wheel or a middle-drag step
    void scrollBarMoved(int value);

    // The engine's slice count (files skipped for their size are not in it).
    int engineSliceCount() const;

private:
    void drawSliceLine();
    void buildLocaliser();
    void interpolatedPaging(bool forward);
    void showImageNumber(const QString& text);

    SeriesDisplayControls controls_;
    VazAZUrorav& engine_;
    ZQDICOM& dicom_;
    WorkstationState& state_;
    const Catalogue& catalogue_;
    SeriesState series_;
    bool showingSlice_ = false;
};

} // namespace vantor
