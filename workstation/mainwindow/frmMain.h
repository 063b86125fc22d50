#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/DisplayNameTable.h"
#include "display/MeasurementTool.h"
#include "reading/ReadingRecord.h"
#include "startup/ProfileFile.h"
#include "startup/WorkstationState.h"

#include <QMainWindow>
#include <ZVDICOM/ZQDICOM.h>
#include <ZVIPEngine/VazAZUrorav.h>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;
class RazazUrirAdeder;

namespace vantor {

class PatientNavigation;
class ReferenceSamples;
class TagListBuilder;
class ReadingForm;
class ResultFile;
class SeriesDisplay;

// The main window: menus, the case and sample images, the localiser, the
// thumbnails and the reading form. It owns the engine and the DICOM
// component instances that all of them share.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    frmMain(WorkstationState& state, ProfileFile settings, std::string componentVersions,
            QWidget* parent = nullptr);
    ~frmMain() override;

    // The load sequence; false when the reader declined to go on with a
    // desktop that is too small (the program then ends).
    bool load();

    // Every menu entry by its published name ("mnuFKey(3)" for arrays).
    QAction* menuEntry(const std::string& name) const;
    // Every placed control by its published name.
    QWidget* control(const std::string& name) const;

    // The folder chooser starts here (the folder opened last time).
    const std::string& initialFolder() const { return initialFolder_; }

    // Runs the reading save of an exit; set by the result-file code.
    std::function<void()> saveReadingAtExit;

    // "&Load Image Files": the folder chooser, fresh readings, the first patient.
    void openFolder();
    // File > Import DICOM...: media into a data folder, then offered for opening.
    void importDicom();
    // Opens a catalogue that the chooser made for folder (also used by tests).
    void openCatalogue(const std::string& folder, Catalogue catalogue, std::optional<DisplayNameTable> displayNames);
    // Moves to the previous (-1) or next (+1) patient and shows their first study.
    void movePatient(int step);
    // "Select Patient": the patient chosen in the selection window.
    void selectPatient();
    // "&Save", "Save &As...", "&Open Reading Results" of the result file.
    void saveResults();
    void saveResultsAs();
    void openResults();
    // "&Patient List": the names behind the display names.
    void showPatientList();
    // "&Tag Information": the elements of the shown slice's file.
    void showTagList();
    // The file of the slice on screen; empty before a series is shown.
    std::string currentSliceFile() const;

    SeriesDisplay& seriesDisplay() { return *seriesDisplay_; }
    ReadingForm& readingForm() { return *readingForm_; }
    const Catalogue& catalogue() const { return catalogue_; }
    Readings& readings() { return readings_; }
    MeasurementTool& measurementTool() { return measurement_; }

    void refreshCaption();
    // Applies the level and width typed in the window boxes.
    void applyTypedWindow();
    // "Reset WL/WW": the window of the current series' first file.
    void resetWindow();
    // Runs the layout pass for the current window size.
    void layoutControls();
    // The smallest size (pixels) at which the layout pass overlaps no controls.
    QSize minimumWindowSize() const;
    // Shows the pop-up and Tools entries of the presets now in the state.
    void showPresetMenus();
    void applyPreset(int index);
    void showAbout();
    void showOptions();

    VazAZUrorav VazAZUrorav1;
    ZQDICOM ZQDICOM1;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    // The folder chooser, positioned on folder.
    void openFolderAt(const std::string& folder);
    void buildPatientNavigation();
    void connectImageInputs();
    void caseMouseDown(std::int16_t button, std::int16_t shift, std::int32_t x, std::int32_t y);
    void caseMouseMove(std::int16_t button, std::int16_t shift, std::int32_t x, std::int32_t y);
    void caseMouseUp(std::int16_t button, std::int16_t shift, std::int32_t x, std::int32_t y);
    void caseKeyDown(std::int16_t& keyCode, std::int16_t shift);
    bool seriesLoaded() const;
    void buildControls();
    void placeDesignedControls();
    void loadPresetMenus();
    QAction* addEntry(QMenu* menu, const std::string& name, const char* caption);
    template <typename Widget> Widget* place(const std::string& name, Widget* widget);

    WorkstationState& state_;
    ProfileFile settings_;
    std::string componentVersions_;
    std::string initialFolder_;
    std::map<std::string, QAction*> menuEntries_;
    std::map<std::string, QWidget*> controls_;
    QWidget* canvas_ = nullptr;
    QMenu* mnuPopup_ = nullptr;

    Catalogue catalogue_;
    std::optional<DisplayNameTable> displayNames_;
    Readings readings_;
    ReadingForm* readingForm_ = nullptr;
    SeriesDisplay* seriesDisplay_ = nullptr;
    std::unique_ptr<ResultFile> resultFile_;
    std::unique_ptr<PatientNavigation> patientNavigation_;
    ReferenceSamples* referenceSamples_ = nullptr;
    std::unique_ptr<TagListBuilder> tagList_;
    MeasurementTool measurement_;
    bool layingOut_ = false;

    RazazUrirAdeder* RIZOduVed1_ = nullptr;
    RazazUrirAdeder* RIZOduVed2_ = nullptr;
    RazazUrirAdeder* RazazUrirAdeder1_ = nullptr;
    std::array<RazazUrirAdeder*, 20> IconList_{};
};

} // namespace vantor
