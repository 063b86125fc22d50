#include "ZVImgViewer/DisplayBitmap.h"
#include "ZVImgViewer/OverlayItem.h"
#include "ZVImgViewer/OverlayPainter.h"
#include "ZVImgViewer/RazazUrirAdeder.h"

#include <QFontDatabase>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

constexpr QRgb black = 0xFF000000;

// A 50 x 50 black image (sample 0 at the initial window) on a 100 x 100 window:
// image coordinates double on screen.
class PaintTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        viewer.resize(100, 100);
        const std::int32_t dims[2] = {50, 50};
        viewer.SetImageData(image.data(), 2, dims, 0);
    }

    QImage painted() { return viewer.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // How many pixels of a colour lie in a rectangle of the picture.
    static int count(const QImage& picture, QRect area, QRgb colour)
    {
        int found = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                found += picture.pixel(x, y) == colour;
        return found;
    }

    std::vector<std::int16_t> image = std::vector<std::int16_t>(50 * 50, 0);
    RazazUrirAdeder viewer;
};

} // namespace

TEST_F(PaintTest, StretchesTheBitmapOverTheWindow)
{
    const std::vector<std::int16_t> quadrants = {0, 1000, 500, 250};
    const std::int32_t dims[2] = {2, 2};
    viewer.SetImageData(quadrants.data(), 2, dims, 1);
    const QImage picture = painted();
    ASSERT_EQ(picture.size(), QSize(100, 100));
    EXPECT_EQ(picture.pixel(25, 25), qRgb(0, 0, 0));
    EXPECT_EQ(picture.pixel(75, 25), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(25, 75), qRgb(127, 127, 127));
    EXPECT_EQ(picture.pixel(75, 75), qRgb(63, 63, 63));
    EXPECT_EQ(picture.pixel(49, 49), qRgb(0, 0, 0)); // pixel dropping, no smoothing
    EXPECT_EQ(picture.pixel(50, 49), qRgb(255, 255, 255));
}

TEST_F(PaintTest, CrossHairAtTheScaledCrossPoint)
{
    viewer.SetCrossPoint(10, 30);
    viewer.setCrossVisible(true);
    const QImage picture = painted();
    const QRgb green = qRgb(55, 255, 55);
    // Two pixels wide, at x = 10 * 100 / 50 and y = 30 * 100 / 50, across the whole window.
    EXPECT_EQ(count(picture, QRect(18, 5, 5, 1), green), 2);
    EXPECT_EQ(count(picture, QRect(0, 5, 100, 1), green), 2);
    EXPECT_EQ(count(picture, QRect(18, 95, 5, 1), green), 2);
    EXPECT_EQ(count(picture, QRect(5, 58, 1, 5), green), 2);
    EXPECT_EQ(count(picture, QRect(95, 58, 1, 5), green), 2);
    EXPECT_EQ(count(picture, QRect(0, 0, 100, 100), green), 2 * 100 + 2 * 100 - 4);

    viewer.setCrossVisible(false);
    EXPECT_EQ(count(painted(), QRect(0, 0, 100, 100), green), 0);
}

TEST_F(PaintTest, LineFromTheCurrentPosition)
{
    viewer.setPenColor(0x0000FF); // red
    viewer.MoveTo(5, 5);
    viewer.LineTo(45, 5);
    viewer.LineTo(45, 25); // continues from the end of the first line
    const QImage picture = painted();
    const QRgb red = qRgb(255, 0, 0);
    EXPECT_EQ(picture.pixel(50, 10), red);
    EXPECT_EQ(picture.pixel(11, 10), red);
    EXPECT_EQ(picture.pixel(50, 12), black);
    EXPECT_EQ(picture.pixel(90, 30), red);
    EXPECT_EQ(picture.pixel(90, 48), red);
    EXPECT_EQ(picture.pixel(90, 60), black);
    EXPECT_EQ(count(picture, QRect(0, 0, 100, 9), red), 0);
}

TEST_F(PaintTest, EllipseIsTheOctagonInItsBox)
{
    viewer.setPenColor(0xFF0000); // blue
    viewer.Ellipse(10, 10, 40, 40); // (20, 20) - (80, 80) on screen; corners cut at 37 and 62
    const QImage picture = painted();
    const QRgb blue = qRgb(0, 0, 255);
    EXPECT_EQ(picture.pixel(50, 20), blue);
    EXPECT_EQ(picture.pixel(20, 50), blue);
    EXPECT_EQ(picture.pixel(80, 50), blue);
    EXPECT_EQ(picture.pixel(50, 80), blue);
    EXPECT_EQ(picture.pixel(38, 20), blue);
    EXPECT_EQ(picture.pixel(61, 20), blue);
    // The corners of the box stay empty; the diagonal edges cut across them.
    EXPECT_EQ(count(picture, QRect(20, 20, 6, 6), blue), 0);
    EXPECT_EQ(count(picture, QRect(75, 75, 6, 6), blue), 0);
    EXPECT_GT(count(picture, QRect(27, 27, 3, 3), blue), 0);
    EXPECT_GT(count(picture, QRect(70, 70, 3, 3), blue), 0);
    EXPECT_EQ(picture.pixel(50, 50), black);
    // The top edge runs from a to b only.
    EXPECT_EQ(count(picture, QRect(20, 20, 15, 1), blue), 0);
}

TEST_F(PaintTest, RectangleAndFilledRectangle)
{
    viewer.setPenColor(0x00FF00); // green
    viewer.setBrushColor(0x0000FF); // red
    viewer.RectangleFill(10, 10, 30, 30); // (20, 20) - (60, 60) on screen
    viewer.setPenColor(0xFFFFFF);
    viewer.Rectangle(35, 35, 45, 45);     // (70, 70) - (90, 90)
    const QImage picture = painted();
    const QRgb red = qRgb(255, 0, 0);
    const QRgb green = qRgb(0, 255, 0);
    const QRgb white = qRgb(255, 255, 255);
    EXPECT_EQ(picture.pixel(40, 40), red);
    EXPECT_EQ(picture.pixel(21, 21), red);
    EXPECT_EQ(picture.pixel(20, 40), green);
    EXPECT_EQ(picture.pixel(40, 20), green);
    // Right and bottom edges stay out, as on the original platform.
    EXPECT_EQ(picture.pixel(59, 40), green);
    EXPECT_EQ(picture.pixel(40, 59), green);
    EXPECT_EQ(picture.pixel(60, 40), black);
    EXPECT_EQ(picture.pixel(40, 60), black);
    EXPECT_EQ(count(picture, QRect(21, 21, 38, 38), red), 38 * 38);

    // The outline-only rectangle: four sides, nothing inside.
    EXPECT_EQ(picture.pixel(80, 70), white);
    EXPECT_EQ(picture.pixel(90, 80), white);
    EXPECT_EQ(picture.pixel(80, 90), white);
    EXPECT_EQ(picture.pixel(70, 80), white);
    EXPECT_EQ(picture.pixel(80, 80), black);
}

TEST_F(PaintTest, OverlaysFollowTheWindowSizeAndStayUntilClear)
{
    viewer.setPenColor(0x0000FF);
    viewer.MoveTo(0, 25);
    viewer.LineTo(50, 25);
    viewer.resize(200, 60);
    QImage picture = painted();
    EXPECT_EQ(picture.pixel(100, 30), qRgb(255, 0, 0)); // y = 25 * 60 / 50
    viewer.Clear(0);
    picture = painted();
    EXPECT_EQ(picture.pixel(100, 30), black);
}

TEST_F(PaintTest, TextIsAnchoredByItsAlignmentAndRotated)
{
    if (QFontDatabase::families().isEmpty())
        GTEST_SKIP() << "no fonts installed";
    const QRgb yellow = qRgb(255, 255, 0);
    const auto boundsOfText = [&](std::int32_t align, std::int32_t angle) {
        viewer.Clear(0);
        viewer.setTextColor(0x00FFFF);
        viewer.setTextSize(16);
        viewer.setTextAlign(align);
        viewer.setTextAngle(angle);
        viewer.TextOut(25, 25, "MMMM");
        const QImage picture = painted();
        QRect bounds;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                if (picture.pixel(x, y) == yellow)
                    bounds |= QRect(x, y, 1, 1);
        return bounds;
    };
    const QRect leftTop = boundsOfText(0, 0);
    ASSERT_FALSE(leftTop.isEmpty()) << "no text painted";
    EXPECT_GE(leftTop.left(), 48);
    EXPECT_GE(leftTop.top(), 48);
    EXPECT_GT(leftTop.width(), leftTop.height());
    EXPECT_LE(leftTop.height(), 18); // about the requested pixel height

    const QRect rightBottom = boundsOfText(2 | 8, 0);
    EXPECT_LE(rightBottom.right(), 51);
    EXPECT_LE(rightBottom.bottom(), 51);
    const QRect centreBaseline = boundsOfText(6 | 24, 0);
    EXPECT_LT(centreBaseline.left(), 50);
    EXPECT_GT(centreBaseline.right(), 50);
    EXPECT_LE(centreBaseline.bottom(), 51);

    // 90 degrees counter-clockwise: the text runs upward from the anchor.
    const QRect rotated = boundsOfText(0, 900);
    EXPECT_GT(rotated.height(), rotated.width());
    EXPECT_LE(rotated.bottom(), 51);
    EXPECT_GE(rotated.left(), 48);
}

TEST(RazazUrirAdederPlaceholder, PatternBeforeAnyImage)
{
    RazazUrirAdeder viewer;
    viewer.resize(16, 16);
    const QImage picture = viewer.grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const int grey = ((x + 8 * y) * 4) % 256;
            ASSERT_EQ(picture.pixel(2 * x + 1, 2 * y + 1), qRgb(grey, grey, grey)) << x << "," << y;
        }
}

TEST(RazazUrirAdederPlaceholder, OverlaysAndCrossWithoutImageSizeDrawNothing)
{
    RazazUrirAdeder plain;
    plain.resize(16, 16);
    RazazUrirAdeder drawn;
    drawn.resize(16, 16);
    drawn.SetCrossPoint(3, 3);
    drawn.setCrossVisible(true);
    drawn.MoveTo(0, 0);
    drawn.LineTo(10, 10);
    drawn.Ellipse(1, 1, 5, 5);
    drawn.TextOut(2, 2, "x");
    EXPECT_EQ(drawn.grab().toImage(), plain.grab().toImage());
}

TEST(RazazUrirAdederResampling, BitmapTakesTheWindowSizeAndFollowsResizes)
{
    std::vector<std::int16_t> image(50 * 40);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::int16_t>(i % 1000);
    RazazUrirAdeder viewer;
    viewer.resize(100, 90);
    viewer.setDspResamplingMode(1);
    const std::int32_t dims[2] = {50, 40};
    viewer.SetImageData(image.data(), 2, dims, 0);
    ASSERT_NE(viewer.displayBitmap(), nullptr);
    EXPECT_EQ(viewer.displayBitmap()->width(), 100);
    EXPECT_EQ(viewer.displayBitmap()->height(), 90);

    viewer.resize(120, 80);
    EXPECT_EQ(viewer.displayBitmap()->width(), 100); // until the next RedrawImage
    viewer.RedrawImage();
    EXPECT_EQ(viewer.displayBitmap()->width(), 120);
    EXPECT_EQ(viewer.displayBitmap()->height(), 80);
    // Painted one to one.
    const QImage picture = viewer.grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < 80; y += 7)
        for (int x = 0; x < 120; x += 5)
            ASSERT_EQ(picture.pixel(x, y), viewer.displayBitmap()->pixel(x, y)) << x << "," << y;
}

TEST(OverlayPainter, GeometryPensAndColours)
{
    const auto points = OverlayPainter::octagon(20, 20, 80, 80);
    const std::array<QPoint, 9> expected = {QPoint(20, 37), QPoint(37, 20), QPoint(62, 20), QPoint(80, 37), QPoint(80, 62),
                                            QPoint(62, 80), QPoint(37, 80), QPoint(20, 62), QPoint(20, 37)};
    EXPECT_EQ(points, expected);

    EXPECT_EQ(OverlayPainter::color(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(OverlayPainter::color(0x9B9B9B), QColor(155, 155, 155));
    EXPECT_EQ(OverlayPainter::color(0x00FF8040), QColor(0x40, 0x80, 0xFF));
    EXPECT_EQ(OverlayPainter::pen(0, 1, 0).style(), Qt::SolidLine);
    EXPECT_EQ(OverlayPainter::pen(1, 1, 0).style(), Qt::DashLine);
    EXPECT_EQ(OverlayPainter::pen(2, 1, 0).style(), Qt::DotLine);
    EXPECT_EQ(OverlayPainter::pen(2, 3, 0).style(), Qt::SolidLine); // wide styled pens are solid
    EXPECT_EQ(OverlayPainter::pen(5, 1, 0).style(), Qt::NoPen);
    EXPECT_EQ(OverlayPainter::pen(0, 4, 0).width(), 4);

    EXPECT_EQ(OverlayPainter::scale(25, 100, 50), 50);
    EXPECT_EQ(OverlayPainter::scale(7, 10, 4), 17); // truncating
    EXPECT_EQ(OverlayPainter::scale(-7, 10, 4), -17);
    EXPECT_EQ(OverlayPainter::scale(5, 100, 0), 0);
    EXPECT_EQ(OverlayPainter::scale(2147483647, 1024, 1), 1 << 24); // no overflow

    OverlayItem item;
    item.fontFaceName = "Terminal";
    item.textSize = 20;
    const QFont font = OverlayPainter::font(item);
    EXPECT_EQ(font.family(), "Terminal");
    EXPECT_EQ(font.pixelSize(), 20);
    EXPECT_TRUE(font.fixedPitch());
    EXPECT_EQ(font.weight(), QFont::Normal);
}
