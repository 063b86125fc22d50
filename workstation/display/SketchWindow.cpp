#include "display/SketchWindow.h"

#include "display/JpegSize.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantor {

namespace {

constexpr int kTwipsPerPixel = 15;

} // namespace

SketchWindow::SketchWindow(const std::string& defaultSketch, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSketch"));
    setWindowTitle(QStringLiteral("Sketch"));
    setAttribute(Qt::WA_DeleteOnClose);

    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("Image1"));
    picture_->setScaledContents(true);
    picture_->setStyleSheet(QStringLiteral("background: white;"));
    btnClose_ = new QPushButton(QStringLiteral("Close"), this);
    btnClose_->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose_, &QPushButton::clicked, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize); // the window follows its picture area
    layout->addWidget(picture_);
    layout->addWidget(btnClose_, 0, Qt::AlignHCenter);

    setArea(SketchArea{});
    QPixmap pixmap;
    if (pixmap.load(QString::fromStdString(defaultSketch)))
        picture_->setPixmap(pixmap);
}

bool SketchWindow::showPicture(const std::string& path)
{
    QPixmap pixmap;
    if (!pixmap.load(QString::fromStdString(path)))
        return false;
    const std::optional<JpegSize> declared = JpegSize::ofFile(path);
    const int width = declared ? declared->width : pixmap.width();
    const int height = declared ? declared->height : pixmap.height();
    setArea(SketchArea::fitted(width, height));
    picture_->setPixmap(pixmap);
    return true;
}

SketchArea SketchWindow::area() const
{
    SketchArea area;
    area.width = picture_->width() * kTwipsPerPixel;
    area.height = picture_->height() * kTwipsPerPixel;
    return area;
}

void SketchWindow::setArea(const SketchArea& area)
{
    picture_->setFixedSize((area.width + kTwipsPerPixel / 2) / kTwipsPerPixel,
                           (area.height + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

} // namespace vantor
