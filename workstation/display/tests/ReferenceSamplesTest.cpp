// The reference samples bound to real controls: listing per reading-form tab,
// the sample in a real viewer with its size and window, the wheel, and the
// sketch window of a sample and of a slice.
#include "TemporaryFolder.h"
#include "display/ReferenceSamples.h"
#include "display/SketchWindow.h"
#include "startup/MessageBoxes.h"
#include "startup/WorkstationState.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>
#include <ZVDICOM/ZQDICOM.h>
#include <ZVImgViewer/DisplayBitmap.h>
#include <ZVImgViewer/OverlayList.h>
#include <ZVImgViewer/RazazUrirAdeder.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>

using namespace vantor;

namespace {

struct SampleFile {
    std::int32_t columns = 16;
    std::int32_t rows = 16;
    std::string modality = "CT";
    std::string center = "40";
    std::string width = "400";
    std::string intercept = "-1024";
    std::string slope = "1";
    std::string photometric = "MONOCHROME2";
    std::function<std::int16_t(int x, int y)> value = [](int x, int y) { return static_cast<std::int16_t>(x + 100 * y); };
    std::size_t storedPixels = SIZE_MAX; // fewer than columns x rows: a truncated pixel data element
};

void putText(ZQDICOM& dicom, std::uint16_t group, std::uint16_t element, std::string text)
{
    if (text.size() % 2 != 0)
        text += ' ';
    dicom.SetTagString(static_cast<std::int16_t>(group), static_cast<std::int16_t>(element), text,
                       static_cast<std::int32_t>(text.size()));
}

void putShort(ZQDICOM& dicom, std::uint16_t element, std::uint16_t value)
{
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)};
    dicom.SetTagInfo(0x0028, static_cast<std::int16_t>(element), bytes, 2);
}

// A sample file as a raw element stream, the way the DICOM component writes one.
void writeSample(const std::filesystem::path& path, const SampleFile& sample)
{
    std::filesystem::create_directories(path.parent_path());
    ZQDICOM dicom;
    if (!sample.modality.empty())
        putText(dicom, 0x0008, 0x0060, sample.modality);
    putText(dicom, 0x0028, 0x0004, sample.photometric);
    putShort(dicom, 0x0010, static_cast<std::uint16_t>(sample.rows));
    putShort(dicom, 0x0011, static_cast<std::uint16_t>(sample.columns));
    if (!sample.center.empty())
        putText(dicom, 0x0028, 0x1050, sample.center);
    if (!sample.width.empty())
        putText(dicom, 0x0028, 0x1051, sample.width);
    if (!sample.intercept.empty())
        putText(dicom, 0x0028, 0x1052, sample.intercept);
    if (!sample.slope.empty())
        putText(dicom, 0x0028, 0x1053, sample.slope);
    std::vector<std::int16_t> pixels(static_cast<std::size_t>(sample.columns) * sample.rows);
    for (int y = 0; y < sample.rows; ++y)
        for (int x = 0; x < sample.columns; ++x)
            pixels[static_cast<std::size_t>(y) * sample.columns + x] = sample.value(x, y);
    pixels.resize(std::min(pixels.size(), sample.storedPixels));
    dicom.SetTagInfo(0x7FE0, 0x0010, reinterpret_cast<const std::uint8_t*>(pixels.data()),
                     static_cast<std::int32_t>(pixels.size() * 2));
    ASSERT_TRUE(dicom.SaveDICOMFile(0, path.string()));
}

void writeJpeg(const std::filesystem::path& path, int width, int height)
{
    std::filesystem::create_directories(path.parent_path());
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    ASSERT_TRUE(image.save(QString::fromStdString(path.string()), "JPG"));
}

std::vector<std::string> texts(const QListWidget* list)
{
    std::vector<std::string> result;
    for (int i = 0; i < list->count(); ++i)
        result.push_back(list->item(i)->text().toStdString());
    return result;
}

void turnWheel(QWidget* widget, int delta)
{
    const QPointF centre(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent event(centre, widget->mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

// Records every message and answers OK.
class MessageRecorder {
public:
    MessageRecorder() : saved_(messagePresenter())
    {
        messagePresenter() = [this](QWidget*, QMessageBox::Icon, const QString&, const QString& text,
                                    QMessageBox::StandardButtons) {
            shown.push_back(text);
            return QMessageBox::Ok;
        };
    }
    ~MessageRecorder() { messagePresenter() = saved_; }
    std::vector<QString> shown;

private:
    MessagePresenter saved_;
};

class ReferenceSamplesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.AppDir = app.path().string() + "/";
        state.CategoryNames = {"RO", "IR", "GGO", "HC", "EM", "LO", "", "Symbols", "Pleura", "Normal", ""};
        host = std::make_unique<QWidget>();
        controls.RazazUrirAdeder1 = new RazazUrirAdeder(host.get());
        controls.RazazUrirAdeder1->resize(300, 300);
        controls.SampleBG = new QLabel(QStringLiteral("There are no reference samples."), host.get());
        controls.List1 = new QListWidget(host.get());
        controls.List2 = new QListWidget(host.get());
        controls.lblSampName = new QLabel(host.get());
        controls.btnSketch = new QPushButton(QStringLiteral("Show Sketch"), host.get());
        controls.btnSketch2 = new QPushButton(QStringLiteral("Show Sketch"), host.get());
        for (auto& box : controls.TxtWindowParam)
            box = new QLineEdit(host.get());
        setTypedWindow("-600", "1500");
        auto* tabs = new QTabWidget(host.get());
        for (int i = 0; i < 12; ++i)
            tabs->addTab(new QWidget, QString::number(i));
        controls.SSTab1 = tabs;
    }

    ReferenceSamples& bind()
    {
        samples = new ReferenceSamples(controls, dicom, state, host.get());
        samples->loadCategories();
        return *samples;
    }

    void setTypedWindow(const char* level, const char* width)
    {
        controls.TxtWindowParam[0]->setText(QString::fromLatin1(level));
        controls.TxtWindowParam[1]->setText(QString::fromLatin1(width));
    }

    std::filesystem::path sample(const std::string& category, const std::string& name) const
    {
        return app.path() / "Image" / category / name;
    }

    RazazUrirAdeder* viewer() const { return controls.RazazUrirAdeder1; }

    TemporaryFolder app;
    WorkstationState state;
    ZQDICOM dicom;
    std::unique_ptr<QWidget> host;
    ReferenceSampleControls controls;
    ReferenceSamples* samples = nullptr;
};

} // namespace

TEST_F(ReferenceSamplesTest, ListsTheSamplesOfTheSelectedTab)
{
    writeSample(sample("RO", "b.dcm"), {});
    writeSample(sample("RO", "A.dcm"), {});
    writeSample(sample("RO", "c.dcm"), {});
    writeJpeg(sample("RO", "A.jpg"), 20, 10);
    TemporaryFolder::write(app.file("Category.txt"), "A.dcm\tfirst\nc.dcm\tthird\tignored\nb.dcmx\tnot b\n");
    ReferenceSamples& bound = bind();

    bound.selectTab(0);
    EXPECT_EQ(bound.category(), "RO");
    EXPECT_EQ(controls.lblSampName->text(), QStringLiteral("[ RO ]"));
    EXPECT_EQ(texts(controls.List1), (std::vector<std::string>{"A.dcm", "b.dcm", "c.dcm"}));
    EXPECT_EQ(texts(controls.List2), (std::vector<std::string>{"first", "", "third"}));
    EXPECT_FALSE(viewer()->isHidden());
    EXPECT_EQ(bound.sampleIndex(), 0);
    EXPECT_EQ(controls.List1->currentRow(), 0);
    EXPECT_EQ(controls.List2->currentRow(), 0);
    EXPECT_TRUE(controls.btnSketch->isEnabled());

    // Tabs without samples, and a category whose folder is missing.
    for (int tab : {6, 8, 10, 1}) {
        bound.selectTab(tab);
        EXPECT_EQ(controls.lblSampName->text(), QStringLiteral("[ (None) ]")) << tab;
        EXPECT_TRUE(viewer()->isHidden()) << tab;
        EXPECT_FALSE(controls.SampleBG->isHidden()) << tab;
        EXPECT_EQ(controls.List1->count(), 0) << tab;
        EXPECT_EQ(controls.List2->count(), 0) << tab;
        EXPECT_EQ(bound.sampleCount(), 0) << tab;
        EXPECT_FALSE(controls.btnSketch->isEnabled()) << tab;
    }
    EXPECT_EQ(bound.category(), "IR");

    // The tab control drives the same listing.
    controls.SSTab1->setCurrentIndex(6);
    EXPECT_EQ(bound.category(), "Dummy");
    controls.SSTab1->setCurrentIndex(0);
    EXPECT_EQ(bound.sampleCount(), 3);
    EXPECT_FALSE(viewer()->isHidden());
}

TEST_F(ReferenceSamplesTest, ShowsTheSampleWithItsSizeNameAndWindow)
{
    SampleFile wide;
    wide.columns = 200;
    wide.rows = 100;
    writeSample(sample("HC", "wide.dcm"), wide);
    ReferenceSamples& bound = bind();
    bound.selectTab(3);

    EXPECT_EQ(viewer()->ImageWidth(), 200);
    EXPECT_EQ(viewer()->ImageHeight(), 100);
    EXPECT_EQ(viewer()->width(), 300);
    EXPECT_EQ(viewer()->height(), 150);
    viewer()->resize(400, 400); // as the layout pass leaves it
    bound.fitViewer();
    EXPECT_EQ(viewer()->height(), 200);
    EXPECT_EQ(viewer()->GetShortValue(7.0F, 3.0F), 307);
    // A CT sample follows the typed window (-600 / 1500 in Hounsfield units).
    EXPECT_EQ(bound.modality(), "CT");
    EXPECT_TRUE(bound.followsTypedWindow());
    EXPECT_EQ(viewer()->WindowLevel(), 424);
    EXPECT_EQ(viewer()->WindowWidth(), 1500);

    // Its name in black one pixel right and down, then in green.
    const OverlayList& overlays = viewer()->overlays();
    ASSERT_EQ(overlays.size(), 2U);
    EXPECT_EQ(overlays[0].text, "wide.dcm");
    EXPECT_EQ(overlays[0].textColor, 0x000000);
    EXPECT_EQ(overlays[0].x1, 1);
    EXPECT_EQ(overlays[0].y1, 1);
    EXPECT_EQ(overlays[0].fontFaceName, "Times New Roman");
    EXPECT_EQ(overlays[0].textSize, 20);
    EXPECT_EQ(overlays[1].textColor, 0x00FF00);
    EXPECT_EQ(overlays[1].x1, 0);
    EXPECT_EQ(overlays[1].y1, 0);

    // The viewer holds its own copy: loading another file leaves the sample shown.
    dicom.setfilename(VANTOR_SOURCE_DIR "/data/dicom.dic");
    EXPECT_EQ(viewer()->GetShortValue(7.0F, 3.0F), 307);
    ASSERT_NE(viewer()->displayBitmap(), nullptr);
}

TEST_F(ReferenceSamplesTest, LargeSampleShiftsTheBlackNameByTwoPixels)
{
    SampleFile large;
    large.columns = 1024;
    large.rows = 1024;
    large.value = [](int, int) { return std::int16_t{0}; };
    writeSample(sample("EM", "large.dcm"), large);
    ReferenceSamples& bound = bind();
    bound.selectTab(4);
    ASSERT_EQ(viewer()->overlays().size(), 2U);
    EXPECT_EQ(viewer()->overlays()[0].x1, 2);
    EXPECT_EQ(viewer()->overlays()[0].y1, 2);
    EXPECT_EQ(viewer()->height(), 300);
}

TEST_F(ReferenceSamplesTest, CtSamplesFollowTheTypedWindowOthersKeepTheirOwn)
{
    SampleFile ct;
    ct.value = [](int x, int) { return static_cast<std::int16_t>(x == 0 ? 1064 : 0); };
    writeSample(sample("Symbols", "1_ct.dcm"), ct);
    SampleFile mr;
    mr.modality = "MR";
    mr.center = "600\\700";
    mr.width = "1600";
    writeSample(sample("Symbols", "2_mr.dcm"), mr);
    SampleFile scaled = ct;
    scaled.intercept = "-1000";
    scaled.slope = "2";
    writeSample(sample("Symbols", "3_scaled.dcm"), scaled);
    ReferenceSamples& bound = bind();
    bound.selectTab(9);
    ASSERT_EQ(bound.sampleCount(), 3);

    setTypedWindow("40", "400");
    bound.applyTypedWindow(false);
    EXPECT_EQ(viewer()->WindowLevel(), 1064);
    EXPECT_EQ(viewer()->WindowWidth(), 400);
    ASSERT_NE(viewer()->displayBitmap(), nullptr);
    EXPECT_EQ(viewer()->displayBitmap()->grey(0, 0), 127); // redrawn at once

    // From a series load the values are set, the redraw is left to the caller.
    setTypedWindow("1064", "400");
    bound.applyTypedWindow(true);
    EXPECT_EQ(viewer()->WindowLevel(), 2088);
    EXPECT_EQ(viewer()->displayBitmap()->grey(0, 0), 127);
    viewer()->RedrawImage();
    EXPECT_EQ(viewer()->displayBitmap()->grey(0, 0), 0);

    bound.showSample(1);
    EXPECT_FALSE(bound.followsTypedWindow());
    EXPECT_EQ(viewer()->WindowLevel(), 600);
    EXPECT_EQ(viewer()->WindowWidth(), 1600);
    setTypedWindow("-600", "1500");
    bound.applyTypedWindow(false);
    EXPECT_EQ(viewer()->WindowLevel(), 600);
    EXPECT_EQ(viewer()->WindowWidth(), 1600);

    // A CT sample stored with another rescale gets the same Hounsfield window.
    bound.showSample(2);
    EXPECT_EQ(viewer()->WindowLevel(), 200);  // (-600 + 1000) / 2
    EXPECT_EQ(viewer()->WindowWidth(), 750);
}

TEST_F(ReferenceSamplesTest, Monochrome1SampleIsShownInverted)
{
    SampleFile inverted;
    inverted.modality = "CR";
    inverted.photometric = "MONOCHROME1";
    inverted.center = "100";
    inverted.width = "200";
    inverted.value = [](int x, int) { return static_cast<std::int16_t>(x == 0 ? 0 : 200); };
    writeSample(sample("Normal", "a_inverted.dcm"), inverted);
    SampleFile plain = inverted;
    plain.photometric = "MONOCHROME2";
    writeSample(sample("Normal", "b_plain.dcm"), plain);
    ReferenceSamples& bound = bind();
    bound.selectTab(11);

    ASSERT_NE(viewer()->displayBitmap(), nullptr);
    EXPECT_EQ(viewer()->displayBitmap()->grey(0, 0), 255);
    EXPECT_EQ(viewer()->displayBitmap()->grey(1, 0), 0);
    bound.showSample(1);
    EXPECT_EQ(viewer()->displayBitmap()->grey(0, 0), 0);
    EXPECT_EQ(viewer()->displayBitmap()->grey(1, 0), 255);
}

TEST_F(ReferenceSamplesTest, SampleWithoutWindowShowsItsWholeRange)
{
    SampleFile bare;
    bare.modality = "OT";
    bare.center.clear();
    bare.width.clear();
    bare.value = [](int x, int) { return static_cast<std::int16_t>(x * 10); }; // 0 .. 150
    writeSample(sample("GGO", "bare.dcm"), bare);
    bind().selectTab(2);
    EXPECT_EQ(viewer()->WindowWidth(), 150);
    EXPECT_EQ(viewer()->displayBitmap()->grey(0, 0), 0);
    EXPECT_EQ(viewer()->displayBitmap()->grey(15, 0), 255);
}

TEST_F(ReferenceSamplesTest, WheelAndListsPageThroughTheSamplesClamped)
{
    for (const char* name : {"1.dcm", "2.dcm", "3.dcm"}) {
        SampleFile file;
        file.columns = 8 * (name[0] - '0');
        writeSample(sample("LO", name), file);
    }
    ReferenceSamples& bound = bind();
    bound.selectTab(5);
    const auto expectShown = [&](int index) {
        EXPECT_EQ(bound.sampleIndex(), index);
        EXPECT_EQ(controls.List1->currentRow(), index);
        EXPECT_EQ(controls.List2->currentRow(), index);
        EXPECT_EQ(viewer()->ImageWidth(), 8 * (index + 1));
    };
    expectShown(0);
    turnWheel(viewer(), 120); // away from the reader: previous, already the first
    expectShown(0);
    turnWheel(viewer(), -120);
    expectShown(1);
    turnWheel(viewer(), -240);
    expectShown(2);
    turnWheel(viewer(), -120);
    expectShown(2);
    turnWheel(viewer(), 120);
    expectShown(1);

    controls.List2->setCurrentRow(0);
    expectShown(0);
    controls.List1->setCurrentRow(2);
    expectShown(2);
    bound.showSample(3);
    expectShown(2);
    bound.showSample(-1);
    expectShown(2);
}

TEST_F(ReferenceSamplesTest, SampleSketchOpensFittedAndCloses)
{
    writeSample(sample("RO", "a.dcm"), {});
    writeSample(sample("RO", "b.dcm"), {});
    writeJpeg(sample("RO", "a.jpg"), 512, 568);
    writeJpeg(sample("Normal", "1-01_F02.jpg"), 64, 64);
    ReferenceSamples& bound = bind();
    bound.selectTab(0);
    ASSERT_TRUE(controls.btnSketch->isEnabled());

    QTest::mouseClick(controls.btnSketch, Qt::LeftButton);
    SketchWindow* sketch = bound.sketchWindow();
    ASSERT_NE(sketch, nullptr);
    EXPECT_TRUE(sketch->isVisible());
    EXPECT_EQ(sketch->windowTitle(), QStringLiteral("Sketch"));
    EXPECT_EQ(sketch->picture()->size(), QSize(300, 333)); // 4507 x 5000 twips
    EXPECT_FALSE(sketch->picture()->pixmap().isNull());

    // A sample without a sketch disables the button; the call does nothing.
    bound.showSample(1);
    EXPECT_FALSE(controls.btnSketch->isEnabled());
    QTest::mouseClick(sketch->btnClose(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(bound.sketchWindow(), nullptr);
    bound.showSampleSketch();
    EXPECT_EQ(bound.sketchWindow(), nullptr);
}

TEST_F(ReferenceSamplesTest, NewSketchWindowStartsWithTheDefaultSketch)
{
    writeJpeg(sample("Normal", "1-01_F02.jpg"), 64, 32);
    SketchWindow window(app.file("Image/Normal/1-01_F02.jpg"));
    EXPECT_EQ(window.area().width, 7005); // 467 pixels
    EXPECT_EQ(window.area().height, 4995);
    EXPECT_EQ(window.picture()->pixmap().size(), QSize(64, 32));
}

TEST_F(ReferenceSamplesTest, SliceSketchFromTheSeriesFolder)
{
    const std::filesystem::path slice = app.path() / "data" / "P1" / "ST1" / "SE1" / "IM0001.dcm";
    writeJpeg(slice.parent_path() / "JPG" / "IM0001.jpg", 1400, 500);
    ReferenceSamples& bound = bind();
    std::string current = slice.string();
    bound.currentSliceFile = [&current] { return current; };
    controls.btnSketch2->setEnabled(true);

    QTest::mouseClick(controls.btnSketch2, Qt::LeftButton);
    ASSERT_NE(bound.sketchWindow(), nullptr);
    EXPECT_EQ(bound.sketchWindow()->picture()->size(), QSize(467, 167)); // 7000 x 2500 twips
    // The open window takes the next sketch; each is fitted from the designed area.
    writeJpeg(slice.parent_path() / "JPG" / "IM0002.jpg", 500, 1000);
    bound.showSliceSketch((slice.parent_path() / "IM0002.dcm").string());
    EXPECT_EQ(bound.sketchWindow()->picture()->size(), QSize(167, 333)); // 2500 x 5000 twips

    // A slice without a sketch, or no slice at all, does nothing.
    delete bound.sketchWindow();
    current = (slice.parent_path() / "IM0003.dcm").string();
    QTest::mouseClick(controls.btnSketch2, Qt::LeftButton);
    current.clear();
    QTest::mouseClick(controls.btnSketch2, Qt::LeftButton);
    EXPECT_EQ(bound.sketchWindow(), nullptr);
}

TEST_F(ReferenceSamplesTest, BrokenFilesNeverCrash)
{
    std::filesystem::create_directories(sample("IR", ""));
    TemporaryFolder::write(sample("IR", "broken.dcm").string(), std::string(300, '\x7f'));
    TemporaryFolder::write(sample("IR", "broken.jpg").string(), "not a picture");
    SampleFile truncated;
    truncated.columns = 40000; // more pixels declared than the file holds
    truncated.rows = 2;
    truncated.storedPixels = 40000 + 10;
    writeSample(sample("IR", "truncated.dcm"), truncated);
    MessageRecorder messages;
    ReferenceSamples& bound = bind();
    bound.selectTab(1);
    ASSERT_EQ(bound.sampleCount(), 2);
    EXPECT_EQ(viewer()->ImageWidth(), 512);
    EXPECT_EQ(viewer()->ImageHeight(), 512);
    EXPECT_EQ(viewer()->GetShortValue(10.0F, 10.0F), 0);

    ASSERT_TRUE(controls.btnSketch->isEnabled());
    QTest::mouseClick(controls.btnSketch, Qt::LeftButton);
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_TRUE(messages.shown[0].contains(QStringLiteral("broken.jpg")));
    EXPECT_TRUE(bound.sketchWindow() == nullptr || !bound.sketchWindow()->isVisible());

    bound.showSample(1);
    EXPECT_EQ(viewer()->ImageWidth(), 40000);
    EXPECT_EQ(viewer()->GetShortValue(5.0F, 0.0F), 5);
    EXPECT_EQ(viewer()->displayBitmap()->width(), 40000);
}

TEST_F(ReferenceSamplesTest, ShippedSamplesAndRealFiles)
{
    // The samples installed with the program.
    state.AppDir = VANTOR_SOURCE_DIR "/data/";
    ReferenceSamples& bound = bind();
    bound.selectTab(7);
    EXPECT_EQ(texts(controls.List1), (std::vector<std::string>{"Pleura_calcified_plaque.dcm",
                                                               "Pleura_diffuse_thickening.dcm", "Pleura_plaque.dcm"}));
    EXPECT_NE(controls.List2->item(0)->text().toStdString().find("calcified pleural plaque"), std::string::npos);
    EXPECT_EQ(viewer()->ImageWidth(), 256);
    EXPECT_EQ(viewer()->WindowLevel(), 424);
    EXPECT_TRUE(controls.btnSketch->isEnabled());

    const std::filesystem::path real = std::filesystem::path(VANTOR_REAL_DICOM_DIR) / "pydicom" / "test_files";
    if (!std::filesystem::exists(real / "CT_small.dcm"))
        GTEST_SKIP() << "pydicom's test files are not installed under " << real;
    state.AppDir = app.path().string() + "/";
    std::filesystem::create_directories(sample("RO", ""));
    std::filesystem::copy_file(real / "CT_small.dcm", sample("RO", "CT_small.dcm"));
    std::filesystem::copy_file(real / "MR_small.dcm", sample("RO", "MR_small.dcm"));
    bound.selectTab(0);
    ASSERT_EQ(bound.sampleCount(), 2);
    EXPECT_EQ(viewer()->ImageWidth(), 128);
    EXPECT_EQ(viewer()->ImageHeight(), 128);
    EXPECT_EQ(bound.modality(), "CT");
    EXPECT_EQ(viewer()->WindowLevel(), 424);
    ZQDICOM reference;
    reference.setfilename(sample("RO", "CT_small.dcm").string());
    const auto* pixels = reinterpret_cast<const std::int16_t*>(reference.hImage());
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(viewer()->GetShortValue(3.0F, 2.0F), pixels[2 * 128 + 3]);

    bound.showSample(1);
    EXPECT_EQ(viewer()->ImageWidth(), 64);
    EXPECT_EQ(bound.modality(), "MR");
    EXPECT_EQ(viewer()->WindowLevel(), 600);
    EXPECT_EQ(viewer()->WindowWidth(), 1600);
}
