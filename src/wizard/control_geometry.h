#pragma once
// Placing a control at its rectangle in twips.

#include "wizard/twips.h"

#include <QWidget>

#include <algorithm>

namespace sitecapture {

// The control at `r`; a text control is never made lower than its text needs, so that no
// caption is cut off with the fonts of this desktop.
inline void Place(QWidget* w, const TwipsRect& r, double dpi)
{
    QRect px = ToPixels(r, dpi);
    const int needed = w->hasHeightForWidth() ? w->heightForWidth(px.width()) : w->minimumSizeHint().height();
    px.setHeight(std::max(px.height(), needed));
    w->setGeometry(px);
}

} // namespace sitecapture
