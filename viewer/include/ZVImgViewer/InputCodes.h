#pragma once

#include <Qt>

#include <cstdint>

// The codes the viewer's events carry, as hosts of the original control know
// them: mouse buttons 1 left, 2 right, 4 middle; Shift 1, Ctrl 2, Alt 4; keys
// as the original platform's virtual-key codes (Page Up 33, Up 38, 'A' 65, F1 112 ...).
class InputCodes
{
public:
    static std::int16_t button(Qt::MouseButton button);
    static std::int16_t buttons(Qt::MouseButtons buttons);
    static std::int16_t shift(Qt::KeyboardModifiers modifiers);
    // 0 for keys that have no virtual-key code.
    static std::int16_t virtualKey(int key, Qt::KeyboardModifiers modifiers);
};
