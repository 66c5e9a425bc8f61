#pragma once
// Window geometry is kept in twips (1/1440 inch); widgets want device-independent pixels.

#include <QRect>
#include <QWidget>

#include <cmath>

namespace sitecapture {

inline constexpr int kTwipsPerInch = 1440;

// The nearest whole pixel at `dpi` logical dots per inch.
inline int TwipsToPixels(int twips, double dpi)
{
    return int(std::lround(twips * dpi / kTwipsPerInch));
}
inline int PixelsToTwips(int pixels, double dpi)
{
    return int(std::lround(pixels * kTwipsPerInch / dpi));
}

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

inline QRect ToPixels(const TwipsRect& r, double dpi)
{
    return {TwipsToPixels(r.left, dpi), TwipsToPixels(r.top, dpi), TwipsToPixels(r.width, dpi),
            TwipsToPixels(r.height, dpi)};
}

// The logical dots per inch the widget is shown at.
inline double LogicalDpi(const QWidget& w)
{
    return w.logicalDpiX();
}

} // namespace sitecapture
