#include "startup/Startup.h"

#include "mainwindow/frmMain.h"
#include "startup/ComponentCheck.h"
#include "startup/MessageBoxes.h"
#include "startup/ProgramSettings.h"
#include "startup/SettingsKeys.h"
#include "startup/SignInDialog.h"
#include "startup/SplashWindow.h"

#include <VantorDataFolder/DataFolder.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace vantor {

namespace {

void waitShowing(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int runWorkstation(QApplication& application)
{
    QApplication::setApplicationName(QStringLiteral("VANTORViewer"));
    QApplication::setOrganizationName(QStringLiteral("VANTORViewer"));

    const ComponentReport components = checkComponentLibraries();
    if (!components.ok) {
        showMessage(nullptr, QMessageBox::Critical, kProgramTitle,
                    "A component library could not be loaded:\r" + components.text);
        return 1;
    }

    SplashWindow splash;
    splash.show();
    splash.repaint();
    waitShowing(1000);

    static WorkstationState state;
    state.AppDir = dataFolder(kSettingsFileName);
    state.IniFile = prepareUserSettingsFile(state.AppDir);
    ProfileFile settings(state.IniFile);

    SignInDialog signIn(settings);
    if (signIn.exec() == QDialog::Accepted)
        state.ReaderName = signIn.readerName();
    splash.close();
    if (state.ReaderName.empty())
        return 0;

    frmMain mainWindow(state, settings, components.text);
    if (!mainWindow.load())
        return 0;
    return application.exec();
}

} // namespace vantor
