// The viewer on a screen of two device pixels per logical pixel. A program of
// its own: the scale factor must be set before the application starts.
#include "ZVImgViewer/DisplayBitmap.h"
#include "ZVImgViewer/RazazUrirAdeder.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::int16_t> checkerboard(int width, int height)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            samples[static_cast<std::size_t>(y) * width + x] = static_cast<std::int16_t>((x + y) % 2 ? 1000 : 0);
    return samples;
}

} // namespace

TEST(HighDensityScreen, ResamplesToDevicePixelsAndKeepsLogicalCoordinates)
{
    RazazUrirAdeder viewer;
    viewer.resize(50, 40);
    ASSERT_DOUBLE_EQ(viewer.devicePixelRatioF(), 2.0);
    const auto image = checkerboard(20, 20);
    viewer.setDspResamplingMode(1);
    const std::int32_t dims[2] = {20, 20};
    viewer.SetImageData(image.data(), 2, dims, 0);
    ASSERT_NE(viewer.displayBitmap(), nullptr);
    EXPECT_EQ(viewer.displayBitmap()->width(), 100);
    EXPECT_EQ(viewer.displayBitmap()->height(), 80);

    viewer.setPenColor(0x0000FF);
    viewer.MoveTo(0, 10);
    viewer.LineTo(20, 10); // logical y = 10 * 40 / 20 = 20, device rows 40 and 41
    const QPixmap pixmap = viewer.grab();
    EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), 2.0);
    const QImage picture = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(picture.size(), QSize(100, 80));
    // The picture is the bitmap one to one, away from the line.
    for (int y = 0; y < 30; y += 3)
        for (int x = 0; x < 100; x += 7)
            ASSERT_EQ(picture.pixel(x, y), viewer.displayBitmap()->pixel(x, y)) << x << "," << y;
    int redRows = 0;
    for (int y = 30; y < 50; ++y)
        redRows += picture.pixel(50, y) == qRgb(255, 0, 0);
    EXPECT_GE(redRows, 1);
    EXPECT_EQ(picture.pixel(50, 40) == qRgb(255, 0, 0) || picture.pixel(50, 41) == qRgb(255, 0, 0), true);
}

TEST(HighDensityScreen, MouseReportsLogicalPixels)
{
    RazazUrirAdeder viewer;
    viewer.resize(50, 40);
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    int reportedX = -1;
    int reportedY = -1;
    QObject::connect(&viewer, &RazazUrirAdeder::MouseDown, [&](std::int16_t, std::int16_t, std::int32_t x, std::int32_t y) {
        reportedX = x;
        reportedY = y;
    });
    QTest::mouseClick(&viewer, Qt::LeftButton, Qt::NoModifier, QPoint(30, 20));
    EXPECT_EQ(reportedX, 30);
    EXPECT_EQ(reportedY, 20);
}

int main(int argc, char** argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
