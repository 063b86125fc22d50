#include "startup/MessageBoxes.h"

namespace vantor {

QString messageText(const std::string& text)
{
    QString result = QString::fromStdString(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

MessagePresenter& messagePresenter()
{
    static MessagePresenter presenter = [](QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                           const QString& text, QMessageBox::StandardButtons buttons) {
        QMessageBox box(icon, caption, text, buttons, parent);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    };
    return presenter;
}

QMessageBox::StandardButton showMessage(QWidget* parent, QMessageBox::Icon icon, const std::string& caption,
                                        const std::string& text, QMessageBox::StandardButtons buttons)
{
    return messagePresenter()(parent, icon, QString::fromStdString(caption), messageText(text), buttons);
}

} // namespace vantor
