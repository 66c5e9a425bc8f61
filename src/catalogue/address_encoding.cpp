#include "catalogue/address_encoding.h"

namespace sitecapture {
namespace {

constexpr QStringView kHttp = u"http://";

bool HasOwnScheme(QStringView text)
{
    // scheme "://" with the scheme's characters; "http" is handled by the caller
    const qsizetype sep = text.indexOf(u"://");
    if (sep <= 0)
        return false;
    if (!(text[0].isLetter() && text[0].unicode() < 0x80))
        return false;
    for (QChar c : text.first(sep)) {
        const char16_t u = c.unicode();
        const bool ok = (u < 0x80 && c.isLetterOrNumber()) || u == u'+' || u == u'-' || u == u'.';
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

QString StripHttp(QStringView text)
{
    if (text.startsWith(kHttp, Qt::CaseInsensitive))
        return text.sliced(kHttp.size()).toString();
    return text.toString();
}

QString LoginHttp(QStringView action)
{
    if (action.isEmpty())
        return {};
    if (!action.startsWith(kHttp, Qt::CaseInsensitive) && HasOwnScheme(action))
        return action.toString();
    return kHttp.toString() + StripHttp(action);
}

} // namespace sitecapture
