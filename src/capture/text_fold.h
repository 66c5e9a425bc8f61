#pragma once
// "As text" comparison: letter case and character width are ignored. The fold maps one
// character to one character, so positions found in a folded text are valid in the original.

#include <QString>
#include <QStringView>

namespace sitecapture {

constexpr char16_t FoldChar(char16_t c) noexcept
{
    if (c >= 0xFF01 && c <= 0xFF5E)
        c = char16_t(c - 0xFF01 + 0x21);
    else if (c == 0x3000)
        c = u' ';
    if (c >= u'A' && c <= u'Z')
        c = char16_t(c + (u'a' - u'A'));
    return c;
}

QString FoldText(QStringView s);

// A text kept together with its fold, for repeated searches "as text".
// Needles are folded on each call; positions are 0-based and -1 means not found.
class FoldedText {
public:
    explicit FoldedText(QStringView s) : folded_(FoldText(s)) {}

    qsizetype IndexOf(QStringView needle, qsizetype from = 0) const;
    // Last occurrence that starts at or before `from` (-1: anywhere).
    qsizetype LastIndexOf(QStringView needle, qsizetype from = -1) const;
    bool Contains(QStringView needle) const { return IndexOf(needle) >= 0; }

private:
    QString folded_;
};

// One-off helper for short texts.
bool ContainsText(QStringView haystack, QStringView needle);
// Removes every occurrence of needle, left to right, without rescanning what was kept.
QString RemoveAllText(QStringView s, QStringView needle);

} // namespace sitecapture
