#include "wizard/link_opener.h"

#include <QDesktopServices>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace sitecapture {

std::optional<QUrl> LinkTestUrl(const QString& text)
{
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return std::nullopt;
    // A scheme ("name:" before any "/", "?" or "#") other than http(s) never leaves: file:,
    // javascript:, mailto:, a drive letter "c:\..." alike. A host with a port ("a.cn:81/x")
    // has digits after its colon and is a bare host.
    static const QRegularExpression scheme(uR"(^([A-Za-z][A-Za-z0-9+.\-]*):(?!\d+(?:[/?#]|$)))"_s);
    QString address = typed;
    const QRegularExpressionMatch m = scheme.match(typed);
    if (m.hasMatch()) {
        const QString name = m.captured(1).toLower();
        if (name != "http"_L1 && name != "https"_L1)
            return std::nullopt;
    } else {
        // Local paths: "/etc", "\\server\share", "./x", "~/x".
        if (typed.startsWith(u'/') || typed.startsWith(u'\\') || typed.startsWith(u'.')
            || typed.startsWith(u'~'))
            return std::nullopt;
        address = u"http://"_s + typed;
    }
    // Tolerant: a web address with a blank or a brace is still one; the browser encodes them.
    const QUrl url(address, QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    return url;
}

void DesktopLinkOpener::Open(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

} // namespace sitecapture
