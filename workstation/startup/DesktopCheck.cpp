#include "startup/DesktopCheck.h"

#include <QGuiApplication>
#include <QScreen>

namespace vantor {

bool desktopIsTooSmall(int desktopWidthTwips, int desktopHeightTwips)
{
    return desktopWidthTwips < 12000 || desktopHeightTwips < 9000;
}

std::function<QRect()>& desktopWorkArea()
{
    static std::function<QRect()> workArea = [] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    };
    return workArea;
}

std::string desktopQuestion(int desktopWidthTwips, int desktopHeightTwips)
{
    return "The resolution of your desktop is [" + std::to_string(desktopWidthTwips / kTwipsPerPixel) + "]x[" +
           std::to_string(desktopHeightTwips / kTwipsPerPixel) + "]\r" +
           "VANTOR-Viewer recommends you at least [800]x[600] resolution.\r\rDo you continue ?";
}

} // namespace vantor
