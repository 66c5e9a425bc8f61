#pragma once
// The five cells of the button's face picture, by their index in the picture.

#include <QtGlobal>

namespace sitecapture {

namespace FaceCell {
inline constexpr qint16 Normal = 0;   // resting face, State 0
inline constexpr qint16 Pressed = 1;  // left button down over the button
inline constexpr qint16 Disabled = 2; // the control is disabled
inline constexpr qint16 Hover = 3;    // pointer over the button, left button up
inline constexpr qint16 Marked = 4;   // resting face, State 1
} // namespace FaceCell

inline constexpr int kFaceCellCount = 5;
inline constexpr int kFaceCellWidth = 18;
inline constexpr int kFaceCellHeight = 21;
// Width of the frame plus the inner ring on each side of a cell.
inline constexpr int kFaceBorder = 3;

} // namespace sitecapture
