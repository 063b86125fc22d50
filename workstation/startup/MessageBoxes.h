#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace vantor {

// Message texts join their lines with carriage returns; Qt breaks lines at "\n".
QString messageText(const std::string& text);

// Shows a modal message box and returns the button pressed. Windows call
// this through a replaceable function so that tests can answer instead of a
// reader.
using MessagePresenter = std::function<QMessageBox::StandardButton(
    QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
    QMessageBox::StandardButtons buttons)>;

MessagePresenter& messagePresenter();

QMessageBox::StandardButton showMessage(QWidget* parent, QMessageBox::Icon icon, const std::string& caption,
                                        const std::string& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);

} // namespace vantor
