// A generated CT series compressed by DCMTK's and GDCM's command-line
// encoders: lossless syntaxes give the engine volume and the reformatted
// images of the uncompressed series bit for bit, lossy ones stay within a
// stated difference, and the workstation shows a compressed series as it
// shows the uncompressed one.
#include "TemporaryFolder.h"
#include "catalogue/CatalogueScanner.h"
#include "display/SeriesDisplay.h"
#include "display/SeriesRegistration.h"
#include "mainwindow/frmMain.h"
#include "startup/MessageBoxes.h"

#include "ReformatOptions.h"
#include "ReformatRunner.h"
#include "SeriesLoading.h"

#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <VantorSyntheticCT/DataSetWriter.h>
#include <ZVDICOM/ZQDICOM.h>
#include <ZVIPEngine/VazAZUrorav.h>
#include <ZVImgViewer/RazazUrirAdeder.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace vantor;

namespace {

namespace fs = std::filesystem;

struct Encoder {
    std::string name;
    std::string command; // program and options; input and output paths follow
    bool lossless;
    double largestMeanDifference; // stored values, for lossy syntaxes
};

// Compresses every file of `from` into `to` with one encoder; false when the encoder fails.
bool compressFolder(const std::string& from, const std::string& to, const std::string& command)
{
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(from)) {
        const std::string line = command + " '" + entry.path().string() + "' '" +
                                 (fs::path(to) / entry.path().filename()).string() + "' >/dev/null 2>&1";
        if (std::system(line.c_str()) != 0)
            return false;
    }
    return true;
}

struct LoadedSeries {
    std::vector<std::int16_t> volume;
    std::vector<std::string> messages;
    std::vector<std::int16_t> reformatted; // coronal MinIP slab of vantor-reformat
    std::vector<std::string> reformatSkipped;
};

LoadedSeries load(const std::string& folder)
{
    LoadedSeries loaded;
    ZQDICOM dicom;
    VazAZUrorav engine;
    SeriesState series;
    FirstFileFields first;
    SeriesLoadReport report;
    report.showMessage = [&](const std::string& text) { loaded.messages.push_back(text); };
    if (registerSeries(folder + "/", dicom, engine, series, first, report) && engine.SortImageNumber(0) &&
        engine.PtrData() != nullptr)
        loaded.volume.assign(engine.PtrData(),
                             engine.PtrData() + static_cast<std::size_t>(engine.Xdims()) * engine.Ydims() *
                                                    engine.Zdims());

    ZQDICOM reformatDicom;
    VazAZUrorav reformatEngine;
    vantor::LoadedSeries reformatSeries;
    std::string error;
    const bool reformatLoaded = vantor::loadSeries(folder, vantor::SliceOrdering::ImageNumber, reformatDicom,
                                                   reformatEngine, reformatSeries, error);
    loaded.reformatSkipped = reformatSeries.messages;
    auto options = ReformatOptions::parse({folder, "unused.pgm", "--mode", "minip", "--axis", "1", "--depth", "8"}, error);
    if (reformatLoaded && options) {
        const ReformatRunner::Image image = ReformatRunner::run(*options, reformatEngine);
        if (image.samples != nullptr)
            loaded.reformatted.assign(image.samples,
                                      image.samples + static_cast<std::size_t>(image.width) * image.height);
    }
    return loaded;
}

double meanDifference(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += std::abs(static_cast<double>(a[i]) - b[i]);
    return a.empty() ? 0.0 : sum / static_cast<double>(a.size());
}

TEST(CompressedSeries, EverySyntaxLoadsLikeTheUncompressedSeries)
{
    TemporaryFolder folder;
    VantorSyntheticCT::SeriesOptions options;
    options.columns = 64;
    options.rows = 64;
    options.slices = 8;
    const std::string plain = folder.file("plain");
    const auto written = VantorSyntheticCT::DataSetWriter::writeSeries(options, plain);
    ASSERT_TRUE(written.ok) << written.error;
    const LoadedSeries reference = load(plain);
    ASSERT_EQ(reference.volume.size(), 64u * 64u * 8u);
    ASSERT_FALSE(reference.reformatted.empty());
    EXPECT_TRUE(reference.messages.empty());

    const std::vector<Encoder> encoders = {
        {"jpeg-lossless-first-order", "dcmcjpeg", true, 0.0},
        {"jpeg-lossless-process-14", "dcmcjpeg +el +sv 6", true, 0.0},
        {"jpeg-ls-lossless", "dcmcjpls", true, 0.0},
        {"jpeg-2000-lossless", "gdcmconv --j2k", true, 0.0},
        {"rle", "dcmcrle", true, 0.0},
        {"deflated", "dcmconv +td", true, 0.0},
        // Near-lossless JPEG-LS keeps every value within 2 of the original.
        {"jpeg-ls-near-lossless", "gdcmconv --jpegls --lossy -e 2", false, 2.0},
        {"jpeg-2000-lossy", "gdcmconv --j2k --lossy -q 100", false, 2.0},
    };
    for (const Encoder& encoder : encoders) {
        SCOPED_TRACE(encoder.name);
        const std::string compressed = folder.file(encoder.name);
        ASSERT_TRUE(compressFolder(plain, compressed, encoder.command)) << encoder.command;
        const LoadedSeries loaded = load(compressed);
        EXPECT_TRUE(loaded.messages.empty()) << loaded.messages.front();
        EXPECT_TRUE(loaded.reformatSkipped.empty()) << loaded.reformatSkipped.front();
        ASSERT_EQ(loaded.volume.size(), reference.volume.size());
        ASSERT_EQ(loaded.reformatted.size(), reference.reformatted.size());
        if (encoder.lossless) {
            EXPECT_TRUE(loaded.volume == reference.volume);
            EXPECT_TRUE(loaded.reformatted == reference.reformatted);
        } else {
            EXPECT_FALSE(loaded.volume == reference.volume) << "a lossy syntax changes some values";
            EXPECT_LE(meanDifference(loaded.volume, reference.volume), encoder.largestMeanDifference);
            EXPECT_LE(meanDifference(loaded.reformatted, reference.reformatted), encoder.largestMeanDifference);
        }
    }

    // JPEG baseline takes 8-bit series (the lung-windowed bytes).
    options.bitsAllocated = 8;
    const std::string bytes = folder.file("eight-bit");
    ASSERT_TRUE(VantorSyntheticCT::DataSetWriter::writeSeries(options, bytes).ok);
    const std::string baseline = folder.file("jpeg-baseline");
    ASSERT_TRUE(compressFolder(bytes, baseline, "gdcmconv --jpeg --lossy -q 95"));
    const LoadedSeries eightBit = load(bytes);
    const LoadedSeries lossy = load(baseline);
    ASSERT_EQ(lossy.volume.size(), eightBit.volume.size());
    EXPECT_TRUE(lossy.messages.empty());
    EXPECT_FALSE(lossy.volume == eightBit.volume);
    EXPECT_LE(meanDifference(lossy.volume, eightBit.volume), 3.0);

    // A file whose code stream is cut short is skipped with the cause; the others load.
    const std::string broken = folder.file("broken");
    fs::copy(folder.file("rle"), broken);
    const fs::path victim = fs::path(broken) / fs::path(written.series[0].files[3]).filename();
    fs::resize_file(victim, fs::file_size(victim) - 400);
    const LoadedSeries partial = load(broken);
    ASSERT_EQ(partial.messages.size(), 1u);
    EXPECT_EQ(partial.messages[0], "Can not register the file.\r[" + broken + "/" + victim.filename().string() +
                                       "]\rVANTOR-Viewer can not register it so skips the file.\r"
                                       "(the compressed pixel data is truncated)");
    ASSERT_EQ(partial.reformatSkipped.size(), 1u);
}

TEST(CompressedSeries, TheWorkstationShowsACompressedSeriesAsItsTwin)
{
    TemporaryFolder folder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(folder.file("user")));
    VantorSyntheticCT::SeriesOptions options;
    options.columns = 64;
    options.rows = 64;
    options.slices = 10;
    const std::string plain = folder.file("plain");
    const std::string compressed = folder.file("compressed");
    const auto written =
        VantorSyntheticCT::DataSetWriter::write(VantorSyntheticCT::DataSetOptions::singleSeries(options), plain, {});
    ASSERT_TRUE(written.ok) << written.error;
    // The same tree with every slice in JPEG lossless.
    for (const auto& entry : fs::recursive_directory_iterator(plain)) {
        const fs::path target = compressed / fs::relative(entry.path(), plain);
        if (entry.is_directory())
            fs::create_directories(target);
        else
            ASSERT_EQ(std::system(("dcmcjpeg '" + entry.path().string() + "' '" + target.string() + "'").c_str()), 0);
    }

    struct Shown {
        std::vector<std::int16_t> slice, localiser, paged;
        QString number;
    };
    auto show = [&](const std::string& data) {
        Shown shown;
        ZQDICOM dicom;
        auto scanned = CatalogueScanner::scan(data, dicom);
        EXPECT_EQ(scanned.outcome, CatalogueScanner::Outcome::Complete);
        const std::string settings = folder.file("VANTOR_Viewer.ini");
        TemporaryFolder::write(settings, "[VANTOR_Viewer]\nDefaultWL=-600\nDefaultWW=1500\n");
        WorkstationState state;
        state.AppDir = folder.file("app") + "/";
        state.ReaderName = "reader";
        frmMain window(state, ProfileFile(settings), "");
        EXPECT_TRUE(window.load());
        window.openCatalogue(data, std::move(scanned.catalogue), std::nullopt);
        auto* viewer = qobject_cast<RazazUrirAdeder*>(window.control("RIZOduVed1(0)"));
        auto* localiser = qobject_cast<RazazUrirAdeder*>(window.control("RIZOduVed2"));
        auto pixels = [](RazazUrirAdeder* v) {
            const auto* image = static_cast<const std::int16_t*>(v->hImage());
            return image == nullptr ? std::vector<std::int16_t>()
                                    : std::vector<std::int16_t>(image, image + v->ImageWidth() * v->ImageHeight());
        };
        shown.slice = pixels(viewer);
        shown.localiser = pixels(localiser);
        EXPECT_TRUE(localiser->isVisible());
        QTest::keyClick(viewer, Qt::Key_PageDown);
        shown.paged = pixels(viewer);
        shown.number = qobject_cast<QLineEdit*>(window.control("TxtImageNum(0)"))->text();
        return shown;
    };
    const MessagePresenter saved = messagePresenter();
    std::vector<QString> messages;
    messagePresenter() = [&messages](QWidget*, QMessageBox::Icon, const QString&, const QString& text,
                                     QMessageBox::StandardButtons) {
        messages.push_back(text);
        return QMessageBox::No;
    };
    const Shown twin = show(plain);
    const Shown ours = show(compressed);
    messagePresenter() = saved;
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(twin.slice.size(), 64u * 64u);
    EXPECT_TRUE(ours.slice == twin.slice);
    ASSERT_FALSE(twin.localiser.empty());
    EXPECT_TRUE(ours.localiser == twin.localiser);
    EXPECT_TRUE(ours.paged == twin.paged);
    EXPECT_FALSE(ours.paged == ours.slice);
    EXPECT_EQ(ours.number, QStringLiteral("2 / 10"));
}

} // namespace
