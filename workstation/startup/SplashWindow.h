#pragma once

#include <QWidget>

namespace vantor {

// The start-up window with the program title and version.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);
};

} // namespace vantor
