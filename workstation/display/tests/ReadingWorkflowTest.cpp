// The reading workflow on the generated demo folder, as a reader meets it:
// readings kept across runs and never lost to one key, and pictures that
// always belong to the patient and slice they are shown for.
#include "TemporaryFolder.h"
#include "catalogue/CatalogueScanner.h"
#include "display/SeriesDisplay.h"
#include "mainwindow/frmMain.h"
#include "reading/ResultFile.h"
#include "startup/MessageBoxes.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <ZVImgViewer/RazazUrirAdeder.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

#ifdef VANTOR_HAVE_SYNTHETIC_CT
#include <VantorSyntheticCT/DataSetWriter.h>
#include <VantorSyntheticCT/SeriesOptions.h>

using namespace vantor;

namespace {

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What a viewer of this size shows when it has no image.
QImage emptyViewerPicture(const QSize& size)
{
    RazazUrirAdeder blank;
    blank.resize(size);
    return blank.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage picture(QWidget* widget) { return widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }

void writeSeries(const std::string& folder, int bitsAllocated)
{
    VantorSyntheticCT::SeriesOptions options;
    options.columns = 32;
    options.rows = 32;
    options.slices = 3;
    options.bitsAllocated = bitsAllocated;
    const auto result = VantorSyntheticCT::DataSetWriter::writeSeries(options, folder, 3);
    ASSERT_TRUE(result.ok) << result.error;
}

// The demo folder (64 x 64 slices), a settings file and a per-user store of
// the test's own; every message is recorded and answered by `answer`.
class ReadingWorkflowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(folder.file("user")));
        data = folder.file("chest-ct");
        const auto written = VantorSyntheticCT::DataSetWriter::write(VantorSyntheticCT::DataSetOptions::demo(64, 64),
                                                                     data, folder.file("truth"));
        ASSERT_TRUE(written.ok) << written.error;
        settingsPath = folder.file("VANTOR_Viewer.ini");
        TemporaryFolder::write(settingsPath, "[VANTOR_Viewer]\nDefaultWL=-600\nDefaultWW=1500\n[WWWL_Params]\nWWWL_CNT=1\n"
                                             "WWWL_000=Mediastinum\\40\\400\n");
        realPresenter = messagePresenter();
        messagePresenter() = [this](QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                    const QString& text, QMessageBox::StandardButtons buttons) {
            messages.push_back(text);
            return answer(parent, icon, caption, text, buttons);
        };
        answer = [](QWidget*, QMessageBox::Icon, const QString&, const QString&, QMessageBox::StandardButtons) {
            return QMessageBox::Ok;
        };
    }
    void TearDown() override { messagePresenter() = realPresenter; }

    // A run of the program: fresh state, signed in as "reader", at 1280 x 960.
    std::unique_ptr<frmMain> start(WorkstationState& state)
    {
        state = WorkstationState{};
        state.AppDir = folder.file("app") + "/";
        state.ReaderName = "reader";
        auto window = std::make_unique<frmMain>(state, ProfileFile(settingsPath), "");
        EXPECT_TRUE(window->load());
        window->resize(1280, 960);
        return window;
    }

    Catalogue scan() { return scan(data); }
    Catalogue scan(const std::string& top)
    {
        ZQDICOM dicom;
        auto scanned = CatalogueScanner::scan(top, dicom);
        EXPECT_EQ(scanned.outcome, CatalogueScanner::Outcome::Complete) << scanned.failureDetail;
        return std::move(scanned.catalogue);
    }

    TemporaryFolder folder;
    std::string data;
    std::string settingsPath;
    MessagePresenter realPresenter;
    MessagePresenter answer;
    std::vector<QString> messages;
};

} // namespace

TEST_F(ReadingWorkflowTest, RestoreQuestionNeedsAnAnswerYesRestoresAndNoKeepsTheEarlierFileAsBackup)
{
    WorkstationState state;
    const std::string resultFile = data + "_reader.vtr";
    {
        // First run: two patients read, the file written at exit.
        auto window = start(state);
        window->openCatalogue(data, scan(), std::nullopt);
        EXPECT_TRUE(messages.empty()); // no earlier file: no question
        window->readings()[0].Comment = "nodule left upper zone";
        window->movePatient(+1);
        window->readings()[1].Comment = "emphysema, grade 2";
        window->close();
    }
    const std::string afterFirstRun = fileBytes(resultFile);
    ASSERT_FALSE(afterFirstRun.empty());

    {
        // Second run: Yes restores both readings.
        auto window = start(state);
        answer = [](QWidget*, QMessageBox::Icon, const QString&, const QString&, QMessageBox::StandardButtons) {
            return QMessageBox::Yes;
        };
        window->openCatalogue(data, scan(), std::nullopt);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].startsWith("Reading results by [ reader ]"));
        EXPECT_EQ(window->readings()[0].Comment.trimmed(), "nodule left upper zone");
        EXPECT_EQ(window->readings()[1].Comment.trimmed(), "emphysema, grade 2");
        EXPECT_FALSE(std::filesystem::exists(resultFile + ".bak"));
        window->close();
    }

    // Third run: Escape and the close button leave the real question open;
    // only No answers it. The file as it was then is kept as the backup.
    std::filesystem::remove(resultFile + ".bak");
    TemporaryFolder::write(resultFile + ".bak", "an older backup");
    std::string beforeNo;
    bool openAfterEscape = false;
    bool openAfterClose = false;
    answer = [&](QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
                 QMessageBox::StandardButtons buttons) {
        if (!text.startsWith("Reading results by"))
            return QMessageBox::Ok;
        beforeNo = fileBytes(resultFile);
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            QTest::keyClick(box, Qt::Key_Escape);
            openAfterEscape = box->isVisible();
            box->close();
            openAfterClose = box->isVisible();
            box->button(QMessageBox::No)->click();
        });
        return realPresenter(parent, icon, caption, text, buttons);
    };
    {
        auto window = start(state);
        window->openCatalogue(data, scan(), std::nullopt);
        EXPECT_TRUE(openAfterEscape);
        EXPECT_TRUE(openAfterClose);
        const auto question = std::find_if(messages.rbegin(), messages.rend(),
                                           [](const QString& m) { return m.startsWith("Reading results by"); });
        ASSERT_NE(question, messages.rend());
        EXPECT_TRUE(question->contains(QString::fromStdString(resultFile + ".bak")));
        EXPECT_EQ(window->readings()[0].Comment.trimmed(), "");
        window->close();
    }
    ASSERT_FALSE(beforeNo.empty());
    EXPECT_EQ(fileBytes(resultFile + ".bak"), beforeNo);
    const std::size_t records = 15 + data.size();
    ReadingRecord kept = ResultFile::decodeRecord(beforeNo.data() + records);
    EXPECT_EQ(kept.Comment.trimmed(), "nodule left upper zone");
    const std::string cleared = fileBytes(resultFile);
    ASSERT_EQ(cleared.size(), beforeNo.size());
    EXPECT_EQ(ResultFile::decodeRecord(cleared.data() + records).Comment.trimmed(), "");
    EXPECT_EQ(ResultFile::decodeRecord(cleared.data() + records + ResultFile::RecordSize).Comment.trimmed(), "");
}

TEST_F(ReadingWorkflowTest, ARefusedRestoreLeavesNoPatientCurrentAndNothingOnScreen)
{
    WorkstationState state;
    auto window = start(state);
    window->openCatalogue(data, scan(), std::nullopt);
    auto* viewer = window->control("RIZOduVed1(0)");
    ASSERT_NE(picture(viewer), emptyViewerPicture(viewer->size()));

    // Another folder whose result file names a third folder: Yes is refused with the mismatch message.
    const std::string second = folder.file("second");
    writeSeries(second + "/A/study/series", 16);
    ASSERT_TRUE(ResultFile().write(second + "_reader.vtr", "/another/folder", Readings(1)));
    answer = [](QWidget*, QMessageBox::Icon, const QString&, const QString&, QMessageBox::StandardButtons) {
        return QMessageBox::Yes;
    };
    messages.clear();
    window->openCatalogue(second, scan(second), std::nullopt);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[1].startsWith("Target folder is not match."));
    EXPECT_EQ(state.CurPatient, -1);
    EXPECT_EQ(state.ResultFileName, "");
    EXPECT_EQ(picture(viewer), emptyViewerPicture(viewer->size()));
    EXPECT_FALSE(window->control("IconList(0)")->isVisible());
    EXPECT_TRUE(window->control("btnMovePatient(2)")->isEnabled());
    // "Next" leads to the first patient.
    ASSERT_TRUE(window->control("btnMovePatient(0)")->isEnabled());
    qobject_cast<QPushButton*>(window->control("btnMovePatient(0)"))->click();
    EXPECT_EQ(state.CurPatient, 0);
    EXPECT_NE(picture(viewer), emptyViewerPicture(viewer->size()));
}

TEST_F(ReadingWorkflowTest, PicturesOfSeriesThatCannotBeShownAreClearedNotLeftFromBefore)
{
    // Patient A has a 16-bit series, patient B an 8-bit one, which has no thumbnail picture.
    const std::string own = folder.file("own");
    writeSeries(own + "/A/study/series", 16);
    writeSeries(own + "/B/study/series", 8);
    // A folder whose only series holds no image at all.
    const std::string noImages = folder.file("no-images");
    std::filesystem::create_directories(noImages + "/C/study/series");
    TemporaryFolder::write(noImages + "/C/study/series/notes.txt", "not a slice");

    WorkstationState state;
    auto window = start(state);
    window->openCatalogue(own, scan(own), std::nullopt);
    auto* icon = window->control("IconList(0)");
    auto* viewer = window->control("RIZOduVed1(0)");
    ASSERT_EQ(state.CurPatient, 0);
    EXPECT_NE(picture(icon), emptyViewerPicture(icon->size()));

    // After the move, slot 0 holds B's series: no picture, and not A's.
    window->movePatient(+1);
    ASSERT_EQ(state.CurPatient, 1);
    EXPECT_TRUE(icon->isVisible());
    EXPECT_EQ(picture(icon), emptyViewerPicture(icon->size()));
    // The 8-bit series itself loads and shows, with the presets of the fixed window disabled.
    EXPECT_NE(picture(viewer), emptyViewerPicture(viewer->size()));
    ASSERT_TRUE(window->menuEntry("mnuWLWW(0)")->isVisible()); // a hidden entry would read as disabled anyway
    EXPECT_FALSE(window->menuEntry("mnuWLWW(0)")->isEnabled());
    window->movePatient(-1);
    EXPECT_TRUE(window->menuEntry("mnuWLWW(0)")->isEnabled());

    // A folder without images after a patient with images: nothing of A stays.
    EXPECT_NE(picture(viewer), emptyViewerPicture(viewer->size()));
    window->openCatalogue(noImages, scan(noImages), std::nullopt);
    ASSERT_EQ(state.CurPatient, 0);
    EXPECT_EQ(picture(viewer), emptyViewerPicture(viewer->size()));
    EXPECT_FALSE(window->control("RIZOduVed2")->isVisible());
    EXPECT_EQ(window->currentSliceFile(), "");
    EXPECT_EQ(qobject_cast<QLineEdit*>(window->control("TxtImageNum(0)"))->text(), "");
}

#endif
