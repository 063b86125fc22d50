#include "display/ReferenceSamples.h"

#include "display/NumericText.h"
#include "display/ReferenceSampleLibrary.h"
#include "display/SketchWindow.h"
#include "startup/MessageBoxes.h"
#include "startup/WorkstationState.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <ZVDICOM/ZQDICOM.h>
#include <ZVImgViewer/RazazUrirAdeder.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace vantor {

namespace {

constexpr std::int32_t kMissingDimension = 512;
// Larger samples are not drawn: no reference image comes near this.
constexpr std::int64_t kMaxSampleCount = 8192LL * 8192LL;
constexpr std::int32_t kBlack = 0x000000;
constexpr std::int32_t kGreen = 0x00FF00; // 0x00BBGGRR

std::optional<std::string> tagText(const ZQDICOM& dicom, std::uint16_t group, std::uint16_t element)
{
    std::string buffer(128, '\0');
    if (!dicom.GetTagString(static_cast<std::int16_t>(group), static_cast<std::int16_t>(element), buffer, 128))
        return std::nullopt;
    return buffer.substr(0, buffer.find('\0'));
}

std::int32_t dimension(const ZQDICOM& dicom, std::uint16_t element)
{
    std::int16_t value = 0;
    if (!dicom.GetTagShort(0x0028, static_cast<std::int16_t>(element), value) || value == 0)
        return kMissingDimension;
    return static_cast<std::uint16_t>(value); // US: 40000 columns are 40000, not negative
}

// The sample's stored values (decoded when the file is compressed), columns x
// rows; what the file does not hold is 0.
std::vector<std::int16_t> sampleValues(const std::uint8_t* pixels, std::size_t size, std::int32_t columns,
                                       std::int32_t rows)
{
    std::vector<std::int16_t> values(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), 0);
    if (pixels != nullptr && size > 0)
        std::memcpy(values.data(), pixels, std::min(values.size() * sizeof(std::int16_t), size));
    return values;
}

} // namespace

ReferenceSamples::ReferenceSamples(const ReferenceSampleControls& controls, ZQDICOM& dicom,
                                   const WorkstationState& state, QObject* parent)
    : QObject(parent), controls_(controls), dicom_(dicom), state_(state), category_(ReferenceSampleLibrary::kNoCategory)
{
    connect(controls_.List1, &QListWidget::currentRowChanged, this, &ReferenceSamples::showSample);
    connect(controls_.List2, &QListWidget::currentRowChanged, this, &ReferenceSamples::showSample);
    controls_.List2->setWordWrap(true);
    controls_.List2->setTextElideMode(Qt::ElideNone);
    controls_.List2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(controls_.RazazUrirAdeder1, &RazazUrirAdeder::MouseWheel, this,
            [this](std::int16_t zDelta) { wheel(zDelta); });
    connect(controls_.btnSketch, &QPushButton::clicked, this, &ReferenceSamples::showSampleSketch);
    connect(controls_.btnSketch2, &QPushButton::clicked, this, [this] {
        if (currentSliceFile)
            showSliceSketch(currentSliceFile());
    });
    if (controls_.SSTab1 != nullptr)
        connect(controls_.SSTab1, &QTabWidget::currentChanged, this, &ReferenceSamples::selectTab);
}

ReferenceSamples::~ReferenceSamples()
{
    if (sketchWindow_)
        delete sketchWindow_.data();
}

bool ReferenceSamples::loadCategories()
{
    return categories_.load(ReferenceSampleLibrary::categoryTablePath(state_.AppDir));
}

void ReferenceSamples::selectTab(int tab)
{
    category_ = ReferenceSampleLibrary::kNoCategory;
    controls_.RazazUrirAdeder1->setVisible(true);
    category_ = ReferenceSampleLibrary::categoryOfTab(tab, state_);
    listSamples();
}

void ReferenceSamples::listSamples()
{
    controls_.lblSampName->setText(QStringLiteral("[ %1 ]").arg(QString::fromStdString(category_)));
    {
        const QSignalBlocker quiet1(controls_.List1);
        const QSignalBlocker quiet2(controls_.List2);
        controls_.List1->clear();
        controls_.List2->clear();
    }
    sampleIndex_ = -1;
    modality_.clear();
    sampleFiles_.clear();
    if (category_ != ReferenceSampleLibrary::kNoCategory)
        sampleFiles_ = ReferenceSampleLibrary::sampleFiles(state_.AppDir, category_);

    if (sampleFiles_.empty()) {
        controls_.lblSampName->setText(QStringLiteral("[ (None) ]"));
        controls_.RazazUrirAdeder1->setVisible(false);
        if (controls_.SampleBG != nullptr)
            controls_.SampleBG->setVisible(true); // its text now shows through
        controls_.btnSketch->setEnabled(false);
        return;
    }
    {
        const QSignalBlocker quiet1(controls_.List1);
        const QSignalBlocker quiet2(controls_.List2);
        for (const std::string& name : sampleFiles_) {
            controls_.List1->addItem(QString::fromStdString(name));
            // Descriptions are longer than the list is wide: each is wrapped and also its own tip.
            const QString description = QString::fromStdString(categories_.description(name));
            auto* item = new QListWidgetItem(description, controls_.List2);
            item->setToolTip(description);
        }
    }
    showSample(0);
}

void ReferenceSamples::showSample(int index)
{
    if (index < 0 || index >= sampleCount())
        return;
    sampleIndex_ = index;
    {
        const QSignalBlocker quiet1(controls_.List1);
        const QSignalBlocker quiet2(controls_.List2);
        controls_.List1->setCurrentRow(index);
        controls_.List2->setCurrentRow(index);
    }
    const std::string& fileName = sampleFiles_[static_cast<std::size_t>(index)];
    const std::string path = ReferenceSampleLibrary::samplePath(state_.AppDir, category_, fileName);

    std::size_t pixelBytes = 0;
    std::string problem;
    const std::uint8_t* pixels = dicom_.loadNativePixels(path, pixelBytes, problem);
    std::int32_t columns = dimension(dicom_, 0x0011);
    std::int32_t rows = dimension(dicom_, 0x0010);
    if (std::int64_t{columns} * rows > kMaxSampleCount)
        columns = rows = kMissingDimension; // shown black rather than allocated blindly
    modality_ = tagText(dicom_, 0x0008, 0x0060).value_or(std::string());

    sampleWindow_ = SampleWindow::fromHeader(tagText(dicom_, 0x0028, 0x1052).value_or(std::string()),
                                             tagText(dicom_, 0x0028, 0x1053).value_or(std::string()),
                                             tagText(dicom_, 0x0028, 0x0004).value_or(std::string()));
    std::vector<std::int16_t> values = sampleValues(pixels, pixelBytes, columns, rows);
    const std::optional<std::string> center = tagText(dicom_, 0x0028, 0x1050);
    const std::optional<std::string> width = tagText(dicom_, 0x0028, 0x1051);
    double ownCenter = numericValue(center.value_or(std::string()));
    double ownWidth = numericValue(width.value_or(std::string()));
    if (!center || !width || ownWidth <= 0.0) {
        // No usable window in the file: show the whole range of its values.
        const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
        ownCenter = (static_cast<double>(*lowest) + *highest) / 2.0;
        ownWidth = std::max(static_cast<double>(*highest) - *lowest, 1.0);
    }
    if (sampleWindow_.inverted) {
        // MONOCHROME1: the viewer draws negated values, which inverts the grey scale.
        for (std::int16_t& value : values)
            value = value == INT16_MIN ? INT16_MAX : static_cast<std::int16_t>(-value);
    }

    RazazUrirAdeder* viewer = controls_.RazazUrirAdeder1;
    const std::int32_t dims[2] = {columns, rows};
    viewer->SetImageData(values.data(), 2, dims, 1);
    fitViewer();

    SampleWindow::Viewer window = sampleWindow_.own(ownCenter, ownWidth);
    if (followsTypedWindow())
        window = typedWindow();
    viewer->setWindowLevel(window.level);
    viewer->setWindowWidth(window.width);

    viewer->Clear(0);
    viewer->setFontFaceName("Times New Roman");
    viewer->setTextSize(20);
    viewer->setTextAngle(0);
    viewer->setTextAlign(0);
    viewer->setTextColor(kBlack);
    viewer->TextOut(static_cast<std::int32_t>(roundHalfEven((columns + 255) / 512.0)),
                    static_cast<std::int32_t>(roundHalfEven((rows + 255) / 512.0)), fileName);
    viewer->setTextColor(kGreen);
    viewer->TextOut(0, 0, fileName);
    viewer->RedrawImage();

    controls_.btnSketch->setEnabled(
        ReferenceSampleLibrary::fileExists(ReferenceSampleLibrary::sampleSketchPath(path)));
}

void ReferenceSamples::fitViewer()
{
    RazazUrirAdeder* viewer = controls_.RazazUrirAdeder1;
    if (sampleIndex_ < 0 || viewer->ImageWidth() <= 0 || viewer->ImageHeight() <= 0)
        return;
    viewer->resize(viewer->width(),
                   static_cast<int>(std::int64_t{viewer->width()} * viewer->ImageHeight() / viewer->ImageWidth()));
}

void ReferenceSamples::wheel(int zDelta)
{
    if (sampleCount() == 0 || zDelta == 0)
        return;
    const int step = zDelta < 0 ? 1 : -1;
    const int next = std::clamp(sampleIndex_ + step, 0, sampleCount() - 1);
    if (next != sampleIndex_)
        showSample(next);
}

bool ReferenceSamples::followsTypedWindow() const
{
    return sampleIndex_ >= 0 && modality_.compare(0, 2, "CT") == 0;
}

SampleWindow::Viewer ReferenceSamples::typedWindow() const
{
    const auto value = [](const QLineEdit* box) {
        return box != nullptr ? numericValue(box->text().toStdString()) : 0.0;
    };
    return sampleWindow_.typed(value(controls_.TxtWindowParam[0]), value(controls_.TxtWindowParam[1]));
}

void ReferenceSamples::applyTypedWindow(bool fromSeriesLoad)
{
    if (!followsTypedWindow())
        return;
    const SampleWindow::Viewer window = typedWindow();
    controls_.RazazUrirAdeder1->setWindowLevel(window.level);
    controls_.RazazUrirAdeder1->setWindowWidth(window.width);
    if (!fromSeriesLoad)
        controls_.RazazUrirAdeder1->RedrawImage();
}

void ReferenceSamples::showSampleSketch()
{
    if (sampleIndex_ < 0)
        return;
    const std::string path = ReferenceSampleLibrary::samplePath(
        state_.AppDir, category_, sampleFiles_[static_cast<std::size_t>(sampleIndex_)]);
    showSketch(ReferenceSampleLibrary::sampleSketchPath(path));
}

void ReferenceSamples::showSliceSketch(const std::string& sliceFile)
{
    if (sliceFile.empty())
        return;
    showSketch(ReferenceSampleLibrary::sliceSketchPath(sliceFile));
}

void ReferenceSamples::showSketch(const std::string& path)
{
    if (!ReferenceSampleLibrary::fileExists(path))
        return;
    if (!sketchWindow_) {
        sketchWindow_ = new SketchWindow(ReferenceSampleLibrary::defaultSketchPath(state_.AppDir),
                                         controls_.RazazUrirAdeder1->window());
    }
    if (!sketchWindow_->showPicture(path)) {
        showMessage(controls_.RazazUrirAdeder1->window(), QMessageBox::Warning, "Sketch",
                    "The sketch cannot be read as a picture.\r" + path);
        return;
    }
    sketchWindow_->show();
    sketchWindow_->raise();
    sketchWindow_->activateWindow();
}

} // namespace vantor
