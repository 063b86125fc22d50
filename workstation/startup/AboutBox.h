#pragma once

#include <QDialog>
#include <string>

namespace vantor {

// About box: title, "Version 1.0", the loaded component libraries, and a
// button that shows this machine's system information.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    AboutBox(const std::string& componentVersions, QWidget* parent = nullptr);

public slots:
    void showSystemInformation();
};

} // namespace vantor
