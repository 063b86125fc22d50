#include "lists/frmSelectPA.h"

#include "catalogue/Catalogue.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vantor {

frmSelectPA::frmSelectPA(const Catalogue& catalogue, const Readings& readings, int preselected, QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)), ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("frmSelectPA"));
    setWindowTitle(QStringLiteral("Select Patient"));
    list_->setObjectName(QStringLiteral("List1"));
    ok_->setObjectName(QStringLiteral("btnOK"));
    cancel_->setObjectName(QStringLiteral("btnCancel"));
    ok_->setDefault(true);
    ok_->setAutoDefault(true);
    cancel_->setAutoDefault(false);

    // Selection shows the marks; the reader's choice is the current row.
    list_->setSelectionMode(QAbstractItemView::MultiSelection);
    for (std::size_t i = 0; i < catalogue.Patients.size(); ++i) {
        const PatientEntry& patient = catalogue.Patients[i];
        list_->addItem(QString::fromStdString(patient.PatientName + " ( " + patient.PatientID + " )"));
        if (i < readings.size() && readings[i].CommentMark == -1)
            marked_.push_back(static_cast<int>(i));
    }
    restoreMarks();
    if (preselected >= 0 && preselected < list_->count())
        list_->setCurrentRow(preselected, QItemSelectionModel::NoUpdate);
    else if (list_->count() > 0)
        list_->setCurrentRow(0, QItemSelectionModel::NoUpdate);

    // A click moves the current row; it must not take a mark away or add one.
    connect(list_, &QListWidget::itemSelectionChanged, this, &frmSelectPA::restoreMarks);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        list_->setCurrentItem(item, QItemSelectionModel::NoUpdate);
        accept();
    });
    connect(ok_, &QPushButton::clicked, this, &frmSelectPA::accept);
    connect(cancel_, &QPushButton::clicked, this, &frmSelectPA::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(360, 420);
    list_->setFocus();
}

void frmSelectPA::restoreMarks()
{
    const QSignalBlocker quiet(list_);
    for (int row = 0; row < list_->count(); ++row)
        list_->item(row)->setSelected(false);
    for (int row : marked_)
        list_->item(row)->setSelected(true);
    list_->viewport()->update();
}

std::optional<int> frmSelectPA::choose(const Catalogue& catalogue, const Readings& readings, int preselected,
                                       QWidget* parent)
{
    frmSelectPA window(catalogue, readings, preselected, parent);
    window.exec();
    if (!window.Success())
        return std::nullopt;
    return window.ChosenIndex();
}

void frmSelectPA::accept()
{
    chosenIndex_ = list_->currentRow();
    success_ = chosenIndex_ >= 0;
    QDialog::accept();
}

void frmSelectPA::reject()
{
    success_ = false;
    QDialog::reject();
}

} // namespace vantor
