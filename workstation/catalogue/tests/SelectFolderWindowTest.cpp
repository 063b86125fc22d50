#include "TemporaryFolder.h"
#include "TestDicomFile.h"

#include "catalogue/CatalogueCacheReader.h"
#include "catalogue/SelectFolderMessages.h"
#include "catalogue/frmSelectFolder.h"

#include <ZVDICOM/ZQDICOM.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

namespace vantor {
namespace {

using testing::readTextFile;
using testing::TemporaryFolder;
using testing::TestSlice;
using testing::writeTestSlice;
using testing::writeTextFile;

// The window with its message boxes answered by the test.
class AnsweredSelectFolder : public frmSelectFolder {
public:
    using frmSelectFolder::frmSelectFolder;

    std::deque<QMessageBox::StandardButton> answers;
    std::vector<QString> questions;
    std::vector<QString> messages;
    std::vector<QString> helpPages;

    QMessageBox::StandardButton askYesNo(const QString& text) override
    {
        questions.push_back(text);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return QMessageBox::No;
        }
        const auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showMessage(const QString& text) override { messages.push_back(text); }
    bool openHelpPage(const QString& path) override
    {
        helpPages.push_back(path);
        return true;
    }

    template <typename T> T* child(const char* name)
    {
        T* found = findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
};

QString lines(const std::string& text)
{
    return QString::fromStdString(text).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// Three patients, one study, one series, two slices each.
void threePatients(const TemporaryFolder& root)
{
    const char* names[] = {"ALPHA^AA", "BETA^BBB", "GAMMA^CC"};
    for (int p = 0; p < 3; ++p)
        for (int i = 1; i <= 2; ++i) {
            TestSlice slice{
                .patientName = names[p], .patientId = "PID" + std::to_string(p), .instanceNumber = i};
            writeTestSlice(root.folder("P" + std::to_string(p + 1) + "/ST/SE") + "/" + std::to_string(i),
                           slice);
        }
}

TEST(SelectFolderWindow, ShowsTheFolderLayoutLabelsAndButtons)
{
    ZQDICOM dicom;
    AnsweredSelectFolder window(dicom);
    QStringList texts;
    for (const QLabel* label : window.findChildren<QLabel*>())
        if (label->objectName().isEmpty())
            texts << label->text();
    EXPECT_EQ(texts, (QStringList{"Please select a data folder. The folder position is assumed as follows,",
                                  "<The folder>", " + <Patient Folders>", "  + <Study Folders>",
                                  "   + <Series Folders>", "    + <Slice Files>"}));
    EXPECT_EQ(window.child<QPushButton>("btnOK")->text(), "&OK");
    EXPECT_EQ(window.child<QPushButton>("btnCancel")->text(), "&Cancel");
    EXPECT_EQ(window.child<QPushButton>("btnHelp")->text(), "&Help");

    // Quick entries: the home folder first, then the root and the mounted disks.
    auto* places = window.child<QComboBox>("Drive1");
    ASSERT_GE(places->count(), 2);
    EXPECT_EQ(places->itemText(0), QDir::homePath());
    EXPECT_EQ(places->itemText(1), "/");
}

TEST(SelectFolderWindow, AnEmptyLevelShowsTheFailureAndKeepsTheWindowOpen)
{
    TemporaryFolder root;
    root.folder("P1/ST");
    ZQDICOM dicom;
    AnsweredSelectFolder window(dicom);
    window.show();
    window.setFolder(QString::fromStdString(root.path()));
    QTest::mouseClick(window.child<QPushButton>("btnOK"), Qt::LeftButton);
    EXPECT_FALSE(window.Success());
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0], "Selecting folder is wrong.\nThere is not any series in [ " +
                                      QString::fromStdString(root.path()) +
                                      "/P1/ST ].\nPlease select another folder.");
    EXPECT_FALSE(std::filesystem::exists(root.path() + ".xml"));
}

TEST(SelectFolderWindow, AWalkWritesTheCacheWithRealNamesAndHidesThemFromTheCaller)
{
    TemporaryFolder root;
    threePatients(root);
    ZQDICOM dicom;
    AnsweredSelectFolder window(dicom);
    window.setPersonalDisp(0);
    window.setFolder(QString::fromStdString(root.path()));
    window.ok();
    ASSERT_TRUE(window.Success());
    EXPECT_FALSE(window.readFromCache());
    EXPECT_EQ(window.ChosenFolder().toStdString(), root.path());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.child<QLabel>("lblFileName")->text().toStdString(), root.path() + "/P3/ST/SE/2");

    const Catalogue& catalogue = window.catalogue();
    ASSERT_EQ(catalogue.PatientCount(), 3);
    EXPECT_EQ(catalogue.TopFolder, root.path());
    EXPECT_EQ(catalogue.Patients[0].PatientName, "Patient_00001");
    EXPECT_EQ(catalogue.Patients[2].PatientID, "Patient_00003");
    ASSERT_TRUE(window.displayNames().has_value());
    EXPECT_EQ((*window.displayNames())[2].RealName, "GAMMA^CC");

    const auto cache = CatalogueCacheReader::read(root.path() + ".xml");
    ASSERT_TRUE(cache.complete);
    EXPECT_EQ(cache.catalogue.Patients[0].PatientName, "ALPHA^AA");
    EXPECT_EQ(cache.catalogue.Patients[2].PatientID, "PID2");

    // With names shown there is no table.
    AnsweredSelectFolder shown(dicom);
    shown.setPersonalDisp(1);
    shown.setFolder(QString::fromStdString(root.path()));
    shown.answers = {QMessageBox::No};
    shown.ok();
    ASSERT_TRUE(shown.Success());
    EXPECT_EQ(shown.catalogue().Patients[1].PatientName, "BETA^BBB");
    EXPECT_FALSE(shown.displayNames().has_value());
}

TEST(SelectFolderWindow, YesToTheCacheQuestionOpensNoDicomFile)
{
    TemporaryFolder root;
    threePatients(root);
    {
        ZQDICOM dicom;
        AnsweredSelectFolder first(dicom);
        first.setPersonalDisp(1);
        first.setFolder(QString::fromStdString(root.path()));
        first.ok();
        ASSERT_TRUE(first.Success());
    }
    const std::string cachePath = root.path() + ".xml";
    const std::string cacheText = readTextFile(cachePath);
    const auto modified = std::filesystem::last_write_time(cachePath);
    // With the slices gone, any file opened or walk made would show.
    for (const char* patient : {"P1", "P2", "P3"})
        std::filesystem::remove_all(root.path() + "/" + patient + "/ST/SE");

    ZQDICOM dicom;
    AnsweredSelectFolder window(dicom);
    window.setPersonalDisp(0);
    window.setFolder(QString::fromStdString(root.path()));
    window.answers = {QMessageBox::Yes};
    window.ok();
    ASSERT_EQ(window.questions.size(), 1u);
    EXPECT_TRUE(window.questions[0].startsWith("Selected folder has been read before.\n\n"
                                               "If you have not change the selected folder contents after "));
    EXPECT_TRUE(window.messages.empty());
    ASSERT_TRUE(window.Success());
    EXPECT_TRUE(window.readFromCache());
    EXPECT_EQ(dicom.GetNumOfTag(), 0) << "no file was loaded";
    EXPECT_EQ(readTextFile(cachePath), cacheText);
    EXPECT_EQ(std::filesystem::last_write_time(cachePath), modified) << "the cache is not rewritten";

    const Catalogue& catalogue = window.catalogue();
    ASSERT_EQ(catalogue.PatientCount(), 3);
    EXPECT_EQ(catalogue.TopFolder, root.path());
    EXPECT_EQ(catalogue.Patients[1].FolderName, "P2");
    EXPECT_EQ(catalogue.Patients[1].PatientName, "Patient_00002");
    EXPECT_EQ((*window.displayNames())[1].RealName, "BETA^BBB");
    EXPECT_EQ(catalogue.Patients[1].Studies[0].Serieses[0].Files[1], root.path() + "/P2/ST/SE/2");
}

TEST(SelectFolderWindow, TheCacheQuestionShowsTheFileModificationTime)
{
    const std::string question = SelectFolderMessages::cacheQuestion("2026/12/07 04:31:10");
    EXPECT_EQ(question, "Selected folder has been read before.\r\r"
                        "If you have not change the selected folder contents after 2026/12/07 04:31:10,\r"
                        "you can read the previous information and start up faster.\r\r"
                        "Do you read it ? [Yes/No]\r\r"
                        "[Yes]\t: Read the previous information\r"
                        "[No]\t: Re-read the original folder");

    TemporaryFolder root;
    threePatients(root);
    writeTextFile(root.path() + ".xml", "anything");
    const QDateTime stamp(QDate(2024, 2, 29), QTime(13, 45, 59));
    QFile cache(QString::fromStdString(root.path() + ".xml"));
    ASSERT_TRUE(cache.open(QIODevice::ReadWrite));
    ASSERT_TRUE(cache.setFileTime(stamp, QFileDevice::FileModificationTime));
    cache.close();

    ZQDICOM dicom;
    AnsweredSelectFolder window(dicom);
    window.setFolder(QString::fromStdString(root.path()));
    window.answers = {QMessageBox::No};
    window.ok();
    ASSERT_EQ(window.questions.size(), 1u);
    const QString date = QLocale::system().toString(stamp.date(), QLocale::ShortFormat) + " 13:45:59";
    EXPECT_TRUE(window.questions[0].contains("contents after " + date + ",\n"))
        << window.questions[0].toStdString();
    // No re-reads the folder and replaces the cache.
    EXPECT_TRUE(window.Success());
    EXPECT_FALSE(window.readFromCache());
    EXPECT_TRUE(CatalogueCacheReader::read(root.path() + ".xml").complete);
}

TEST(SelectFolderWindow, ADamagedCacheOffersTheWalkInsteadOfPartOfTheFolder)
{
    TemporaryFolder root;
    threePatients(root);
    ZQDICOM dicom;
    {
        AnsweredSelectFolder first(dicom);
        first.setFolder(QString::fromStdString(root.path()));
        first.ok();
        ASSERT_TRUE(first.Success());
    }
    std::string text = readTextFile(root.path() + ".xml");
    text.replace(text.rfind("<patient>"), 9, "\t<patient>");
    writeTextFile(root.path() + ".xml", text);

    AnsweredSelectFolder refused(dicom);
    refused.setFolder(QString::fromStdString(root.path()));
    refused.answers = {QMessageBox::Yes, QMessageBox::No};
    refused.ok();
    EXPECT_FALSE(refused.Success());
    EXPECT_EQ(refused.messages, std::vector<QString>{"タグが不正です．(\t<patient>)"});
    ASSERT_EQ(refused.questions.size(), 2u);
    EXPECT_EQ(refused.questions[1], lines(SelectFolderMessages::damagedCacheQuestion()));

    AnsweredSelectFolder walked(dicom);
    walked.setFolder(QString::fromStdString(root.path()));
    walked.answers = {QMessageBox::Yes, QMessageBox::Yes};
    walked.ok();
    ASSERT_TRUE(walked.Success());
    EXPECT_FALSE(walked.readFromCache());
    EXPECT_EQ(walked.catalogue().PatientCount(), 3);
    EXPECT_TRUE(CatalogueCacheReader::read(root.path() + ".xml").complete) << "the walk rewrote the cache";
}

TEST(SelectFolderWindow, CancelDuringTheWalkKeepsThePreviousCatalogueAndWritesNoCache)
{
    TemporaryFolder first;
    threePatients(first);
    TemporaryFolder second;
    threePatients(second);
    ZQDICOM dicom;
    AnsweredSelectFolder window(dicom);
    window.setPersonalDisp(1);
    window.setFolder(QString::fromStdString(first.path()));
    window.ok();
    ASSERT_TRUE(window.Success());

    window.setFolder(QString::fromStdString(second.path()));
    auto* cancel = window.child<QPushButton>("btnCancel");
    bool walkingWhenCancelled = false;
    QTimer::singleShot(0, &window, [&] {
        walkingWhenCancelled = window.isWalking();
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    window.ok();
    EXPECT_TRUE(walkingWhenCancelled);
    EXPECT_FALSE(window.Success());
    EXPECT_FALSE(window.isWalking());
    EXPECT_TRUE(window.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(second.path() + ".xml"));
    EXPECT_EQ(window.catalogue().TopFolder, first.path()) << "the previous catalogue stays";
    EXPECT_TRUE(window.child<QPushButton>("btnOK")->isEnabled());

    // Cancel outside a walk closes the window.
    window.show();
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST(SelectFolderWindow, HelpOpensTopic10010)
{
    ZQDICOM dicom;
    AnsweredSelectFolder window(dicom);
    window.setHelpFolder(QStringLiteral(VANTOR_SOURCE_DIR "/data/help"));
    QTest::mouseClick(window.child<QPushButton>("btnHelp"), Qt::LeftButton);
    ASSERT_EQ(window.helpPages.size(), 1u);
    EXPECT_EQ(window.helpPages[0], QStringLiteral(VANTOR_SOURCE_DIR "/data/help/10010.html"));
    EXPECT_TRUE(window.messages.empty());

    TemporaryFolder empty;
    window.setHelpFolder(QString::fromStdString(empty.path()));
    window.help();
    EXPECT_EQ(window.helpPages.size(), 1u);
    EXPECT_EQ(window.messages.size(), 1u) << "a missing page is reported";
}

TEST(SelectFolderWindow, KeysOfTheDirectoryTree)
{
    TemporaryFolder root;
    root.folder("P1/ST");
    ZQDICOM dicom;
    AnsweredSelectFolder window(dicom);
    window.setFolder(QString::fromStdString(root.path()));
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* tree = window.child<QTreeView>("Dir1");
    tree->setFocus();

    // Enter opens the highlighted folder; it does not press OK.
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.folder().toStdString(), root.path());

    // Alt+O is OK (the folder has no series, so the failure shows).
    // (A button's mnemonic clicks it a moment later, so the test waits for the result.)
    QTest::keyClick(tree, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.messages.size() == 1; }));
    // Alt+H is Help.
    QTest::keyClick(tree, Qt::Key_H, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.helpPages.size() + window.messages.size() == 2; }));
    // Esc is Cancel.
    QTest::keyClick(tree, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.Success());
}

TEST(SelectFolderWindow, OpensOnAHiddenRememberedFolderSelectedInViewAndTakesATypedPath)
{
    TemporaryFolder root;
    const std::string remembered = root.folder(".cache/demo/chest-ct");
    const std::string typed = root.folder("other/data");
    // Enough siblings that the remembered folder lies below the first screenful.
    for (int i = 0; i < 40; ++i)
        root.folder(".cache/demo/a" + std::to_string(10 + i));
    ZQDICOM dicom;
    AnsweredSelectFolder window(dicom);
    window.setInitialFolder(QString::fromStdString(remembered));
    window.show();
    auto* tree = window.child<QTreeView>("Dir1");
    auto* path = window.child<QComboBox>("Drive1");
    auto* model = tree->model();
    ASSERT_NE(model, nullptr);

    // Selected, shown in the path box, and scrolled into view once the tree has read its folder.
    EXPECT_EQ(window.folder().toStdString(), remembered);
    EXPECT_EQ(path->currentText().toStdString(), remembered);
    ASSERT_TRUE(tree->currentIndex().isValid());
    EXPECT_TRUE(tree->selectionModel()->isSelected(tree->currentIndex()));
    EXPECT_EQ(tree->currentIndex().data(QFileSystemModel::FilePathRole).toString().toStdString(), remembered);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return tree->viewport()->rect().intersects(tree->visualRect(tree->currentIndex())); }, 5000));

    // A typed (or pasted) path and Enter go there.
    path->lineEdit()->selectAll();
    QTest::keyClicks(path->lineEdit(), QString::fromStdString(typed));
    QTest::keyClick(path->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(window.folder().toStdString(), typed);
    EXPECT_EQ(tree->currentIndex().data(QFileSystemModel::FilePathRole).toString().toStdString(), typed);
}

} // namespace
} // namespace vantor
