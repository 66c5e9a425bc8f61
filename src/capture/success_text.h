#pragma once
// The success text of a capture page ("成功后返回的代码"): what its box starts with, and when
// the operator has given one.

#include <QString>
#include <QStringView>

namespace sitecapture {

// The box's text in a new wizard: the start of nearly every answer, so it tells nothing.
inline constexpr char16_t kSuccessTextStart[] = u"<";

// Given when something other than blanks and the box's starting text remains.
inline bool SuccessTextGiven(const QString& success)
{
    const QString t = success.trimmed();
    return !t.isEmpty() && t != QStringView(kSuccessTextStart);
}

} // namespace sitecapture
