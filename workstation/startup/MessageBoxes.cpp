#include "startup/MessageBoxes.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace vantor {

namespace {

// A Yes/No question has no "dismiss" answer: Escape and the window's close
// button do nothing, so the reader must choose. Without this, Qt takes No
// for Escape, and a No can clear stored readings.
class AnswerRequiredBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

bool isYesNoQuestion(QMessageBox::StandardButtons buttons)
{
    return buttons == (QMessageBox::Yes | QMessageBox::No);
}

} // namespace

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
        if (isYesNoQuestion(buttons)) {
            AnswerRequiredBox box(icon, caption, text, buttons, parent);
            box.setWindowFlag(Qt::WindowCloseButtonHint, false);
            return static_cast<QMessageBox::StandardButton>(box.exec());
        }
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
