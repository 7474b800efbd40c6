#pragma once

#include <Qt>

class QKeyEvent;

namespace tl
{

// Key codes as the key handlers see them (the classic virtual-key numbers).
namespace vk
{
constexpr int Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18, Pause = 19,
              Capital = 20, Escape = 27, Space = 32, Prior = 33, Next = 34, End = 35, Home = 36,
              Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45, Delete = 46, F1 = 112,
              F2 = 113, F3 = 114, F4 = 115, F5 = 116, F6 = 117, F7 = 118, F8 = 119, F9 = 120,
              F10 = 121, F11 = 122, F12 = 123;
constexpr int A = 65, C = 67, V = 86, X = 88, Z = 90;
} // namespace vk

// Shift state bits: 1 Shift, 2 Ctrl, 4 Alt.
constexpr int kShiftMask = 1, kCtrlMask = 2, kAltMask = 4;

// Maps a Qt key event onto a key code; 0 for keys that have none.
int KeyCodeOf(const QKeyEvent& event);
int KeyCodeOf(int qtKey);
int ShiftStateOf(Qt::KeyboardModifiers modifiers);

} // namespace tl
