#include "startup/AboutBox.h"

#include "startup/MessageBoxes.h"
#include "startup/SettingsKeys.h"
#include "startup/SystemInformation.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantor {

AboutBox::AboutBox(const std::string& componentVersions, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + QString::fromUtf8(kProgramTitle));
    auto* title = new QLabel(QString::fromUtf8(kProgramTitle), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = title->font();
    titleFont.setPointSize(16);
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto* version = new QLabel(QStringLiteral("Version 1.0"), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* components = new QLabel(QString::fromStdString(componentVersions), this);
    components->setObjectName(QStringLiteral("lblComponents"));
    components->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* system = new QPushButton(QStringLiteral("&System Inf...."), this);
    system->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(system, &QPushButton::clicked, this, &AboutBox::showSystemInformation);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(system);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(components);
    layout->addLayout(buttons);
}

void AboutBox::showSystemInformation()
{
    const std::string text = systemInformationText();
    if (text.empty())
        showMessage(this, QMessageBox::Warning, kProgramTitle, "現時点ではｼｽﾃﾑ情報を使用できません");
    else
        showMessage(this, QMessageBox::Information, "System Information", text);
}

} // namespace vantor
