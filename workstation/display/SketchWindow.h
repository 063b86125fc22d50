#pragma once

#include "display/SketchArea.h"

#include <QDialog>
#include <string>

class QLabel;
class QPushButton;

namespace vantor {

// The window "Sketch": one picture area and "Close". It opens with the
// default sketch in the designed area; showPicture() fits the area to a
// sketch and shows it. "Close" destroys the window, so the next sketch
// starts again from the designed area.
class SketchWindow : public QDialog {
    Q_OBJECT
public:
    explicit SketchWindow(const std::string& defaultSketch, QWidget* parent = nullptr);

    // Fits the area to the picture's declared JPEG size (the decoded size
    // when the header gives none) and shows it. False, with the window left
    // as it was, when the file cannot be read as a picture.
    bool showPicture(const std::string& path);

    QLabel* picture() const { return picture_; }
    QPushButton* btnClose() const { return btnClose_; }
    // The picture area in twips.
    SketchArea area() const;

private:
    void setArea(const SketchArea& area);

    QLabel* picture_ = nullptr;
    QPushButton* btnClose_ = nullptr;
};

} // namespace vantor
