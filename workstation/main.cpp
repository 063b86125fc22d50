#include "startup/Startup.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // The desktop entry's name ties the windows to their menu entry and icon;
    // the themed icon is preferred, the built-in one serves any other desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vantor.VANTORViewer"));
    QIcon builtIn;
    for (const int size : {32, 64, 256})
        builtIn.addFile(QStringLiteral(":/icons/org.vantor.VANTORViewer-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.vantor.VANTORViewer"), builtIn));
    return vantor::runWorkstation(application);
}
