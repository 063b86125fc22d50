#include "startup/DesktopCheck.h"

namespace vantor {

bool desktopIsTooSmall(int desktopWidthTwips, int desktopHeightTwips)
{
    return desktopWidthTwips < 12000 || desktopHeightTwips < 9000;
}

std::string desktopQuestion(int desktopWidthTwips, int desktopHeightTwips)
{
    return "The resolution of your desktop is [" + std::to_string(desktopWidthTwips / kTwipsPerPixel) + "]x[" +
           std::to_string(desktopHeightTwips / kTwipsPerPixel) + "]\r" +
           "VANTOR-Viewer recommends you at least [800]x[600] resolution.\r\rDo you continue ?";
}

} // namespace vantor
