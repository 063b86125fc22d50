#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;
class ZQDICOM;

namespace vantor {

class TagListBuilder;

// The window "Tag List": every element of the slice file on screen, one line
// each, in the fixed-pitch font "Terminal" so that the columns line up, and
// "Close".
class frmTagList : public QDialog {
    Q_OBJECT
public:
    explicit frmTagList(QWidget* parent = nullptr);

    // Replaces the list with these lines (as the tag list builder makes them).
    void setLines(const std::vector<std::string>& lines);

    QListWidget* List1() const { return List1_; }
    QPushButton* btnClose() const { return btnClose_; }

    // The tag view (View > Tag Information): the lines of `sliceFile` in a new
    // window, shown modally. An empty path or an unreadable file gives an empty list.
    static void showTags(QWidget* parent, TagListBuilder& builder, ZQDICOM& dicom, const std::string& sliceFile);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QListWidget* List1_ = nullptr;
    QPushButton* btnClose_ = nullptr;
};

} // namespace vantor
