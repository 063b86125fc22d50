#include "ZVImgViewer/InputCodes.h"
#include "ZVImgViewer/RazazUrirAdeder.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using MouseRecord = std::tuple<char, int, int, int, int>; // event, Button, Shift, x, y
using KeyRecord = std::tuple<char, int, int>;            // event, code, Shift

class InputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        viewer.resize(200, 150);
        viewer.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
        const auto mouse = [this](char kind) {
            return [this, kind](std::int16_t button, std::int16_t shift, std::int32_t x, std::int32_t y) {
                mice.emplace_back(kind, button, shift, x, y);
            };
        };
        QObject::connect(&viewer, &RazazUrirAdeder::MouseDown, mouse('D'));
        QObject::connect(&viewer, &RazazUrirAdeder::MouseUp, mouse('U'));
        QObject::connect(&viewer, &RazazUrirAdeder::MouseMove, mouse('M'));
        QObject::connect(&viewer, &RazazUrirAdeder::MouseWheel, [this](std::int16_t delta) { wheels.push_back(delta); });
        QObject::connect(&viewer, &RazazUrirAdeder::KeyDown,
                         [this](std::int16_t& code, std::int16_t shift) { keys.emplace_back('D', code, shift); });
        QObject::connect(&viewer, &RazazUrirAdeder::KeyUp,
                         [this](std::int16_t& code, std::int16_t shift) { keys.emplace_back('U', code, shift); });
        QObject::connect(&viewer, &RazazUrirAdeder::KeyPress,
                         [this](std::int16_t& ascii) { keys.emplace_back('P', ascii, 0); });
    }

    void wheel(int delta)
    {
        QWheelEvent event(QPointF(10, 10), viewer.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&viewer, &event);
    }

    RazazUrirAdeder viewer;
    std::vector<MouseRecord> mice;
    std::vector<std::int16_t> wheels;
    std::vector<KeyRecord> keys;
};

} // namespace

TEST_F(InputTest, MouseButtonsAndShiftStates)
{
    QTest::mouseClick(&viewer, Qt::LeftButton, Qt::NoModifier, QPoint(10, 20));
    QTest::mouseClick(&viewer, Qt::RightButton, Qt::ShiftModifier, QPoint(30, 40));
    QTest::mouseClick(&viewer, Qt::MiddleButton, Qt::ControlModifier | Qt::AltModifier, QPoint(199, 149));
    const std::vector<MouseRecord> expected = {
        {'D', 1, 0, 10, 20},  {'U', 1, 0, 10, 20},  {'D', 2, 1, 30, 40},
        {'U', 2, 1, 30, 40},  {'D', 4, 6, 199, 149}, {'U', 4, 6, 199, 149}};
    std::vector<MouseRecord> clicks;
    for (const auto& record : mice)
        if (std::get<0>(record) != 'M')
            clicks.push_back(record);
    EXPECT_EQ(clicks, expected);
}

TEST_F(InputTest, MouseMovesWithAndWithoutAButtonHeld)
{
    QTest::mouseMove(&viewer, QPoint(50, 60));
    QTest::mousePress(&viewer, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
    QTest::mouseMove(&viewer, QPoint(70, 80));
    QTest::mouseRelease(&viewer, Qt::LeftButton, Qt::NoModifier, QPoint(70, 80));
    ASSERT_FALSE(mice.empty());
    std::vector<MouseRecord> moves;
    for (const auto& record : mice)
        if (std::get<0>(record) == 'M')
            moves.push_back(record);
    ASSERT_GE(moves.size(), 2u);
    EXPECT_EQ(moves.front(), MouseRecord('M', 0, 0, 50, 60));
    EXPECT_EQ(moves.back(), MouseRecord('M', 1, 0, 70, 80));
    EXPECT_EQ(mice.back(), MouseRecord('U', 1, 0, 70, 80));
}

TEST_F(InputTest, WheelReportsWholeNotchesOf120)
{
    wheel(120);
    wheel(-240);
    wheel(60); // half a notch from a fine wheel: waits for the other half
    EXPECT_EQ(wheels, (std::vector<std::int16_t>{120, -240}));
    wheel(60);
    wheel(-30); // turning back forgets the partial notch
    wheel(-90);
    EXPECT_EQ(wheels, (std::vector<std::int16_t>{120, -240, 120, -120}));
}

TEST_F(InputTest, KeysCarryVirtualKeyCodes)
{
    QTest::keyClick(&viewer, Qt::Key_PageUp);
    QTest::keyClick(&viewer, Qt::Key_PageDown);
    QTest::keyClick(&viewer, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(&viewer, Qt::Key_Down, Qt::ShiftModifier);
    // The modifier keys report themselves too (Ctrl 17, Shift 16), as on the original platform.
    const std::vector<KeyRecord> expected = {{'D', 33, 0}, {'U', 33, 0}, {'D', 34, 0}, {'U', 34, 0},
                                             {'D', 17, 2}, {'D', 38, 2}, {'U', 38, 2}, {'U', 17, 0},
                                             {'D', 16, 1}, {'D', 40, 1}, {'U', 40, 1}, {'U', 16, 0}};
    EXPECT_EQ(keys, expected);
    keys.clear();
    QTest::keyClick(&viewer, Qt::Key_A, Qt::ShiftModifier, 0);
    ASSERT_GE(keys.size(), 2u);
    EXPECT_EQ(keys[1], KeyRecord('D', 65, 1));
    QTest::keyClicks(&viewer, "a");
    const bool typed = std::find(keys.begin(), keys.end(), KeyRecord('P', 'a', 0)) != keys.end();
    EXPECT_TRUE(typed);
}

TEST_F(InputTest, KeyHandlersMayChangeTheCode)
{
    QObject::connect(&viewer, &RazazUrirAdeder::KeyDown, [](std::int16_t& code, std::int16_t) { code = 0; });
    QTest::keyClick(&viewer, Qt::Key_Home);
    ASSERT_GE(keys.size(), 1u);
    EXPECT_EQ(keys[0], KeyRecord('D', 36, 0));
}

TEST(InputCodes, VirtualKeysOfTheOriginalPlatform)
{
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_PageUp, Qt::NoModifier), 33);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_PageDown, Qt::NoModifier), 34);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_End, Qt::NoModifier), 35);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_Home, Qt::NoModifier), 36);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_Left, Qt::NoModifier), 37);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_Up, Qt::NoModifier), 38);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_Right, Qt::NoModifier), 39);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_Down, Qt::NoModifier), 40);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_Return, Qt::NoModifier), 13);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_Escape, Qt::NoModifier), 27);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_Space, Qt::NoModifier), 32);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_Delete, Qt::NoModifier), 46);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_Z, Qt::NoModifier), 90);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_7, Qt::NoModifier), 55);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_7, Qt::KeypadModifier), 103);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_Plus, Qt::KeypadModifier), 107);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_Minus, Qt::KeypadModifier), 109);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_Minus, Qt::NoModifier), 189);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_F1, Qt::NoModifier), 112);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_F12, Qt::NoModifier), 123);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_Shift, Qt::ShiftModifier), 16);
    EXPECT_EQ(InputCodes::virtualKey(Qt::Key_unknown, Qt::NoModifier), 0);
    EXPECT_EQ(InputCodes::shift(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
    EXPECT_EQ(InputCodes::buttons(Qt::LeftButton | Qt::MiddleButton), 5);
    EXPECT_EQ(InputCodes::button(Qt::BackButton), 0);
}
