#include "ZVImgViewer/DisplayBitmap.h"
#include "ZVImgViewer/OverlayList.h"
#include "ZVImgViewer/RazazUrirAdeder.h"

#include <gtest/gtest.h>

#include <vector>

using DispId = RazazUrirAdeder::DispId;

TEST(RazazUrirAdederProperties, InitialValuesAndMemberNumbers)
{
    RazazUrirAdeder viewer;
    EXPECT_FALSE(viewer.CrossVisible());
    EXPECT_EQ(viewer.WindowLevel(), 500);
    EXPECT_EQ(viewer.WindowWidth(), 1000);
    EXPECT_EQ(viewer.TextColor(), 0xFFFFFF);
    EXPECT_EQ(viewer.TextSize(), 12);
    EXPECT_EQ(viewer.DspResamplingMode(), 0);
    EXPECT_EQ(viewer.BrushColor(), 0x9B9B9B);
    EXPECT_EQ(viewer.TextAngle(), 0);
    EXPECT_EQ(viewer.FontFaceName(), "\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF");
    EXPECT_EQ(viewer.ImageType(), 0);
    EXPECT_EQ(viewer.hImage(), nullptr);
    EXPECT_EQ(viewer.displayBitmap(), nullptr);
    EXPECT_TRUE(viewer.overlays().empty());

    EXPECT_EQ(static_cast<int>(DispId::CrossVisible), 1);
    EXPECT_EQ(static_cast<int>(DispId::PenWidth), 17);
    EXPECT_EQ(static_cast<int>(DispId::SetImageData), 18);
    EXPECT_EQ(static_cast<int>(DispId::GetShortValue), 29);
    EXPECT_EQ(static_cast<int>(DispId::GetVersion), 30);
    EXPECT_EQ(static_cast<int>(RazazUrirAdeder::EventDispId::MouseWheel), 1);
    EXPECT_EQ(static_cast<int>(RazazUrirAdeder::EventDispId::MouseDown), -605);
}

TEST(RazazUrirAdederProperties, SetImageDataCopiesOnRequest)
{
    std::vector<std::int16_t> host(8 * 6, 600);
    const std::int32_t dims[2] = {8, 6};
    RazazUrirAdeder viewer;
    viewer.resize(8, 6);

    viewer.SetImageData(host.data(), 2, dims, 1);
    EXPECT_NE(viewer.hImage(), host.data());
    EXPECT_EQ(viewer.ImageWidth(), 8);
    EXPECT_EQ(viewer.ImageHeight(), 6);
    ASSERT_NE(viewer.displayBitmap(), nullptr);
    EXPECT_EQ(viewer.displayBitmap()->grey(0, 0), 153); // (600 + 500 - 500) * 255 / 1000
    host.assign(host.size(), 1000);
    viewer.sethImage(viewer.hImage());
    viewer.RedrawImage();
    EXPECT_EQ(viewer.displayBitmap()->grey(0, 0), 153); // the copy does not see the host's change
    EXPECT_EQ(viewer.GetShortValue(2.0f, 2.0f), 600);

    viewer.SetImageData(host.data(), 2, dims, 0);
    EXPECT_EQ(viewer.hImage(), host.data());
    EXPECT_EQ(viewer.displayBitmap()->grey(0, 0), 255);
    host[2 * 8 + 2] = -5;
    EXPECT_EQ(viewer.GetShortValue(2.0f, 2.0f), -5);

    // Refused dimensions keep what is shown.
    const std::int32_t bad[2] = {-8, 6};
    viewer.SetImageData(host.data(), 2, bad, 1);
    EXPECT_EQ(viewer.hImage(), host.data());
    EXPECT_EQ(viewer.ImageWidth(), 8);
}

TEST(RazazUrirAdederProperties, HostPointerWithWindowChangesAndRedraw)
{
    std::vector<std::int16_t> host = {-160, 40, 240, 1000};
    RazazUrirAdeder viewer;
    viewer.resize(4, 1);
    viewer.sethImage(host.data());
    viewer.setImageWidth(4);
    viewer.setImageHeight(1);
    viewer.setWindowLevel(40);
    viewer.setWindowWidth(400);
    viewer.RedrawImage();
    const DisplayBitmap* bitmap = viewer.displayBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->grey(0, 0), 0);
    EXPECT_EQ(bitmap->grey(1, 0), 127);
    EXPECT_EQ(bitmap->grey(2, 0), 255);
    EXPECT_EQ(bitmap->grey(3, 0), 255);

    // A width below 1 does not divide by zero.
    viewer.setWindowWidth(0);
    viewer.RedrawImage();
    EXPECT_EQ(viewer.WindowWidth(), 0);
    EXPECT_EQ(viewer.displayBitmap()->grey(1, 0), 0);
    EXPECT_EQ(viewer.displayBitmap()->grey(2, 0), 255);
}

TEST(RazazUrirAdederProperties, ImageSizesBeyondAnyPictureAreRefused)
{
    std::vector<std::int16_t> host(16, 0);
    RazazUrirAdeder viewer;
    viewer.resize(10, 10);
    viewer.sethImage(host.data());
    viewer.setImageWidth(40000);
    viewer.setImageHeight(40000);
    viewer.RedrawImage(); // would be a 6 GB bitmap read from 32 bytes: nothing is built
    EXPECT_EQ(viewer.displayBitmap(), nullptr);
    viewer.setImageWidth(-3);
    viewer.RedrawImage();
    EXPECT_EQ(viewer.displayBitmap(), nullptr);
    EXPECT_FALSE(viewer.grab().isNull());
}

TEST(RazazUrirAdederProperties, GetBufferFeedsTheViewerAndIsReplacedSafely)
{
    RazazUrirAdeder viewer;
    viewer.resize(4, 4);
    std::int16_t* buffer = viewer.GetBuffer(4, 4);
    ASSERT_NE(buffer, nullptr);
    for (int i = 0; i < 16; ++i)
        buffer[i] = static_cast<std::int16_t>(i * 100);
    viewer.sethImage(buffer);
    viewer.setImageWidth(4);
    viewer.setImageHeight(4);
    viewer.RedrawImage();
    EXPECT_EQ(viewer.GetShortValue(1.0f, 1.0f), 500);

    ASSERT_NE(viewer.GetBuffer(8, 8), nullptr);
    EXPECT_EQ(viewer.hImage(), nullptr); // the old block is gone, and so is the image address
    EXPECT_EQ(viewer.GetShortValue(1.0f, 1.0f), -1);
    ASSERT_NE(viewer.displayBitmap(), nullptr);
    viewer.RedrawImage(); // nothing to show: the picture of the freed block goes too
    EXPECT_EQ(viewer.displayBitmap(), nullptr);
    EXPECT_EQ(viewer.GetBuffer(0, 8), nullptr);
}

TEST(RazazUrirAdederProperties, OverlayCallsQueueWithTheCurrentAttributes)
{
    RazazUrirAdeder viewer;
    viewer.TextOut(1, 1, "old");
    viewer.setTextColor(0x00FF00);
    viewer.TextOut(2, 2, "new");
    viewer.setPenColor(0x112233);
    viewer.setPenWidth(3);
    viewer.setPenStyle(1);
    viewer.Rectangle(1, 2, 3, 4);
    viewer.setBrushColor(0x445566);
    viewer.RectangleFill(5, 6, 7, 8);
    const OverlayList& list = viewer.overlays();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].textColor, 0xFFFFFF);
    EXPECT_EQ(list[1].textColor, 0x00FF00);
    EXPECT_EQ(list[2].kind, OverlayKind::Rectangle);
    EXPECT_EQ(list[2].penColor, 0x112233);
    EXPECT_EQ(list[2].penWidth, 3);
    EXPECT_EQ(list[2].penStyle, 1);
    EXPECT_EQ(list[3].brushColor, 0x445566);

    for (int i = 0; i < 10001; ++i)
        viewer.LineTo(i, i);
    EXPECT_EQ(viewer.overlays().size(), 10000u);
    EXPECT_EQ(viewer.overlays()[9999].x1, 9995); // the calls beyond the cap were ignored
    viewer.Clear(123);
    EXPECT_TRUE(viewer.overlays().empty());
}

TEST(RazazUrirAdederProperties, GetVersionWritesIntoTheCallersString)
{
    const RazazUrirAdeder viewer;
    std::string text(128, '?');
    std::int32_t len = 128;
    viewer.GetVersion(text, len);
    EXPECT_EQ(len, 12);
    EXPECT_EQ(text.size(), 128u);
    EXPECT_EQ(text.substr(0, 12), "1, 1, 5, 713");
    EXPECT_EQ(text.substr(12, 52), std::string(52, '\0'));
    EXPECT_EQ(text.substr(64), std::string(64, '?'));
    EXPECT_EQ(text.c_str(), std::string("1, 1, 5, 713")); // cut at the first NUL

    // A short string is never overrun and a short len limits what is written.
    std::string shortText(4, '?');
    len = 1000;
    viewer.GetVersion(shortText, len);
    EXPECT_EQ(shortText, "1, 1");
    std::string limited(10, '?');
    len = 6;
    viewer.GetVersion(limited, len);
    EXPECT_EQ(limited, "1, ???????");
    len = -4;
    viewer.GetVersion(limited, len);
    EXPECT_EQ(len, 12);
}
