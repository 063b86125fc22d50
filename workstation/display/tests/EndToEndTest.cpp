// One reading's road through the main window: a generated data folder is
// catalogued and opened, the first series shows, the reader pages, changes
// the window and measures. A screenshot is kept as a test artefact.
#include "TemporaryFolder.h"
#include "catalogue/CatalogueScanner.h"
#include "display/SeriesDisplay.h"
#include "mainwindow/frmMain.h"
#include "startup/MessageBoxes.h"

#include <QDir>
#include <filesystem>
#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <ZVImgViewer/OverlayList.h>
#include <ZVImgViewer/RazazUrirAdeder.h>
#include <gtest/gtest.h>

#ifdef VANTOR_HAVE_SYNTHETIC_CT
#include <VantorSyntheticCT/DataSetWriter.h>

using namespace vantor;

TEST(EndToEnd, OpenPageWindowAndMeasureOnTheDemoFolder)
{
    TemporaryFolder folder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(folder.file("user")));
    const std::string data = folder.file("chest-ct");
    auto options = VantorSyntheticCT::DataSetOptions::demo(64, 64);
    const auto written = VantorSyntheticCT::DataSetWriter::write(options, data, folder.file("truth"));
    ASSERT_TRUE(written.ok) << written.error;

    ZQDICOM dicom;
    auto scanned = CatalogueScanner::scan(data, dicom);
    ASSERT_EQ(scanned.outcome, CatalogueScanner::Outcome::Complete) << scanned.failureDetail;
    const std::size_t patients = scanned.catalogue.Patients.size();

    const MessagePresenter saved = messagePresenter();
    std::vector<QString> messages;
    messagePresenter() = [&messages](QWidget*, QMessageBox::Icon, const QString&, const QString& text,
                                     QMessageBox::StandardButtons) {
        messages.push_back(text);
        return QMessageBox::Yes;
    };
    const std::string settingsPath = folder.file("VANTOR_Viewer.ini");
    TemporaryFolder::write(settingsPath, "[VANTOR_Viewer]\nDefaultWL=-600\nDefaultWW=1500\n[WWWL_Params]\nWWWL_CNT=1\n"
                                         "WWWL_000=Mediastinum\\40\\400\n");
    WorkstationState state;
    state.AppDir = folder.file("app") + "/";
    state.ReaderName = "reader";
    frmMain window(state, ProfileFile(settingsPath), "");
    ASSERT_TRUE(window.load());
    window.resize(1280, 960);
    window.openCatalogue(data, std::move(scanned.catalogue), std::nullopt);

    EXPECT_TRUE(state.FolderOpened);
    EXPECT_EQ(state.CurPatient, 0);
    EXPECT_EQ(window.readings().size(), patients);
    auto* viewer = qobject_cast<RazazUrirAdeder*>(window.control("RIZOduVed1(0)"));
    auto* number = qobject_cast<QLineEdit*>(window.control("TxtImageNum(0)"));
    auto* level = qobject_cast<QLineEdit*>(window.control("TxtWindowParam(0)"));
    const SeriesState& series = window.seriesDisplay().series();
    ASSERT_GT(series.SeriesFileCount, 1);
    EXPECT_EQ(series.SliceIndex, 0);
    EXPECT_NE(viewer->hImage(), nullptr);
    EXPECT_EQ(number->text(), QStringLiteral("1 / %1").arg(series.SeriesFileCount));
    EXPECT_TRUE(window.control("IconList(0)")->isVisible());
    EXPECT_TRUE(window.control("RIZOduVed2")->isVisible());
    EXPECT_EQ(window.readings()[0].ImageCount, series.SeriesFileCount);

    // Paging: Page Down, then Page Up twice stops at the first slice.
    QTest::keyClick(viewer, Qt::Key_PageDown);
    EXPECT_EQ(series.SliceIndex, 1);
    EXPECT_EQ(number->text(), QStringLiteral("2 / %1").arg(series.SeriesFileCount));
    QTest::keyClick(viewer, Qt::Key_PageUp);
    QTest::keyClick(viewer, Qt::Key_PageUp);
    EXPECT_EQ(series.SliceIndex, 0);

    // Window: a typed level, then a preset.
    level->setText("40");
    QTest::keyClick(level, Qt::Key_Return);
    EXPECT_EQ(viewer->WindowLevel(), 40 + 1024);
    window.menuEntry("mnuWLWW(0)")->trigger();
    EXPECT_EQ(viewer->WindowWidth(), 400);

    // A left drag measures a line: the overlay holds the line, its ticks and the profile.
    const QPoint start(viewer->width() / 4, viewer->height() / 2);
    const QPoint end(viewer->width() * 3 / 4, viewer->height() / 2);
    QTest::mousePress(viewer, Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(viewer, end);
    QTest::mouseRelease(viewer, Qt::LeftButton, Qt::NoModifier, end);
    EXPECT_GT(viewer->overlays().size(), 6u);

    // The single-file series: no localiser, no scroll bar, and no measuring
    // (its spacing is unknown); the 8-bit series: the fixed window.
    const auto& serieses = window.catalogue().Patients[0].Studies[0].Serieses;
    for (std::size_t i = 0; i < serieses.size(); ++i) {
        if (serieses[i].FileCount() != 1)
            continue;
        window.seriesDisplay().selectSeries(static_cast<int>(i));
        EXPECT_FALSE(window.control("RIZOduVed2")->isVisible());
        EXPECT_FALSE(window.control("VScroll1")->isVisible());
        viewer->Clear(2);
        QTest::mousePress(viewer, Qt::LeftButton, Qt::NoModifier, start);
        QTest::mouseMove(viewer, end);
        QTest::mouseRelease(viewer, Qt::LeftButton, Qt::NoModifier, end);
        EXPECT_EQ(viewer->overlays().size(), 0u);
    }
    bool sawEightBit = false;
    for (std::size_t i = 0; i < serieses.size(); ++i) {
        window.seriesDisplay().selectSeries(static_cast<int>(i));
        if (!window.seriesDisplay().series().EightBit)
            continue;
        sawEightBit = true;
        EXPECT_EQ(level->text(), "128");
        EXPECT_FALSE(level->isEnabled());
        EXPECT_EQ(viewer->WindowLevel(), 128 + 1024);
        EXPECT_EQ(viewer->WindowWidth(), 256);
    }
    EXPECT_TRUE(sawEightBit);

    window.movePatient(+1);
    EXPECT_EQ(state.CurPatient, 1);
    EXPECT_EQ(window.readings()[0].ReaderName.trimmed(), "reader");
    // Every move keeps the readings in the result file beside the folder.
    EXPECT_EQ(state.ResultFileName, data + "_reader.vtr");
    EXPECT_TRUE(std::filesystem::exists(state.ResultFileName));
    EXPECT_EQ(std::filesystem::file_size(state.ResultFileName), 15 + data.size() + 2303 * patients);

    QDir().mkpath(QStringLiteral(VANTOR_BINARY_DIR "/artifacts"));
    window.movePatient(-1);
    EXPECT_TRUE(window.grab().save(QStringLiteral(VANTOR_BINARY_DIR "/artifacts/main-window.png")));
    messagePresenter() = saved;
}

#endif
