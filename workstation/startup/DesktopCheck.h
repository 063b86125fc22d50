#pragma once

#include <QRect>
#include <functional>
#include <string>

namespace vantor {

inline constexpr int kTwipsPerPixel = 15;

// The usable desktop in twips; below 12000 x 9000 (800 x 600 pixels) the
// reader is asked whether to go on.
bool desktopIsTooSmall(int desktopWidthTwips, int desktopHeightTwips);

// The usable desktop (the primary screen's work area, pixels). Replaceable,
// so that tests can give the program the desktop they need.
std::function<QRect()>& desktopWorkArea();

// The question shown then, lines joined by carriage returns.
std::string desktopQuestion(int desktopWidthTwips, int desktopHeightTwips);

} // namespace vantor
