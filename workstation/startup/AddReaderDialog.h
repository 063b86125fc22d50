#pragma once

#include <QDialog>

class QLineEdit;

namespace vantor {

class ReaderList;

// "Add User": one name, validated against the reader list; OK appends it.
class AddReaderDialog : public QDialog {
    Q_OBJECT
public:
    AddReaderDialog(ReaderList& readers, QWidget* parent = nullptr);

    QLineEdit* nameBox() const { return nameBox_; }

public slots:
    void accept() override;

private:
    ReaderList& readers_;
    QLineEdit* nameBox_;
};

} // namespace vantor
