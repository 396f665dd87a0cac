#pragma once
// Virtual key codes and shift states as the components expect them.

#include <cstdint>

class QKeyEvent;

using WORD = uint16_t;

enum TShiftStateFlag : unsigned {
  ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64,
};
using TShiftState = unsigned;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

constexpr WORD VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10,
               VK_CONTROL = 0x11, VK_MENU = 0x12, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
               VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25,
               VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D,
               VK_DELETE = 0x2E, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D,
               VK_F1 = 0x70, VK_F2 = 0x71, VK_F4 = 0x73, VK_F10 = 0x79;

// The virtual key of a Qt key event (0 when it has none).
WORD VirtualKeyOf(const QKeyEvent* e);
// The Qt key that a virtual key stands for, for synthesised input.
int QtKeyOf(WORD vk);
TShiftState ShiftStateOf(unsigned qtModifiers, unsigned qtButtons);
