#include "ZVImgViewer/OverlayList.h"

#include <gtest/gtest.h>

TEST(OverlayList, HoldsTenThousandItemsThenIgnoresFurtherCalls)
{
    OverlayList list;
    const OverlayAttributes attributes;
    for (int i = 0; i < 10000; ++i)
        ASSERT_TRUE(list.queue(OverlayKind::Line, i, i, 0, 0, attributes));
    EXPECT_FALSE(list.queue(OverlayKind::Line, 10000, 10000, 0, 0, attributes));
    EXPECT_FALSE(list.queue(OverlayKind::Text, 1, 1, 0, 0, attributes, "late"));
    ASSERT_EQ(list.size(), 10000u);
    EXPECT_EQ(list[9999].x1, 9999);
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(list.queue(OverlayKind::Move, 5, 6, 0, 0, attributes));
}

TEST(OverlayList, AttributesAreCopiedAtQueueTime)
{
    OverlayList list;
    OverlayAttributes attributes;
    list.queue(OverlayKind::Text, 1, 2, 0, 0, attributes, "first");
    attributes.textColor = 0x0000FF;
    attributes.textSize = 20;
    attributes.fontFaceName = "Terminal";
    attributes.textAngle = 900;
    attributes.textAlign = 6 | 24;
    list.queue(OverlayKind::Text, 3, 4, 0, 0, attributes, "second");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].textColor, 0xFFFFFF);
    EXPECT_EQ(list[0].textSize, 12);
    EXPECT_EQ(list[0].fontFaceName, "\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF");
    EXPECT_EQ(list[0].text, "first");
    EXPECT_EQ(list[1].textColor, 0x0000FF);
    EXPECT_EQ(list[1].textSize, 20);
    EXPECT_EQ(list[1].fontFaceName, "Terminal");
    EXPECT_EQ(list[1].textAngle, 900);
    EXPECT_EQ(list[1].textAlign, 30);
    // A text item does not carry the pen.
    EXPECT_EQ(list[1].penWidth, 0);
    EXPECT_EQ(list[1].penColor, 0);
}

TEST(OverlayList, EachKindKeepsTheFieldsItUses)
{
    OverlayList list;
    OverlayAttributes attributes;
    attributes.penWidth = 3;
    attributes.penColor = 0x00FF00;
    attributes.penStyle = 2;
    attributes.brushColor = 0x123456;
    list.queue(OverlayKind::Move, 1, 2, 3, 4, attributes);
    list.queue(OverlayKind::Line, 5, 6, 7, 8, attributes);
    list.queue(OverlayKind::Ellipse, 10, 20, 30, 40, attributes);
    list.queue(OverlayKind::Rectangle, 11, 21, 31, 41, attributes);
    list.queue(OverlayKind::FilledRectangle, 12, 22, 32, 42, attributes);
    attributes.penColor = 0xFF0000; // later changes alter nothing queued
    attributes.brushColor = 0;

    ASSERT_EQ(list.size(), 5u);
    for (const OverlayItem& item : list) {
        EXPECT_EQ(item.penWidth, 3);
        EXPECT_EQ(item.penColor, 0x00FF00);
        EXPECT_EQ(item.penStyle, 2);
        EXPECT_TRUE(item.text.empty());
    }
    EXPECT_EQ(list[0].kind, OverlayKind::Move);
    EXPECT_EQ(list[0].x2, 0); // move and line keep X1, Y1 only
    EXPECT_EQ(list[1].y1, 6);
    EXPECT_EQ(list[1].y2, 0);
    EXPECT_EQ(list[2].x2, 30);
    EXPECT_EQ(list[3].y2, 41);
    EXPECT_EQ(list[3].brushColor, 0);
    EXPECT_EQ(list[4].brushColor, 0x123456);
    EXPECT_EQ(static_cast<int>(list[4].kind), 5);
}
