#pragma once

class QApplication;

namespace vantor {

// The program's entry: splash, sign-in, main window; returns the exit code.
int runWorkstation(QApplication& application);

} // namespace vantor
