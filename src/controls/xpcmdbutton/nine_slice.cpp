#include "nine_slice.h"

namespace sitecapture {

std::array<Slice, 9> NineSlices(int w, int h, QSize cell, int b)
{
    const int cw = cell.width();
    const int ch = cell.height();
    const int midW = cw - 2 * b;
    const int midH = ch - 2 * b;
    return {{
        {{0, 0, b, b}, {0, 0, b, b}},
        {{w - b, 0, b, b}, {cw - b, 0, b, b}},
        {{w - b, h - b, b, b}, {cw - b, ch - b, b, b}},
        {{0, h - b, b, b}, {0, ch - b, b, b}},
        {{b, 0, w - 2 * b, b}, {b, 0, midW, b}},
        {{w - b, b, b, h - 2 * b}, {cw - b, b, b, midH}},
        {{0, b, b, h - 2 * b}, {0, b, b, midH}},
        {{b, h - b, w - 2 * b, b}, {b, ch - b, midW, b}},
        {{b, b, w - 2 * b, h - 2 * b}, {b, b, midW, midH}},
    }};
}

void CopyScaled(QImage& image, const QRect& target, const QImage& cell, const QRect& source)
{
    if (target.width() <= 0 || target.height() <= 0 || source.width() <= 0 || source.height() <= 0)
        return;
    if (!cell.rect().contains(source))
        return;
    const QRect visible = target & image.rect();
    for (int y = visible.top(); y <= visible.bottom(); ++y) {
        // Sample at the centre of each target pixel.
        const int dy = y - target.top();
        const int sy = source.top() + (2 * dy + 1) * source.height() / (2 * target.height());
        const auto* from = reinterpret_cast<const QRgb*>(cell.constScanLine(sy));
        auto* to = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = visible.left(); x <= visible.right(); ++x) {
            const int dx = x - target.left();
            const int sx = source.left() + (2 * dx + 1) * source.width() / (2 * target.width());
            to[x] = from[sx];
        }
    }
}

void PaintNineSlices(QImage& image, const QImage& cell, int border)
{
    if (image.isNull() || cell.isNull())
        return;
    // Both sides as 32-bit pixels so that a copy is a plain store.
    const QImage source = cell.convertToFormat(QImage::Format_RGB32);
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    for (const Slice& slice : NineSlices(image.width(), image.height(), source.size(), border))
        CopyScaled(image, slice.target, source, slice.source);
}

} // namespace sitecapture
