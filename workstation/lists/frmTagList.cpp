#include "lists/frmTagList.h"

#include "lists/TagListBuilder.h"

#include <QFont>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QStringList>

#include <algorithm>

namespace vantor {

namespace {

constexpr int kTwipsPerPixel = 15;
// Designed sizes in twips.
constexpr int kMargin = 120;
constexpr int kListWidthReduction = 100;
constexpr int kButtonGap = 50;
constexpr int kListButtonReserve = 200;
constexpr int kButtonWidth = 1215;
constexpr int kButtonHeight = 375;
constexpr int kWindowWidth = 10800;
constexpr int kWindowHeight = 7200;

int pixels(int twips)
{
    return twips / kTwipsPerPixel;
}

} // namespace

frmTagList::frmTagList(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTagList"));
    setWindowTitle(QStringLiteral("Tag List"));

    List1_ = new QListWidget(this);
    List1_->setObjectName(QStringLiteral("List1"));
    QFont font(QStringLiteral("Terminal"));
    // "Terminal" is rarely installed here; a monospace face stands in so the columns still line up.
    font.setFamilies({QStringLiteral("Terminal"), QStringLiteral("Monospace")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    List1_->setFont(font);
    List1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    List1_->setGeometry(pixels(kMargin), pixels(kMargin), 0, 0);

    btnClose_ = new QPushButton(QStringLiteral("Close"), this);
    btnClose_->setObjectName(QStringLiteral("btnClose"));
    btnClose_->setGeometry(pixels(kMargin), 0, pixels(kButtonWidth), pixels(kButtonHeight));
    btnClose_->setDefault(true);
    connect(btnClose_, &QPushButton::clicked, this, &QDialog::accept);

    resize(pixels(kWindowWidth), pixels(kWindowHeight));
}

void frmTagList::setLines(const std::vector<std::string>& lines)
{
    List1_->clear();
    QStringList items;
    items.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines)
        items.append(QString::fromStdString(TagListBuilder::shownText(line)));
    List1_->addItems(items);
}

void frmTagList::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // The list keeps its left margin on both sides, less 100 twips; the
    // button sits 50 twips below it. Sizes never go below zero on a tiny window.
    const int innerWidth = width() * kTwipsPerPixel;
    const int innerHeight = height() * kTwipsPerPixel;
    const int left = List1_->x() * kTwipsPerPixel;
    const int listWidth = std::max(0, innerWidth - 2 * left - kListWidthReduction);
    const int buttonHeight = btnClose_->height() * kTwipsPerPixel;
    const int listHeight = std::max(0, innerHeight - buttonHeight - kListButtonReserve);
    List1_->resize(pixels(listWidth), pixels(listHeight));
    btnClose_->move(btnClose_->x(), List1_->y() + List1_->height() + pixels(kButtonGap));
}

void frmTagList::showTags(QWidget* parent, TagListBuilder& builder, ZQDICOM& dicom, const std::string& sliceFile)
{
    frmTagList window(parent);
    window.setLines(builder.lines(dicom, sliceFile));
    window.exec();
}

} // namespace vantor
