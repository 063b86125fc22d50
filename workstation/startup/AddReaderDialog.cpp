#include "startup/AddReaderDialog.h"

#include "startup/MessageBoxes.h"
#include "startup/ReaderList.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace vantor {

AddReaderDialog::AddReaderDialog(ReaderList& readers, QWidget* parent)
    : QDialog(parent), readers_(readers), nameBox_(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Add User"));
    setObjectName(QStringLiteral("frmAddUser"));
    nameBox_->setObjectName(QStringLiteral("txtUserName"));
    // The limit is in bytes, as the settings file stores the name: a longer
    // entry is cut at a character boundary, so what is stored is what was typed.
    connect(nameBox_, &QLineEdit::textChanged, this, [this](const QString& text) {
        const std::string typed = text.toStdString();
        const std::string kept = ReaderList::limitedName(typed);
        if (kept.size() == typed.size())
            return;
        const int cursor = std::min(nameBox_->cursorPosition(), static_cast<int>(QString::fromStdString(kept).size()));
        nameBox_->setText(QString::fromStdString(kept));
        nameBox_->setCursorPosition(cursor);
    });
    nameBox_->clear();

    auto* usable = new QLabel(QStringLiteral("Usable    : A-Z, a-z, 0-9, -, +, _, ~, !, #, $"), this);
    auto* unusable = new QLabel(QStringLiteral("Unusable : \\, /, Space, Tab"), this);
    const QFont fixed(QStringLiteral("monospace"));
    usable->setFont(fixed);
    unusable->setFont(fixed);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(ok, &QPushButton::clicked, this, &AddReaderDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &AddReaderDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(nameBox_);
    layout->addWidget(usable);
    layout->addWidget(unusable);
    layout->addLayout(buttons);
    nameBox_->setFocus();
}

void AddReaderDialog::accept()
{
    const std::string name = nameBox_->text().toStdString();
    const char* refusal = nullptr;
    switch (readers_.validate(name)) {
    case ReaderList::Validation::UnallowableCharacters:
        refusal = "User name string includes any unallowable characters.";
        break;
    case ReaderList::Validation::AlreadyExists:
        refusal = "User name already exists.";
        break;
    case ReaderList::Validation::Accepted:
        break;
    }
    if (refusal != nullptr) {
        showMessage(this, QMessageBox::Warning, "Login", refusal);
        nameBox_->selectAll();
        nameBox_->setFocus();
        return;
    }
    readers_.append(name);
    QDialog::accept();
}

} // namespace vantor
