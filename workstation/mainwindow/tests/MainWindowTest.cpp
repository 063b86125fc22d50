// The main window's menus, preset entries, caption and exit rules.
#include "TemporaryFolder.h"
#include "mainwindow/frmMain.h"
#include "startup/AboutBox.h"

#include <QLabel>
#include "startup/MessageBoxes.h"
#include "startup/SettingsKeys.h"
#include "startup/WindowPlacement.h"

#include <QAction>
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
        EXPECT_FALSE(window.menuEntry(disabled)->isEnabled()) << disabled;
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
    frmMain window(state, ProfileFile(settingsPath), "");
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const bool small = screen.right() + 1 < 800 || screen.bottom() + 1 < 600;
    EXPECT_EQ(window.load(), !small);
    EXPECT_EQ(questions.size(), small ? 1u : 0u);
}

TEST_F(MainWindowTest, HelpWithoutPagesShowsTheMessageAndAboutShowsTheSystem)
{
    frmMain window(state, ProfileFile(settingsPath), "");
    ASSERT_TRUE(window.load());
    questions.clear();
    window.menuEntry("mnuHelpContents")->trigger(); // AppDir has no help pages
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], QString::fromUtf8("ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。"));

    AboutBox about("ZVDICOM 1.0\n", &window);
    EXPECT_NE(about.findChild<QLabel*>("lblVersion"), nullptr);
    EXPECT_EQ(about.findChild<QLabel*>("lblVersion")->text(), "Version 1.0");
    questions.clear();
    about.showSystemInformation();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].contains("Kernel: Linux")) << questions[0].toStdString();
}
