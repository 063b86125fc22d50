#include "startup/SignInDialog.h"

#include "startup/AddReaderDialog.h"
#include "startup/MessageBoxes.h"
#include "startup/ProfileFile.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace vantor {

namespace {
QPushButton* makeButton(QWidget* parent, const char* caption, const char* tip, const char* name)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setToolTip(QString::fromUtf8(tip));
    button->setObjectName(QString::fromUtf8(name));
    return button;
}
} // namespace

SignInDialog::SignInDialog(const ProfileFile& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), list_(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Login"));
    setObjectName(QStringLiteral("frmLogin"));
    list_->setObjectName(QStringLiteral("lstUser"));
    list_->installEventFilter(this);

    auto* label = new QLabel(QStringLiteral("Select your name"), this);
    label->setBuddy(list_);
    auto* ok = makeButton(this, "&OK", "Go on by the selected user", "btnOK");
    auto* add = makeButton(this, "&Add", "Addition a new user", "btnAdd");
    auto* del = makeButton(this, "&Del", "Delete the selected user", "btnDel");
    auto* cancel = makeButton(this, "&Cancel", "Cancel start and Exit", "btnCancel");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &SignInDialog::accept);
    connect(add, &QPushButton::clicked, this, &SignInDialog::addReader);
    connect(del, &QPushButton::clicked, this, &SignInDialog::deleteReader);
    connect(cancel, &QPushButton::clicked, this, &SignInDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &SignInDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(list_, 1, 0, 5, 1);
    layout->addWidget(ok, 1, 1);
    layout->addWidget(add, 2, 1);
    layout->addWidget(del, 3, 1);
    layout->addWidget(cancel, 4, 1);
    layout->setRowStretch(5, 1);

    readers_.load(settings_);
    refillList(readers_.empty() ? -1 : 0);
    list_->setFocus();
}

void SignInDialog::refillList(int selectIndex)
{
    list_->clear();
    for (const auto& name : readers_.names())
        list_->addItem(QString::fromStdString(name));
    if (selectIndex >= 0 && selectIndex < list_->count())
        list_->setCurrentRow(selectIndex);
}

void SignInDialog::addReader()
{
    AddReaderDialog dialog(readers_, this);
    if (dialog.exec() == QDialog::Accepted)
        refillList(static_cast<int>(readers_.size()) - 1);
    list_->setFocus();
}

void SignInDialog::deleteReader()
{
    if (!readers_.empty() && list_->currentRow() >= 0) {
        const int row = list_->currentRow();
        const std::string question = readers_.names()[static_cast<std::size_t>(row)] + " will be deleted.\rAre you sure ?";
        if (showMessage(this, QMessageBox::Question, "Confirm", question, QMessageBox::Ok | QMessageBox::Cancel) ==
            QMessageBox::Ok)
            refillList(readers_.removeAt(row));
    }
    list_->setFocus();
}

void SignInDialog::accept()
{
    if (!readers_.save(settings_))
        showMessage(this, QMessageBox::Warning, "Login",
                    "The reader list could not be written to " + settings_.path() + ".");
    const int row = list_->currentRow();
    readerName_ = row >= 0 && row < static_cast<int>(readers_.size()) ? readers_.names()[static_cast<std::size_t>(row)]
                                                                     : std::string();
    QDialog::accept();
}

bool SignInDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            accept();
            return true;
        }
        if (key->modifiers() & Qt::AltModifier) {
            switch (key->key()) {
            case Qt::Key_A:
                addReader();
                return true;
            case Qt::Key_C:
                reject();
                return true;
            case Qt::Key_D:
                deleteReader();
                return true;
            case Qt::Key_O:
                accept();
                return true;
            default:
                break;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vantor
