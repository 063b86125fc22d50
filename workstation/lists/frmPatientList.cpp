#include "lists/frmPatientList.h"

#include "catalogue/DisplayNameTable.h"
#include "lists/PatientListCsv.h"
#include "startup/MessageBoxes.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vantor {

namespace {

constexpr int pixels(int twips)
{
    return twips / frmPatientList::TwipsPerPixel;
}

} // namespace

frmPatientList::frmPatientList(const DisplayNameTable& names, QWidget* parent)
    : QDialog(parent), names_(names), grid_(new QTableWidget(this)),
      exportButton_(new QPushButton(QStringLiteral("Export CSV"), this)),
      closeButton_(new QPushButton(QStringLiteral("Close"), this)),
      chooseSaveName_([this](QWidget* parent) { return askSaveName(parent, exportFolder_); })
{
    setObjectName(QStringLiteral("frmPatientList"));
    setWindowTitle(QStringLiteral("Patient List"));
    setModal(true);
    setSizeGripEnabled(true);
    grid_->setObjectName(QStringLiteral("grdPatientList"));
    exportButton_->setObjectName(QStringLiteral("btnExportCSV"));
    closeButton_->setObjectName(QStringLiteral("btnClose"));
    closeButton_->setToolTip(QStringLiteral("Close this Dialog"));
    exportButton_->setAutoDefault(false);
    closeButton_->setAutoDefault(false);

    // The fixed header row and fixed first column are the grid's headers: the
    // first column numbers the rows from 1.
    const int count = static_cast<int>(names_.size());
    grid_->setColumnCount(3);
    grid_->setRowCount(count);
    grid_->setHorizontalHeaderLabels(
        {QStringLiteral("DispName"), QStringLiteral("RealName"), QStringLiteral("RealID")});
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setWordWrap(false);
    QHeaderView* rowHeader = grid_->verticalHeader();
    rowHeader->setSectionResizeMode(QHeaderView::Fixed);
    rowHeader->setDefaultSectionSize(pixels(RowHeightTwips));
    rowHeader->setMinimumSectionSize(1);
    rowHeader->setFixedWidth(pixels(ColumnWidthsTwips[0]));
    rowHeader->setDefaultAlignment(Qt::AlignCenter);
    QHeaderView* columnHeader = grid_->horizontalHeader();
    columnHeader->setFixedHeight(pixels(HeaderRowHeightTwips));
    for (int column = 0; column < 3; ++column)
        grid_->setColumnWidth(column, pixels(ColumnWidthsTwips[column + 1]));
    for (int row = 0; row < count; ++row) {
        const DisplayNameTable::Entry& entry = names_[static_cast<std::size_t>(row)];
        grid_->setVerticalHeaderItem(row, new QTableWidgetItem(QString::number(row + 1)));
        grid_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(entry.DispName)));
        grid_->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(withoutDicomPadding(entry.RealName))));
        grid_->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(withoutDicomPadding(entry.RealID))));
    }
    if (count > 0)
        grid_->setCurrentCell(0, 0);

    connect(exportButton_, &QPushButton::clicked, this, &frmPatientList::exportCsv);
    connect(closeButton_, &QPushButton::clicked, this, &frmPatientList::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exportButton_);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
    layout->addLayout(buttons);
    int tableWidth = grid_->frameWidth() * 2 + 24; // room for a vertical scroll bar
    for (int twips : ColumnWidthsTwips)
        tableWidth += pixels(twips);
    resize(tableWidth + 24, 360);
}

QString frmPatientList::askSaveName(QWidget* parent, const QString& folder)
{
    // QFileDialog asks before replacing an existing file.
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Export As CSV-File"), folder,
                                        QStringLiteral("CSV Files (*.csv)"));
}

void frmPatientList::exportCsv()
{
    const QString chosen = chooseSaveName_ ? chooseSaveName_(this) : QString();
    if (chosen.isEmpty())
        return;
    const std::string path = chosen.toStdString();
    if (!writePatientListCsv(path, names_))
        showMessage(this, QMessageBox::Warning, "Patient List", "'" + path + "' could not be written.");
}

} // namespace vantor
