#include "startup/SplashWindow.h"

#include <QLabel>
#include <QVBoxLayout>

namespace vantor {

SplashWindow::SplashWindow(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(16, 32, 64));
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);

    auto* title = new QLabel(QStringLiteral("VANTOR-Viewer"), this);
    QFont titleFont = title->font();
    titleFont.setPointSize(28);
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto* version = new QLabel(QStringLiteral("Version 1.0"), this);
    for (QLabel* label : {title, version})
        label->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(48, 40, 48, 40);
    layout->addWidget(title);
    layout->addWidget(version);
}

} // namespace vantor
