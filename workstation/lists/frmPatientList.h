#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QPushButton;
class QTableWidget;

namespace vantor {

class DisplayNameTable;

// "Patient List": the display names beside the names and IDs read from the
// DICOM files, while patient names are hidden. "Export CSV" writes the list;
// "Close" closes the window.
class frmPatientList : public QDialog {
    Q_OBJECT
public:
    // Asks for the CSV file to write; an empty text cancels.
    using SaveNameChooser = std::function<QString(QWidget* parent)>;

    // Published sizes in twips (15 twips per pixel).
    static constexpr int ColumnWidthsTwips[4] = {500, 2000, 1500, 1500};
    static constexpr int HeaderRowHeightTwips = 400;
    static constexpr int RowHeightTwips = 320;
    static constexpr int TwipsPerPixel = 15;

    explicit frmPatientList(const DisplayNameTable& names, QWidget* parent = nullptr);

    // Replaces the save dialog (tests answer it).
    void setSaveNameChooser(SaveNameChooser chooser) { chooseSaveName_ = std::move(chooser); }
    // The save dialog: title "Export As CSV-File", CSV filter, overwrite prompt.
    // The save dialog, opening in folder (the program's working folder when empty).
    static QString askSaveName(QWidget* parent, const QString& folder = QString());
    // Where the export's save dialog opens: beside the data folder.
    void setExportFolder(const QString& folder) { exportFolder_ = folder; }

    QTableWidget* grdPatientList() const { return grid_; }
    QPushButton* btnExportCSV() const { return exportButton_; }
    QPushButton* btnClose() const { return closeButton_; }

    // Writes the CSV to a chosen file; a failure is told to the reader.
    void exportCsv();

private:
    const DisplayNameTable& names_;
    QTableWidget* grid_;
    QPushButton* exportButton_;
    QPushButton* closeButton_;
    QString exportFolder_;
    SaveNameChooser chooseSaveName_;
};

} // namespace vantor
