// The import's progress dialog as a person uses it: it shows the work and its
// Cancel stops the import between two files.

#include "importing/ImportWindow.h"

#include <VantorSyntheticCT/DataSetWriter.h>

#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include <stdlib.h>

namespace vantor {
namespace {

namespace fs = std::filesystem;

struct Folder {
    Folder()
    {
        std::string pattern = (fs::temp_directory_path() / "vantor-import-window-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~Folder() { fs::remove_all(path); }
    fs::path path;
};

void writeSeries(const fs::path& folder, int slices)
{
    VantorSyntheticCT::SeriesOptions series;
    series.columns = 32;
    series.rows = 32;
    series.slices = slices;
    ASSERT_TRUE(VantorSyntheticCT::DataSetWriter::write(VantorSyntheticCT::DataSetOptions::singleSeries(series),
                                                        folder.string(), {})
                    .ok);
}

TEST(ImportWindow, CancelInTheProgressDialogStopsAfterTheFileAtHand)
{
    Folder work;
    writeSeries(work.path / "source", 5);
    QWidget parent;
    parent.show();

    // The first file waits until the test has pressed Cancel, so that the
    // press lands during the import whatever the speed of the machine.
    std::atomic<bool> writing{false};
    std::atomic<bool> pressed{false};
    importing::ImportRequest request;
    request.sources = {(work.path / "source").string()};
    request.dataFolder = (work.path / "data").string();
    request.writeFile = [&](const std::string& source, const std::string& target) {
        writing = true;
        for (int wait = 0; !pressed && wait < 1000; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return importing::copyFileContents(source, target);
    };
    QString labelWhileWriting;
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        auto* dialog = parent.findChild<QProgressDialog*>(QStringLiteral("importProgress"));
        if (!writing || dialog == nullptr || pressed)
            return;
        // The dialog takes the worker's latest step when that event reaches
        // it: press once it shows the file at hand (the writer waits 10 s).
        labelWhileWriting = dialog->labelText();
        if (labelWhileWriting != QStringLiteral("Copying image 1 of 5..."))
            return;
        EXPECT_TRUE(dialog->isVisible());
        QPushButton* cancel = dialog->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
        pressed = true;
    });
    presser.start(5);
    const importing::ImportReport report = runImportWithProgress(&parent, request);
    presser.stop();

    EXPECT_TRUE(pressed);
    EXPECT_EQ(labelWhileWriting, "Copying image 1 of 5...");
    EXPECT_EQ(report.outcome, importing::ImportReport::Outcome::Cancelled);
    EXPECT_EQ(report.imported, 1u);
    ASSERT_EQ(report.copies.size(), 1u);
    EXPECT_TRUE(fs::exists(work.path / "data" / report.copies[0].target));
    EXPECT_EQ(parent.findChild<QProgressDialog*>(), nullptr) << "the dialog is gone when the import has ended";

    // Without a press the import runs to its end.
    request.writeFile = importing::copyFileContents;
    const importing::ImportReport rest = runImportWithProgress(&parent, request);
    EXPECT_EQ(rest.outcome, importing::ImportReport::Outcome::Complete);
    EXPECT_EQ(rest.imported, 4u);
    EXPECT_EQ(rest.alreadyPresent, 1u);
}

} // namespace
} // namespace vantor
