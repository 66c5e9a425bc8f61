#include "capture/submission_matcher.h"

#include "capture/percent_coding.h"

#include <algorithm>

namespace sitecapture {
namespace {

bool IsUnreserved(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~';
}

// A page that reports without ever submitting keeps only this many waiting.
constexpr std::size_t kKeptPending = 8;

template <class T>
void Keep(std::vector<T>& list, T entry)
{
    list.push_back(std::move(entry));
    if (list.size() > kKeptPending)
        list.erase(list.begin());
}

} // namespace

QByteArray AddressKey(const QUrl& url, bool query)
{
    const QString scheme = url.scheme().toLower();
    const int defaultPort = scheme == u"http" ? 80 : scheme == u"https" ? 443 : -1;
    QUrl::FormattingOptions parts = QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment;
    if (!query)
        parts |= QUrl::RemoveQuery;
    QByteArray rest = url.toEncoded(parts);
    if (rest.isEmpty() || rest.startsWith('?'))
        rest.prepend('/');
    QByteArray key = scheme.toLatin1() + "://" + url.host(QUrl::FullyEncoded).toLower().toLatin1() + ':'
        + QByteArray::number(url.port(defaultPort));
    key.reserve(key.size() + rest.size());
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        const int hi = i + 2 < rest.size() ? HexDigitValue(rest[i + 1]) : -1;
        const int lo = hi >= 0 ? HexDigitValue(rest[i + 2]) : -1;
        if (c != '%' || lo < 0) {
            key.append(c);
            continue;
        }
        const char byte = char(hi * 16 + lo);
        if (IsUnreserved(byte))
            key.append(byte);
        else
            AppendPercentEscape(key, static_cast<unsigned char>(byte));
        i += 2;
    }
    return key;
}

SubmissionMatcher::Pending SubmissionMatcher::Make(const QUrl& url, QByteArray body, qint64 nowMs)
{
    return Pending{AddressKey(url), AddressKey(url, false), url, std::move(body), nowMs};
}

std::optional<SubmissionMatcher::Pending> SubmissionMatcher::Take(std::vector<Pending>& from,
                                                                 const Pending& to, qint64 nowMs)
{
    std::erase_if(from, [nowMs](const Pending& p) { return nowMs - p.at > kWaitMs; });
    auto found = std::find_if(from.rbegin(), from.rend(), [&](const Pending& p) { return p.key == to.key; });
    if (found == from.rend()
        && std::count_if(from.begin(), from.end(), [&](const Pending& p) { return p.place == to.place; }) == 1)
        found = std::find_if(from.rbegin(), from.rend(), [&](const Pending& p) { return p.place == to.place; });
    if (found == from.rend())
        return std::nullopt;
    Pending p = std::move(*found);
    from.erase(std::next(found).base());
    return p;
}

std::optional<QUrl> SubmissionMatcher::Submitted(const QUrl& action, const QByteArray& body, qint64 nowMs)
{
    Pending report = Make(action, body, nowMs);
    if (std::optional<Pending> request = Take(requests_, report, nowMs))
        return request->url;
    // A newer submission to the same address replaces the one still waiting: the last wins.
    std::erase_if(reports_, [&](const Pending& p) { return p.key == report.key; });
    Keep(reports_, std::move(report));
    return std::nullopt;
}

std::optional<QByteArray> SubmissionMatcher::Requested(const QUrl& url, bool formSubmission,
                                                       QByteArrayView method, qint64 nowMs)
{
    if (!formSubmission || method.compare("POST", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    Pending request = Make(url, {}, nowMs);
    if (std::optional<Pending> report = Take(reports_, request, nowMs))
        return std::move(report->body);
    Keep(requests_, std::move(request));
    return std::nullopt;
}

} // namespace sitecapture
