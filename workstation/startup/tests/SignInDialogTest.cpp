// The sign-in and add-reader dialogs driven as a reader would, with the
// message boxes answered by the test.
#include "TemporaryFolder.h"
#include "startup/AddReaderDialog.h"
#include "startup/MessageBoxes.h"
#include "startup/ProfileFile.h"
#include "startup/ReaderList.h"
#include "startup/SettingsKeys.h"
#include "startup/SignInDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

using namespace vantor;

namespace {

struct ShownMessage {
    QString caption;
    QString text;
};

// Records every message and answers with the given button.
class MessageRecorder {
public:
    explicit MessageRecorder(QMessageBox::StandardButton answer)
    {
        saved_ = messagePresenter();
        messagePresenter() = [this, answer](QWidget*, QMessageBox::Icon, const QString& caption, const QString& text,
                                            QMessageBox::StandardButtons) {
            shown.push_back({caption, text});
            return answer;
        };
    }
    ~MessageRecorder() { messagePresenter() = saved_; }
    std::vector<ShownMessage> shown;

private:
    MessagePresenter saved_;
};

QPushButton* button(QWidget* dialog, const char* name) { return dialog->findChild<QPushButton*>(name); }

// Types name into the add-reader dialog once it is open, then presses OK
// (and Cancel after a refusal, so the dialog always closes).
void answerAddReader(const QString& name)
{
    QTimer::singleShot(0, [name] {
        auto* dialog = qobject_cast<AddReaderDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QTest::keyClicks(dialog->nameBox(), name);
        QTest::mouseClick(button(dialog, "btnOK"), Qt::LeftButton);
        if (dialog->isVisible())
            dialog->reject();
    });
}

} // namespace

TEST(SignInDialog, ListsReadersSelectsTheFirstAndOkSignsTheSelectedReaderIn)
{
    TemporaryFolder folder;
    const std::string path = folder.file("s.ini");
    TemporaryFolder::write(path, "[VANTOR_Viewer]\nUserCnt=2\nUser0000=alice\nUser0001=bob\n");
    const ProfileFile settings(path);
    SignInDialog dialog(settings);
    ASSERT_EQ(dialog.list()->count(), 2);
    EXPECT_EQ(dialog.list()->currentRow(), 0);
    EXPECT_EQ(dialog.windowTitle(), "Login");
    EXPECT_EQ(button(&dialog, "btnOK")->text(), "&OK");
    EXPECT_EQ(button(&dialog, "btnAdd")->toolTip(), "Addition a new user");
    EXPECT_EQ(button(&dialog, "btnDel")->toolTip(), "Delete the selected user");
    EXPECT_EQ(button(&dialog, "btnCancel")->toolTip(), "Cancel start and Exit");

    dialog.show();
    dialog.list()->setCurrentRow(1);
    QTest::keyClick(dialog.list(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.readerName(), "bob");
    EXPECT_EQ(settings.readInteger(kProgramSection, "UserCnt", -1), 2);
}

TEST(SignInDialog, EmptyListSignsNobodyInAndStoresACountOfZero)
{
    TemporaryFolder folder;
    const ProfileFile settings(folder.file("s.ini"));
    SignInDialog dialog(settings);
    dialog.show();
    QTest::mouseClick(button(&dialog, "btnOK"), Qt::LeftButton);
    EXPECT_TRUE(dialog.readerName().empty());
    EXPECT_EQ(settings.readInteger(kProgramSection, "UserCnt", -1), 0);
}

TEST(SignInDialog, EscapeAndAltCCancelWithoutSigningIn)
{
    TemporaryFolder folder;
    const std::string path = folder.file("s.ini");
    TemporaryFolder::write(path, "[VANTOR_Viewer]\nUserCnt=1\nUser0000=alice\n");
    const ProfileFile settings(path);
    for (auto press : {std::make_pair(Qt::Key_Escape, Qt::NoModifier), std::make_pair(Qt::Key_C, Qt::AltModifier)}) {
        SignInDialog dialog(settings);
        dialog.show();
        QTest::keyClick(dialog.list(), press.first, press.second);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_TRUE(dialog.readerName().empty());
    }
}

TEST(SignInDialog, AddRefusesBadAndDuplicateNamesAcceptsAnotherLetterCaseAndCutsLongNamesInBytes)
{
    TemporaryFolder folder;
    const std::string path = folder.file("s.ini");
    TemporaryFolder::write(path, "[VANTOR_Viewer]\nUserCnt=1\nUser0000=alice\n");
    const ProfileFile settings(path);
    SignInDialog dialog(settings);
    dialog.show();
    MessageRecorder messages(QMessageBox::Ok);

    answerAddReader("al ice");
    QTest::mouseClick(button(&dialog, "btnAdd"), Qt::LeftButton);
    answerAddReader("alice");
    QTest::keyClick(dialog.list(), Qt::Key_A, Qt::AltModifier);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].caption, "Login");
    EXPECT_EQ(messages.shown[0].text, "User name string includes any unallowable characters.");
    EXPECT_EQ(messages.shown[1].text, "User name already exists.");
    EXPECT_EQ(dialog.list()->count(), 1);

    answerAddReader("Alice");
    QTest::mouseClick(button(&dialog, "btnAdd"), Qt::LeftButton);
    ASSERT_EQ(dialog.list()->count(), 2);
    EXPECT_EQ(dialog.list()->currentItem()->text(), "Alice");

    // A long name pasted is cut to whole letters within the 79 bytes stored:
    // 50 two-byte letters are 100 bytes, of which 39 letters (78 bytes) fit.
    QApplication::clipboard()->setText(QString(50, QChar(0x00E9)));
    QTimer::singleShot(0, [] {
        auto* add = qobject_cast<AddReaderDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(add, nullptr);
        QTest::keyClick(add->nameBox(), Qt::Key_V, Qt::ControlModifier);
        QTest::mouseClick(button(add, "btnOK"), Qt::LeftButton);
        if (add->isVisible())
            add->reject();
    });
    QTest::mouseClick(button(&dialog, "btnAdd"), Qt::LeftButton);
    ASSERT_EQ(dialog.list()->count(), 3);
    const std::string kept = QString(39, QChar(0x00E9)).toStdString();
    EXPECT_EQ(dialog.list()->item(2)->text().toStdString(), kept);
    EXPECT_EQ(messages.shown.size(), 2u);

    QTest::mouseClick(button(&dialog, "btnOK"), Qt::LeftButton);
    EXPECT_EQ(dialog.readerName(), kept);
    EXPECT_EQ(settings.readString(kProgramSection, "User0001", ""), "Alice");
    // The next start reads back the very name that was entered.
    ReaderList readers;
    readers.load(ProfileFile(path));
    ASSERT_EQ(readers.size(), 3u);
    EXPECT_EQ(readers.names()[2], kept);
}

TEST(SignInDialog, DeleteAsksAndOnlyOkRemoves)
{
    TemporaryFolder folder;
    const std::string path = folder.file("s.ini");
    TemporaryFolder::write(path, "[VANTOR_Viewer]\nUserCnt=3\nUser0000=a\nUser0001=b\nUser0002=c\n");
    const ProfileFile settings(path);
    SignInDialog dialog(settings);
    dialog.show();
    dialog.list()->setCurrentRow(1);
    {
        MessageRecorder cancel(QMessageBox::Cancel);
        QTest::mouseClick(button(&dialog, "btnDel"), Qt::LeftButton);
        ASSERT_EQ(cancel.shown.size(), 1u);
        EXPECT_EQ(cancel.shown[0].caption, "Confirm");
        EXPECT_EQ(cancel.shown[0].text, "b will be deleted.\nAre you sure ?");
        EXPECT_EQ(dialog.list()->count(), 3);
    }
    MessageRecorder ok(QMessageBox::Ok);
    QTest::keyClick(dialog.list(), Qt::Key_D, Qt::AltModifier);
    ASSERT_EQ(dialog.list()->count(), 2);
    EXPECT_EQ(dialog.list()->currentItem()->text(), "c");
    QTest::keyClick(dialog.list(), Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(dialog.readerName(), "c");
    EXPECT_EQ(settings.readInteger(kProgramSection, "UserCnt", -1), 2);
    EXPECT_EQ(settings.readString(kProgramSection, "User0001", ""), "c");
    EXPECT_EQ(settings.readString(kProgramSection, "User0002", ""), "c"); // left from the longer list
}
