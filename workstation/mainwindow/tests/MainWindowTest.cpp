// The main window's menus, preset entries, caption and exit rules.
#include "TemporaryFolder.h"
#include "mainwindow/frmMain.h"
#include "startup/AboutBox.h"

#include <QLabel>
#include "startup/MessageBoxes.h"
#include "startup/SettingsKeys.h"
#include "startup/WindowPlacement.h"

#include <QAction>
#include <QImage>
#include <set>
#include "catalogue/Catalogue.h"
#include "startup/DesktopCheck.h"
#include <QLineEdit>
#include <QSettings>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <ZVImgViewer/RazazUrirAdeder.h>
#include <gtest/gtest.h>

using namespace vantor;

namespace {

// A main window on its own settings file and per-user store, with every
// question answered Yes.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(folder.file("user")));
        savedPresenter = messagePresenter();
        messagePresenter() = [this](QWidget*, QMessageBox::Icon, const QString&, const QString& text,
                                    QMessageBox::StandardButtons) {
            questions.push_back(text);
            return QMessageBox::Yes;
        };
        settingsPath = folder.file("VANTOR_Viewer.ini");
        TemporaryFolder::write(settingsPath, "[VANTOR_Viewer]\nTopFolder=/old\nWLWWSelect=1\nDefaultWL=40\n"
                                             "DefaultWW=400\nPersonalDisp=0\n[WWWL_Params]\nWWWL_CNT=2\n"
                                             "WWWL_000=Lung\\-600\\1500\nWWWL_001=Bone\\400\\1800\n");
        state.AppDir = folder.file("app") + "/";
        state.ReaderName = "reader";
    }
    void TearDown() override { messagePresenter() = savedPresenter; }

    TemporaryFolder folder;
    std::string settingsPath;
    WorkstationState state;
    std::vector<QString> questions;
    MessagePresenter savedPresenter;
};

// A hidden action always reads as disabled: its own state shows only while it is shown.
bool enabledWhenShown(QAction* action)
{
    const bool visible = action->isVisible();
    action->setVisible(true);
    const bool enabled = action->isEnabled();
    action->setVisible(visible);
    return enabled;
}

std::string rectText(const QRect& r)
{
    return "(" + std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height()) + ")";
}

// Gives the program a desktop of this size for as long as it lives.
class InjectedDesktop {
public:
    explicit InjectedDesktop(QRect workArea) : saved_(desktopWorkArea())
    {
        desktopWorkArea() = [workArea] { return workArea; };
    }
    ~InjectedDesktop() { desktopWorkArea() = saved_; }

private:
    std::function<QRect()> saved_;
};

} // namespace

TEST_F(MainWindowTest, MenusCarryTheirCaptionsShortcutsAndStates)
{
    frmMain window(state, ProfileFile(settingsPath), "");
    ASSERT_TRUE(window.load());
    EXPECT_EQ(window.windowTitle(), "VANTORViewer");
    EXPECT_EQ(window.menuEntry("mnuFolderOpen")->text(), "&Load Image Files");
    EXPECT_EQ(window.menuEntry("mnuFolderOpen")->shortcut(), QKeySequence("Ctrl+L"));
    EXPECT_EQ(window.menuEntry("mnuFileOpenResults")->shortcut(), QKeySequence("Ctrl+O"));
    for (const char* hidden : {"mnuLoadPList", "mnuFileOpen", "mnuFileOpenResults", "mnuFileSave", "mnuFileSaveAs"})
        EXPECT_FALSE(window.menuEntry(hidden)->isVisible()) << hidden;
    for (const char* disabled : {"mnuFileOpen", "mnuFileSave", "mnuView", "mnuTools", "mnuFKeyReset"})
        EXPECT_FALSE(enabledWhenShown(window.menuEntry(disabled))) << disabled;
    // Opening a folder enables the hidden result-file entries (still hidden).
    Catalogue onePatient;
    onePatient.Patients.push_back(PatientEntry{"p1", "p1", "p1", {}});
    window.openCatalogue(folder.file("data"), std::move(onePatient), std::nullopt);
    EXPECT_TRUE(enabledWhenShown(window.menuEntry("mnuFileSave")));
    EXPECT_FALSE(window.menuEntry("mnuFileSave")->isVisible());
    EXPECT_FALSE(enabledWhenShown(window.menuEntry("mnuFileOpen")));
    EXPECT_TRUE(window.menuEntry("mnuPatientList")->isVisible()); // PersonalDisp = 0
    EXPECT_EQ(window.menuEntry("mnuFileExit")->text(), "E&xit");
    EXPECT_EQ(window.menuEntry("mnuHelpSearchForHelpOn")->text(), "&Search Topics...");

    EXPECT_EQ(window.menuEntry("mnuWLWW(0)")->text(), "Lung ( -600 , 1500 )");
    EXPECT_EQ(window.menuEntry("mnuFKey(2)")->text(), "(&2) Bone");
    EXPECT_TRUE(window.menuEntry("mnuFKey(2)")->isVisible());
    EXPECT_FALSE(window.menuEntry("mnuFKey(3)")->isVisible());
    EXPECT_EQ(window.menuEntry("mnuFKey(10)")->text(), "(10)");
    EXPECT_EQ(state.DefaultWL, 40);
    EXPECT_TRUE(state.WLWWSelect);
    EXPECT_EQ(window.initialFolder(), "/old");

    for (const char* name : {"RIZOduVed1(0)", "RIZOduVed2", "RazazUrirAdeder1", "IconList(19)", "SSTab1", "VScroll1",
                             "TxtWindowParam(1)", "OptSort(2)", "btnReport", "lblInitQuestion", "SampleBG"})
        EXPECT_NE(window.control(name), nullptr) << name;
    EXPECT_TRUE(window.control("OptMeasureMode(0)")->property("checked").toBool());
}

TEST_F(MainWindowTest, ApplyingAPresetSetsTheBoxesAndTheDefaults)
{
    frmMain window(state, ProfileFile(settingsPath), "");
    ASSERT_TRUE(window.load());
    window.menuEntry("mnuWLWW(1)")->trigger();
    EXPECT_EQ(qobject_cast<QLineEdit*>(window.control("TxtWindowParam(0)"))->text(), "400");
    EXPECT_EQ(qobject_cast<QLineEdit*>(window.control("TxtWindowParam(1)"))->text(), "1800");
    EXPECT_EQ(state.DefaultWL, 400);
    EXPECT_EQ(state.DefaultWW, 1800);
    window.menuEntry("mnuFKey(1)")->trigger();
    EXPECT_EQ(state.DefaultWL, -600);
}

TEST_F(MainWindowTest, ExitWithoutAFolderKeepsTheFourKeysButStoresThePlacement)
{
    const std::string before = TemporaryFolder::read(settingsPath);
    {
        frmMain window(state, ProfileFile(settingsPath), "");
        ASSERT_TRUE(window.load());
        window.setGeometry(100, 120, 900, 700);
        window.close();
    }
    EXPECT_EQ(TemporaryFolder::read(settingsPath), before);
    const WindowPlacement placement = WindowPlacement::load();
    EXPECT_NE(placement.width, WindowPlacement{}.width);
    EXPECT_GE(placement.width, 900 * 15);
}

TEST_F(MainWindowTest, ExitWhileMinimisedKeepsTheStoredPlacement)
{
    WindowPlacement stored;
    stored.left = 1500;
    stored.top = 1500;
    stored.width = 15000;
    stored.height = 12000;
    stored.save();
    {
        frmMain window(state, ProfileFile(settingsPath), "");
        ASSERT_TRUE(window.load());
        window.showMinimized();
        window.close();
    }
    const WindowPlacement after = WindowPlacement::load();
    EXPECT_EQ(after.width, 15000);
    EXPECT_EQ(after.left, 1500);
}

TEST_F(MainWindowTest, AFolderOpenedThisRunIsWrittenAtExit)
{
    {
        frmMain window(state, ProfileFile(settingsPath), "");
        ASSERT_TRUE(window.load());
        state.TopFolder = "/data/new";
        state.WLWWSelect = false;
        window.close();
    }
    const ProfileFile settings(settingsPath);
    EXPECT_EQ(settings.readString(kProgramSection, "TopFolder", ""), "/data/new");
    EXPECT_EQ(settings.readString(kProgramSection, "WLWWSelect", ""), "0");
}

TEST_F(MainWindowTest, DeclinedSmallDesktopEndsTheLoad)
{
    messagePresenter() = [this](QWidget*, QMessageBox::Icon, const QString&, const QString& text,
                                QMessageBox::StandardButtons) {
        questions.push_back(text);
        return QMessageBox::No;
    };
    {
        const InjectedDesktop desktop(QRect(0, 0, 800, 599));
        frmMain window(state, ProfileFile(settingsPath), "");
        EXPECT_FALSE(window.load());
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_TRUE(questions[0].startsWith("The resolution of your desktop is [800]x[599]"));
    }
    questions.clear();
    const InjectedDesktop desktop(QRect(0, 0, 1024, 768));
    frmMain window(state, ProfileFile(settingsPath), "");
    EXPECT_TRUE(window.load());
    EXPECT_TRUE(questions.empty());
}

TEST_F(MainWindowTest, StartsWithTheLastWindowAndASampleDrawnThroughIt)
{
    state.AppDir = VANTOR_SOURCE_DIR "/data/";
    frmMain window(state, ProfileFile(settingsPath), "");
    ASSERT_TRUE(window.load());
    EXPECT_EQ(qobject_cast<QLineEdit*>(window.control("TxtWindowParam(0)"))->text(), "40");
    EXPECT_EQ(qobject_cast<QLineEdit*>(window.control("TxtWindowParam(1)"))->text(), "400");
    auto* sample = qobject_cast<RazazUrirAdeder*>(window.control("RazazUrirAdeder1"));
    ASSERT_TRUE(sample->isVisible());
    EXPECT_EQ(sample->WindowWidth(), 400);
    // A real window gives grey levels, not a black-and-white threshold picture.
    const QImage shown = sample->grab().toImage();
    std::set<QRgb> greys;
    for (int y = 0; y < shown.height(); y += 2)
        for (int x = 0; x < shown.width(); x += 2)
            greys.insert(shown.pixel(x, y));
    EXPECT_GT(greys.size(), 16u);
}

TEST_F(MainWindowTest, PlacementAndMaximisedStateComeBackAcrossStarts)
{
    const InjectedDesktop desktop(QRect(0, 0, 1920, 1080));
    QRect placed;
    {
        frmMain window(state, ProfileFile(settingsPath), "");
        ASSERT_TRUE(window.load());
        window.setGeometry(40, 60, 1500, 950);
        placed = window.geometry();
        window.close();
    }
    {
        frmMain window(state, ProfileFile(settingsPath), "");
        ASSERT_TRUE(window.load());
        EXPECT_EQ(window.geometry(), placed); // neither grown nor moved
        EXPECT_FALSE(window.isMaximized());
        window.showMaximized();
        window.close();
    }
    frmMain window(state, ProfileFile(settingsPath), "");
    ASSERT_TRUE(window.load());
    EXPECT_TRUE(window.isMaximized());
    EXPECT_EQ(WindowPlacement::load().width, placed.width() * 15); // the normal size is kept
}

TEST_F(MainWindowTest, FirstStartOpensAtTheSmallestSizeWhereNoControlsOverlap)
{
    const InjectedDesktop desktop(QRect(0, 0, 1920, 1080));
    frmMain window(state, ProfileFile(settingsPath), "");
    ASSERT_TRUE(window.load()); // the published default placement is far smaller
    EXPECT_EQ(window.size(), window.minimumSize());
    window.resize(100, 100);
    EXPECT_EQ(window.size(), window.minimumSize());

    QWidget* canvas = window.centralWidget();
    // Controls that are drawn over the image on purpose.
    const std::set<std::pair<std::string, std::string>> designedOverlaps = {
        {"ImageBG", "RIZOduVed1(0)"}, {"SampleBG", "RazazUrirAdeder1"}};
    auto onImage = [](const std::string& name) {
        return name.rfind("LblWindowParam", 0) == 0 || name.rfind("TxtWindowParam", 0) == 0;
    };
    std::vector<QWidget*> shown;
    for (QWidget* child : canvas->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (child->isVisible())
            shown.push_back(child);
    ASSERT_GT(shown.size(), 20u);
    for (QWidget* child : shown)
        EXPECT_LE(child->geometry().right(), canvas->width() - 1) << child->objectName().toStdString();
    for (std::size_t a = 0; a < shown.size(); ++a)
        for (std::size_t b = a + 1; b < shown.size(); ++b) {
            const std::string first = shown[a]->objectName().toStdString();
            const std::string second = shown[b]->objectName().toStdString();
            if (designedOverlaps.count({first, second}) || designedOverlaps.count({second, first}) ||
                ((first == "ImageBG" || first == "RIZOduVed1(0)") && onImage(second)) ||
                ((second == "ImageBG" || second == "RIZOduVed1(0)") && onImage(first)))
                continue;
            EXPECT_FALSE(shown[a]->geometry().intersects(shown[b]->geometry()))
                << first << " " << rectText(shown[a]->geometry()) << " and " << second << " " << rectText(shown[b]->geometry());
        }
}

TEST_F(MainWindowTest, LayoutOfAFiveKScreenKeepsItsImages)
{
    const InjectedDesktop desktop(QRect(0, 0, 5120, 2880));
    frmMain window(state, ProfileFile(settingsPath), "");
    ASSERT_TRUE(window.load());
    window.resize(5000, 2800);
    const QWidget* image = window.control("ImageBG");
    EXPECT_GT(image->width(), 1500);
    EXPECT_EQ(image->width(), image->height());
    EXPECT_EQ(window.control("SampleBG")->width(), image->width());
}

TEST_F(MainWindowTest, HelpWithoutPagesShowsTheMessageAndAboutShowsTheSystem)
{
    frmMain window(state, ProfileFile(settingsPath), "");
    ASSERT_TRUE(window.load());
    questions.clear();
    window.menuEntry("mnuHelpContents")->trigger(); // AppDir has no help pages
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], QString::fromUtf8("ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。"));

    // Pages but no browser to show them (the test platform has none): the reader is told where the page is.
    state.AppDir = VANTOR_SOURCE_DIR "/data/";
    questions.clear();
    window.menuEntry("mnuHelpContents")->trigger();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].contains(VANTOR_SOURCE_DIR "/data/help/index.html")) << questions[0].toStdString();

    AboutBox about("ZVDICOM 1.0\n", &window);
    EXPECT_NE(about.findChild<QLabel*>("lblVersion"), nullptr);
    EXPECT_EQ(about.findChild<QLabel*>("lblVersion")->text(), "Version 1.0");
    questions.clear();
    about.showSystemInformation();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].contains("Kernel: Linux")) << questions[0].toStdString();

    // The engine's About dialog, shown by the window on the engine's request.
    questions.clear();
    window.VazAZUrorav1.AboutBox();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "VazAZUrorav (ZVIPEngine)\nVersion 1, 2a, 5, 928");
}
