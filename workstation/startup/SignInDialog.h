#pragma once

#include "startup/ReaderList.h"

#include <QDialog>
#include <string>

class QListWidget;
class QPushButton;

namespace vantor {

class ProfileFile;

// "Login": the reader picks a name from the list kept in the settings file,
// or adds or deletes one. OK stores the list and signs the selected reader in.
class SignInDialog : public QDialog {
    Q_OBJECT
public:
    SignInDialog(const ProfileFile& settings, QWidget* parent = nullptr);

    // The signed-in reader after OK; empty after Cancel or with an empty list.
    const std::string& readerName() const { return readerName_; }
    const ReaderList& readers() const { return readers_; }
    QListWidget* list() const { return list_; }

public slots:
    void addReader();
    void deleteReader();
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refillList(int selectIndex);

    const ProfileFile& settings_;
    ReaderList readers_;
    std::string readerName_;
    QListWidget* list_;
};

} // namespace vantor
