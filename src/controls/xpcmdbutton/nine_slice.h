#pragma once
// Paints a bordered cell over a rectangle of any size: corners at their own size, top and
// bottom edges stretched horizontally, left and right edges vertically, the middle both ways.

#include <QImage>
#include <QRect>

#include <array>

namespace sitecapture {

struct Slice {
    QRect target; // on the painted image
    QRect source; // in the cell
};

// The nine slices for a W x H target and a cell with a border of `border` pixels, in
// painting order: four corners (top left, top right, bottom right, bottom left), then the
// top, right, left and bottom edges, then the middle.
std::array<Slice, 9> NineSlices(int width, int height, QSize cell, int border);

// Copies `source` of `cell` onto `target` of `image`, nearest pixel, replacing what was
// there. Parts outside the image are clipped; an empty target or source copies nothing.
void CopyScaled(QImage& image, const QRect& target, const QImage& cell, const QRect& source);

// Paints all nine slices of `cell` over the whole of `image`.
void PaintNineSlices(QImage& image, const QImage& cell, int border);

} // namespace sitecapture
