#include "capture/text_fold.h"

namespace sitecapture {

QString FoldText(QStringView s)
{
    QString out(s.size(), Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    const char16_t* src = s.utf16();
    for (qsizetype i = 0; i < s.size(); ++i)
        dst[i] = FoldChar(src[i]);
    return out;
}

qsizetype FoldedText::IndexOf(QStringView needle, qsizetype from) const
{
    if (needle.isEmpty())
        return -1;
    return QStringView(folded_).indexOf(FoldText(needle), from);
}

qsizetype FoldedText::LastIndexOf(QStringView needle, qsizetype from) const
{
    if (needle.isEmpty())
        return -1;
    if (from < 0)
        from = folded_.size() - needle.size();
    if (from < 0)
        return -1;
    return QStringView(folded_).lastIndexOf(FoldText(needle), from);
}

bool ContainsText(QStringView haystack, QStringView needle)
{
    return !needle.isEmpty() && QStringView(FoldText(haystack)).contains(FoldText(needle));
}

QString RemoveAllText(QStringView s, QStringView needle)
{
    if (needle.isEmpty())
        return s.toString();
    const QString fs = FoldText(s);
    const QString fn = FoldText(needle);
    QString out;
    out.reserve(s.size());
    qsizetype kept = 0;
    for (qsizetype at = fs.indexOf(fn); at >= 0; at = fs.indexOf(fn, kept)) {
        out += s.mid(kept, at - kept);
        kept = at + fn.size();
    }
    out += s.mid(kept);
    return out;
}

} // namespace sitecapture
