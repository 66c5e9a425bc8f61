#pragma once
// The text a person sees just before a field: in div layouts, definition lists and captions
// above a field, what the label window's table row does not hold.

#include <QString>
#include <QStringView>

namespace sitecapture {

// What the page script sends as a field's "before": the last characters of it.
inline constexpr qsizetype kTextBeforeChars = 40;

// The same read from markup with the marker in the field's value (as the probe gets it):
// the text from the previous field (an input that is not hidden, a select, a text area)
// up to the field's own tag, without tags, scripts and styles, the common entities read,
// blanks run together.
QString TextBeforeMarker(QStringView markup);

} // namespace sitecapture
