#include "mainwindow/frmMain.h"

#include "mainwindow/ControlDesign.h"
#include "mainwindow/LayoutPass.h"
#include "display/SeriesDisplay.h"
#include "display/frmOption.h"
#include "display/ReferenceSamples.h"
#include "lists/PatientNavigation.h"
#include "lists/TagListBuilder.h"
#include "lists/frmTagList.h"
#include "reading/ResultFile.h"
#include "report/ReportDialog.h"
#include "reading/ReadingForm.h"
#include "startup/AboutBox.h"
#include "startup/DesktopCheck.h"
#include "startup/HelpPages.h"
#include "startup/MainWindowCaption.h"
#include "startup/MessageBoxes.h"
#include "startup/ProgramSettings.h"
#include "startup/SettingsKeys.h"
#include "startup/WindowPlacement.h"
#include "startup/WindowPresets.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QScreen>
#include <QScrollBar>
#include <ZVImgViewer/RazazUrirAdeder.h>
#include <algorithm>

namespace vantor {

namespace {

int pixels(int twips) { return twips / kTwipsPerPixel; }

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

} // namespace

frmMain::frmMain(WorkstationState& state, ProfileFile settings, std::string componentVersions, QWidget* parent)
    : QMainWindow(parent), state_(state), settings_(std::move(settings)),
      componentVersions_(std::move(componentVersions))
{
    setObjectName(QStringLiteral("frmMain"));
    resultFile_ = std::make_unique<ResultFile>();
    buildMenus();
    buildControls();
    placeDesignedControls();
    connectImageInputs();
    buildPatientNavigation();
    // The engine has no windows of its own; its About dialog is ours.
    VazAZUrorav1.setAboutBoxHandler([this] {
        std::string version(128, '\0');
        std::int32_t length = static_cast<std::int32_t>(version.size()) * 2;
        VazAZUrorav1.GetVersion(version, length);
        version.resize(std::min(version.find('\0'), version.size()));
        showMessage(this, QMessageBox::Information, "About VazAZUrorav",
                    "VazAZUrorav (ZVIPEngine)\nVersion " + version);
    });
}

frmMain::~frmMain() = default;

QAction* frmMain::addEntry(QMenu* menu, const std::string& name, const char* caption)
{
    QAction* entry = menu->addAction(text(caption));
    entry->setObjectName(QString::fromStdString(name));
    menuEntries_[name] = entry;
    return entry;
}

void frmMain::buildMenus()
{
    QMenu* file = menuBar()->addMenu(text("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    menuEntries_["mnuFile"] = file->menuAction();
    QAction* folderOpen = addEntry(file, "mnuFolderOpen", "&Load Image Files");
    folderOpen->setShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    connect(folderOpen, &QAction::triggered, this, &frmMain::openFolder);
    connect(addEntry(file, "mnuFileImport", "&Import DICOM..."), &QAction::triggered, this, &frmMain::importDicom);
    addEntry(file, "mnuLoadPList", "Load &Patient List")->setVisible(false);
    QAction* dicomdir = addEntry(file, "mnuFileOpen", "Load &DICOMDIR");
    dicomdir->setVisible(false);
    dicomdir->setEnabled(false);
    QAction* openResults = addEntry(file, "mnuFileOpenResults", "&Open Reading Results");
    openResults->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    connect(openResults, &QAction::triggered, this, &frmMain::openResults);
    QAction* save = addEntry(file, "mnuFileSave", "&Save");
    save->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    connect(save, &QAction::triggered, this, &frmMain::saveResults);
    QAction* saveAs = addEntry(file, "mnuFileSaveAs", "Save &As...");
    connect(saveAs, &QAction::triggered, this, &frmMain::saveResultsAs);
    for (QAction* hidden : {openResults, save, saveAs}) {
        // Hidden and disabled from the start; their shortcuts do not act while hidden.
        hidden->setVisible(false);
        hidden->setEnabled(false);
    }
    file->addSeparator();
    QAction* exit = addEntry(file, "mnuFileExit", "E&xit");
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* view = menuBar()->addMenu(text("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    menuEntries_["mnuView"] = view->menuAction();
    view->menuAction()->setEnabled(false);
    connect(addEntry(view, "mnuViewTags", "&Tag Information"), &QAction::triggered, this, &frmMain::showTagList);
    QAction* patientList = addEntry(view, "mnuPatientList", "&Patient List");
    patientList->setVisible(false);
    connect(patientList, &QAction::triggered, this, &frmMain::showPatientList);

    QMenu* tools = menuBar()->addMenu(text("&Tool"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    menuEntries_["mnuTools"] = tools->menuAction();
    tools->menuAction()->setEnabled(false);
    connect(addEntry(tools, "mnuToolsOptions", "&Option..."), &QAction::triggered, this, &frmMain::showOptions);
    tools->addSeparator();
    QAction* reset = addEntry(tools, "mnuFKeyReset", "&Reset WL/WW");
    reset->setEnabled(false);
    connect(reset, &QAction::triggered, this, &frmMain::resetWindow);
    for (int n = 1; n <= kPresetMenuEntries; ++n) {
        const std::string caption = n < 10 ? "(&" + std::to_string(n) + ")" : "(" + std::to_string(n) + ")";
        QAction* entry = addEntry(tools, arrayControlName("mnuFKey", n), caption.c_str());
        entry->setVisible(false);
        connect(entry, &QAction::triggered, this, [this, n] { applyPreset(n - 1); });
    }

    QMenu* help = menuBar()->addMenu(text("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    menuEntries_["mnuHelp"] = help->menuAction();
    connect(addEntry(help, "mnuHelpContents", "&Contents"), &QAction::triggered, this,
            [this] { openHelpPage(this, state_.AppDir, "index.html"); });
    connect(addEntry(help, "mnuHelpSearchForHelpOn", "&Search Topics..."), &QAction::triggered, this,
            [this] { openHelpPage(this, state_.AppDir, "topics.html"); });
    help->addSeparator();
    connect(addEntry(help, "mnuHelpAbout", "&About"), &QAction::triggered, this, &frmMain::showAbout);

    // The image pop-up menu never appears in the menu bar.
    mnuPopup_ = new QMenu(this);
    mnuPopup_->setObjectName(QStringLiteral("mnuPopup"));
    menuEntries_["mnuPopup"] = mnuPopup_->menuAction();
    connect(addEntry(mnuPopup_, "mnuResetWLWW", "Reset WL/WW"), &QAction::triggered, this, &frmMain::resetWindow);
    mnuPopup_->addSeparator();
    for (int n = 0; n < kPresetMenuEntries; ++n) {
        QAction* entry = addEntry(mnuPopup_, arrayControlName("mnuWLWW", n), "");
        entry->setVisible(false);
        connect(entry, &QAction::triggered, this, [this, n] { applyPreset(n); });
    }
    mnuPopup_->addSeparator();
    connect(addEntry(mnuPopup_, "mnuCancel", "Cancel"), &QAction::triggered, mnuPopup_, &QMenu::close);
}

template <typename Widget> Widget* frmMain::place(const std::string& name, Widget* widget)
{
    widget->setObjectName(QString::fromStdString(name));
    controls_[name] = widget;
    return widget;
}

void frmMain::buildControls()
{
    canvas_ = new QWidget(this);
    canvas_->setObjectName(QStringLiteral("frmMainCanvas"));
    setCentralWidget(canvas_);

    const char* patientButtons[] = {"Next", "Prev", "Select"};
    const char* patientTips[] = {"Next Patient", "Previous Patient", "Select Patient"};
    for (int i = 0; i < 3; ++i) {
        auto* button = place(arrayControlName("btnMovePatient", i), new QPushButton(text(patientButtons[i]), canvas_));
        button->setToolTip(text(patientTips[i]));
        button->setEnabled(false);
    }
    auto* studies = place("comboStudyList", new QComboBox(canvas_));
    studies->setPlaceholderText(QStringLiteral("Select Study"));
    studies->setToolTip(QStringLiteral("Select Study"));

    auto makeOptions = [this](const std::string& frameName, const std::string& optionName,
                              std::initializer_list<const char*> captions) {
        auto* frame = place(frameName, new QFrame(canvas_));
        frame->setFrameShape(QFrame::StyledPanel);
        auto* row = new QHBoxLayout(frame);
        row->setContentsMargins(4, 0, 4, 0);
        int index = 0;
        for (const char* caption : captions) {
            auto* option = new QRadioButton(text(caption), frame);
            option->setObjectName(QString::fromStdString(arrayControlName(optionName, index)));
            controls_[arrayControlName(optionName, index)] = option;
            row->addWidget(option);
            ++index;
        }
    };
    makeOptions("FrameSort", "OptSort", {"None", "ImageNumber", "ImagePosition"});
    makeOptions("FrameMM", "OptMeasureMode", {"Line", "ROI"});
    makeOptions("FrameROI", "OptMeasure", {"Rect", "Center"});
    place("CheckInterpolation", new QCheckBox(QStringLiteral("Interpolation"), canvas_));
    auto* imageNumber = place("TxtImageNum(0)", new QLineEdit(canvas_));
    imageNumber->setReadOnly(true);
    imageNumber->setAlignment(Qt::AlignCenter);
    auto* report = place("btnReport", new QPushButton(QStringLiteral("Output Excel Report"), canvas_));
    report->setEnabled(false);
    connect(report, &QPushButton::clicked, this, [this] { OutputReportInteractive(this, readings_, catalogue_, state_); });

    for (int i = 0; i < 20; ++i) {
        auto* frame = place(arrayControlName("Picture1", i), new QFrame(canvas_));
        frame->setStyleSheet(QStringLiteral("QFrame { background: rgb(128, 128, 128); }"));
        auto* icon = new RazazUrirAdeder(frame);
        icon->setObjectName(QString::fromStdString(arrayControlName("IconList", i)));
        controls_[arrayControlName("IconList", i)] = icon;
        auto* inset = new QHBoxLayout(frame);
        inset->setContentsMargins(2, 2, 2, 2);
        inset->addWidget(icon);
        IconList_[static_cast<std::size_t>(i)] = icon;
        frame->setVisible(false);
    }

    auto* imageBackground = place("ImageBG", new QLabel(canvas_));
    imageBackground->setStyleSheet(QStringLiteral("background: black;"));
    RIZOduVed1_ = place("RIZOduVed1(0)", new RazazUrirAdeder(canvas_));
    auto* sampleBackground = place("SampleBG", new QLabel(QStringLiteral("There are no reference samples."), canvas_));
    sampleBackground->setAlignment(Qt::AlignCenter);
    sampleBackground->setStyleSheet(QStringLiteral("background: black; color: white;"));
    RazazUrirAdeder1_ = place("RazazUrirAdeder1", new RazazUrirAdeder(canvas_));
    RazazUrirAdeder1_->setVisible(false);

    const char* windowLabels[] = {"WL :", "WW :"};
    for (int i = 0; i < 2; ++i) {
        auto* label = place(arrayControlName("LblWindowParam", i), new QLineEdit(text(windowLabels[i]), canvas_));
        label->setReadOnly(true);
        label->setFocusPolicy(Qt::NoFocus);
        auto* box = place(arrayControlName("TxtWindowParam", i), new QLineEdit(canvas_));
        box->setAlignment(Qt::AlignRight);
    }

    auto* sketch2 = place("btnSketch2", new QPushButton(QStringLiteral("Show Sketch"), canvas_));
    auto* sketch = place("btnSketch", new QPushButton(QStringLiteral("Show Sketch"), canvas_));
    sketch->setEnabled(false);
    sketch2->setEnabled(false);

    RIZOduVed2_ = place("RIZOduVed2", new RazazUrirAdeder(canvas_));
    place("VScroll1", new QScrollBar(Qt::Vertical, canvas_));
    place("lblSampName", new QLabel(canvas_));
    place("List2", new QListWidget(canvas_));
    place("List1", new QListWidget(canvas_))->setVisible(false);

    // Case image above its background; the sample viewer above the "no samples" text.
    imageBackground->lower();
    sampleBackground->lower();

    readingForm_ = new ReadingForm(canvas_, readings_, state_);
    controls_["lblInitQuestion"] = readingForm_->lblInitQuestion();
    controls_["Command0(0)"] = readingForm_->Command(0, 0);
    controls_["Command0(1)"] = readingForm_->Command(0, 1);
    controls_["SSTab1"] = readingForm_->SSTab1();
    controls_["txtComment"] = readingForm_->txtComment();

    SeriesDisplayControls series;
    series.caseViewer = RIZOduVed1_;
    series.imageBackground = imageBackground;
    series.localiser = RIZOduVed2_;
    for (int i = 0; i < 20; ++i) {
        series.icons[static_cast<std::size_t>(i)] = IconList_[static_cast<std::size_t>(i)];
        series.iconFrames[static_cast<std::size_t>(i)] = control(arrayControlName("Picture1", i));
    }
    series.scrollBar = qobject_cast<QScrollBar*>(control("VScroll1"));
    series.imageNumber = imageNumber;
    series.windowBoxes = {qobject_cast<QLineEdit*>(control("TxtWindowParam(0)")),
                          qobject_cast<QLineEdit*>(control("TxtWindowParam(1)"))};
    series.studyList = studies;
    for (int i = 0; i < 3; ++i)
        series.sortOptions[static_cast<std::size_t>(i)] = qobject_cast<QRadioButton*>(control(arrayControlName("OptSort", i)));
    series.interpolation = qobject_cast<QCheckBox*>(control("CheckInterpolation"));
    series.sketchButton = sketch2;
    series.posture = readingForm_->ComboPosture();
    series.quality = readingForm_->ComboQuality();
    seriesDisplay_ = new SeriesDisplay(series, VazAZUrorav1, ZQDICOM1, state_, catalogue_, this);
    seriesDisplay_->showMessage = [this](const std::string& message) {
        showMessage(this, QMessageBox::Information, kProgramTitle, message);
    };
    seriesDisplay_->currentRecord = [this]() -> ReadingRecord* {
        if (state_.CurPatient < 0 || state_.CurPatient >= static_cast<int>(readings_.size()))
            return nullptr;
        return &readings_[static_cast<std::size_t>(state_.CurPatient)];
    };
    seriesDisplay_->caseImageShown = [this] { readingForm_->refresh(); };
    // An 8-bit series keeps its fixed window: the presets are offered only for others.
    seriesDisplay_->windowEditable = [this](bool editable) {
        for (int n = 0; n < kPresetMenuEntries; ++n) {
            menuEntry(arrayControlName("mnuWLWW", n))->setEnabled(editable);
            menuEntry(arrayControlName("mnuFKey", n + 1))->setEnabled(editable);
        }
    };

    ReferenceSampleControls samples;
    samples.RazazUrirAdeder1 = RazazUrirAdeder1_;
    samples.SampleBG = sampleBackground;
    samples.List1 = qobject_cast<QListWidget*>(control("List1"));
    samples.List2 = qobject_cast<QListWidget*>(control("List2"));
    samples.lblSampName = qobject_cast<QLabel*>(control("lblSampName"));
    samples.btnSketch = sketch;
    samples.btnSketch2 = sketch2;
    samples.TxtWindowParam = series.windowBoxes;
    samples.SSTab1 = readingForm_->SSTab1();
    referenceSamples_ = new ReferenceSamples(samples, ZQDICOM1, state_, this);
    referenceSamples_->currentSliceFile = [this] { return currentSliceFile(); };
    // CT samples follow the window typed for the slices.
    seriesDisplay_->windowApplied = [this](bool fromLoad) { referenceSamples_->applyTypedWindow(fromLoad); };
    tagList_ = std::make_unique<TagListBuilder>(state_.AppDir);
    RIZOduVed2_->setVisible(false);
    series.scrollBar->setVisible(false);
}

void frmMain::placeDesignedControls()
{
    for (const auto& design : mainWindowDesign()) {
        auto found = controls_.find(design.name);
        if (found == controls_.end())
            continue;
        found->second->setGeometry(pixels(design.left), pixels(design.top), pixels(design.width),
                                   pixels(design.height));
    }
}

QAction* frmMain::menuEntry(const std::string& name) const
{
    auto found = menuEntries_.find(name);
    return found == menuEntries_.end() ? nullptr : found->second;
}

QWidget* frmMain::control(const std::string& name) const
{
    auto found = controls_.find(name);
    return found == controls_.end() ? nullptr : found->second;
}

bool frmMain::load()
{
    state_.ResultFileName.clear();

    const WindowPlacement placement = WindowPlacement::load();
    move(pixels(placement.left), pixels(placement.top));
    resize(std::max(1, pixels(placement.width)), std::max(1, pixels(placement.height)));

    state_.ReadingDate = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")).toStdString();
    refreshCaption();

    const QRect workArea = desktopWorkArea()();
    const int desktopWidth = (workArea.right() + 1) * kTwipsPerPixel;
    const int desktopHeight = (workArea.bottom() + 1) * kTwipsPerPixel;
    state_.DesktopWidth = static_cast<std::int16_t>(std::min(desktopWidth, 32767));
    state_.DesktopHeight = static_cast<std::int16_t>(std::min(desktopHeight, 32767));
    if (desktopIsTooSmall(desktopWidth, desktopHeight) &&
        showMessage(this, QMessageBox::Question, kProgramTitle, desktopQuestion(desktopWidth, desktopHeight),
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return false;
    state_.MaxLayoutWidth = std::min<std::int16_t>(state_.DesktopWidth, 9600);
    state_.MaxLayoutHeight = std::min<std::int16_t>(state_.DesktopHeight, 7000);
    setMinimumSize(minimumWindowSize().boundedTo(workArea.size()));

    state_.CurPatient = -1;
    state_.CategoryNames = {"RO", "IR", "GGO", "HC", "EM", "LO", "", "Symbols", "Pleura", "Normal", ""};

    initialFolder_ = lastOpenedFolder(settings_);
    loadProgramSettings(settings_, state_);
    menuEntry("mnuPatientList")->setVisible(state_.PersonalDisp == 0);
    loadPresetMenus();
    // The boxes start at the last window used, so a CT sample is drawn with a real window from the start.
    qobject_cast<QLineEdit*>(control("TxtWindowParam(0)"))->setText(QString::number(state_.DefaultWL));
    qobject_cast<QLineEdit*>(control("TxtWindowParam(1)"))->setText(QString::number(state_.DefaultWW));

    if (placement.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    show();
    referenceSamples_->loadCategories();
    referenceSamples_->selectTab(0);
    if (auto* lineMode = qobject_cast<QRadioButton*>(control("OptMeasureMode(0)")))
        lineMode->setChecked(true);
    raise();
    activateWindow();
    return true;
}

QSize frmMain::minimumWindowSize() const
{
    std::map<std::string, TwipsRect> designed;
    for (const auto& design : mainWindowDesign())
        designed[design.name] = {design.left, design.top, design.width, design.height};
    const MinimumLayoutSize minimum =
        minimumLayoutSize(designed, FormNeeds{readingForm_->parametersWidth() * kTwipsPerPixel});
    return {pixels(minimum.windowWidth), pixels(minimum.innerHeight) + menuBar()->sizeHint().height()};
}

void frmMain::loadPresetMenus()
{
    loadWindowPresets(settings_, state_);
    showPresetMenus();
}

void frmMain::showPresetMenus()
{
    for (int n = 0; n < kPresetMenuEntries; ++n) {
        QAction* popup = menuEntry(arrayControlName("mnuWLWW", n));
        QAction* tools = menuEntry(arrayControlName("mnuFKey", n + 1));
        const bool loaded = n < state_.PresetCount && !state_.WLWWPresets[static_cast<std::size_t>(n)].Name.empty();
        popup->setVisible(loaded);
        tools->setVisible(loaded);
        if (!loaded)
            continue;
        const WLWWPreset& preset = state_.WLWWPresets[static_cast<std::size_t>(n)];
        popup->setText(QString::fromStdString(presetPopupCaption(preset)));
        tools->setText(QString::fromStdString(presetToolsCaption(n, preset)));
    }
}

void frmMain::refreshCaption() { setWindowTitle(QString::fromStdString(mainWindowCaption(state_))); }

void frmMain::applyPreset(int index)
{
    if (index < 0 || index >= state_.PresetCount)
        return;
    const WLWWPreset& preset = state_.WLWWPresets[static_cast<std::size_t>(index)];
    // An 8-bit series keeps its fixed window.
    auto* level = qobject_cast<QLineEdit*>(control("TxtWindowParam(0)"));
    if (!level->isEnabled())
        return;
    level->setText(QString::number(preset.WL));
    qobject_cast<QLineEdit*>(control("TxtWindowParam(1)"))->setText(QString::number(preset.WW));
    state_.DefaultWL = preset.WL;
    state_.DefaultWW = preset.WW;
    applyTypedWindow();
}

std::string frmMain::currentSliceFile() const { return seriesDisplay_->shownSliceFile(); }

void frmMain::showTagList() { frmTagList::showTags(this, *tagList_, ZQDICOM1, currentSliceFile()); }

void frmMain::showOptions()
{
    frmOption options(state_, settings_, measurement_.choices(), [this] {
        showPresetMenus();
        // The dialog's measurement choices become the main window's options.
        qobject_cast<QRadioButton*>(control(arrayControlName("OptMeasureMode", static_cast<int>(measurement_.choices().mode))))
            ->setChecked(true);
        qobject_cast<QRadioButton*>(control(arrayControlName("OptMeasure", static_cast<int>(measurement_.choices().shape))))
            ->setChecked(true);
    }, this);
    options.exec();
}

void frmMain::showAbout()
{
    AboutBox about(componentVersions_, this);
    about.exec();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (saveReadingAtExit)
        saveReadingAtExit();
    if (!saveProgramSettingsAtExit(settings_, state_))
        showMessage(this, QMessageBox::Warning, kProgramTitle,
                    "The settings could not be written to " + settings_.path() + ".");
    if (!isMinimized()) {
        // What load() restores: the frame's corner and the inner size, of the
        // normal window when it is maximised.
        const QRect normal = isMaximized() ? normalGeometry() : geometry();
        const QPoint frameCorner = normal.topLeft() - (geometry().topLeft() - pos());
        WindowPlacement placement;
        placement.left = frameCorner.x() * kTwipsPerPixel;
        placement.top = frameCorner.y() * kTwipsPerPixel;
        placement.width = normal.width() * kTwipsPerPixel;
        placement.height = normal.height() * kTwipsPerPixel;
        placement.maximized = isMaximized();
        placement.save();
    }
    event->accept();
}

} // namespace vantor
