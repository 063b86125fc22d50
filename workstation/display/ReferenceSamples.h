#pragma once

#include "display/CategoryTable.h"
#include "display/SampleWindow.h"
#include "display/SketchWindow.h"

#include <QObject>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QWidget;
class RazazUrirAdeder;
class ZQDICOM;

namespace vantor {


struct WorkstationState;

// The main window's controls of the reference samples, all owned by it.
struct ReferenceSampleControls {
    RazazUrirAdeder* RazazUrirAdeder1 = nullptr;   // the sample viewer
    QWidget* SampleBG = nullptr;                   // "There are no reference samples." behind it
    QListWidget* List1 = nullptr;                  // sample file names (hidden)
    QListWidget* List2 = nullptr;                  // their descriptions
    QLabel* lblSampName = nullptr;                 // "[ category ]"
    QPushButton* btnSketch = nullptr;              // sketch of the sample
    QPushButton* btnSketch2 = nullptr;             // sketch of the slice
    std::array<QLineEdit*, 2> TxtWindowParam{};    // typed level (0) and width (1), Hounsfield units
    QTabWidget* SSTab1 = nullptr;                  // optional: its tab changes list the samples
};

// Binds the reference samples to the main window: the samples of the
// category of the selected reading-form tab, the shown sample with its
// window, and the sketch window of a sample or of the current slice.
// The constructor connects the lists, the viewer's wheel, both sketch
// buttons and (when given) the tab control.
class ReferenceSamples : public QObject {
    Q_OBJECT
public:
    ReferenceSamples(const ReferenceSampleControls& controls, ZQDICOM& dicom, const WorkstationState& state,
                     QObject* parent = nullptr);
    ~ReferenceSamples() override;

    // The path of the slice on screen, empty when none; used by btnSketch2.
    std::function<std::string()> currentSliceFile;

    // Reads AppDir + "Category.txt" (once, when the main window loads).
    bool loadCategories();
    const CategoryTable& categories() const { return categories_; }

    // Reading-form tab `tab` was selected: lists the samples of its category.
    void selectTab(int tab);
    // Lists the samples of the current category and shows the first.
    void listSamples();
    // Shows sample `index` of the list (out of range: nothing happens).
    void showSample(int index);
    // Wheel over the sample viewer: towards the reader = next sample, away = previous.
    void wheel(int zDelta);

    // The typed window onto a CT sample (every window change of the slices);
    // redraws it unless the change comes from a series load.
    void applyTypedWindow(bool fromSeriesLoad);

    // Keeps the sample viewer's width and gives it the shown sample's
    // proportions; for the layout pass after it has placed the viewer.
    void fitViewer();

    // "Show Sketch" of the sample (btnSketch) and of the slice (btnSketch2).
    void showSampleSketch();
    void showSliceSketch(const std::string& sliceFile);

    const std::string& category() const { return category_; }
    int sampleCount() const { return static_cast<int>(sampleFiles_.size()); }
    int sampleIndex() const { return sampleIndex_; }
    const std::string& modality() const { return modality_; }
    // The shown sample is a CT image and follows the typed window.
    bool followsTypedWindow() const;
    // The open sketch window, or nullptr.
    SketchWindow* sketchWindow() const { return sketchWindow_; }

private:
    void showSketch(const std::string& path);
    SampleWindow::Viewer typedWindow() const;

    ReferenceSampleControls controls_;
    ZQDICOM& dicom_;
    const WorkstationState& state_;
    CategoryTable categories_;
    std::string category_;
    std::vector<std::string> sampleFiles_;
    int sampleIndex_ = -1;
    std::string modality_;
    SampleWindow sampleWindow_;
    QPointer<SketchWindow> sketchWindow_;
};

} // namespace vantor
