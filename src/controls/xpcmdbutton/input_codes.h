#pragma once
// The button's events carry 16-bit mouse-button and shift masks and key codes in the form
// that the windows' handlers were written against: left 1, right 2, middle 4; shift 1,
// ctrl 2, alt 4; key codes of the Windows virtual-key set.

#include <Qt>
#include <QtGlobal>

namespace sitecapture {

qint16 MouseButtonMask(Qt::MouseButtons buttons);
qint16 ShiftMask(Qt::KeyboardModifiers modifiers);
// 0 for keys that have no virtual-key code.
qint16 VirtualKeyCode(int qtKey);

} // namespace sitecapture
