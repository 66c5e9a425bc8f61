#pragma once
// Finding the caption of the focused field in the page markup and proposing a placeholder.

#include <QString>
#include <QStringView>

#include <optional>

namespace sitecapture {

// Written into the focused field's value so its place in the markup can be found.
inline constexpr char16_t kFieldMarker[] = u"test...";

// The text before the marker, from the start of its table row, cut down to the caption.
// Empty when there is no marker or no row start before it.
QString LabelWindow(QStringView html);

// The label of the first keyword rule that the window matches. May be "手机", which is no
// placeholder label and means: leave the current choice as it is.
std::optional<QString> ProposePlaceholder(QStringView window);

} // namespace sitecapture
