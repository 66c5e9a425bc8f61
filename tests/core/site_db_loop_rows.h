#pragma once
// Rows whose every field is derived from one sequence number, so that a reader can tell a
// complete row from a mixture of two saves or a cut-off text. Shared by the child process
// that saves in a loop and the test that kills it.

#include "catalogue/site_database.h"

#include <optional>
#include <vector>

namespace sitecapture::testing {

inline QString LoopText(quint32 seq, SiteField f)
{
    const bool postData = f == SiteField::Memo || f == SiteField::login;
    const qsizetype length = postData ? 2000 + qsizetype((seq * 7919u) % 30000u) : qsizetype(seq % 40u);
    QString s = QStringLiteral("%1:%2:").arg(seq).arg(QLatin1StringView(FieldName(f)));
    s.reserve(s.size() + length);
    for (qsizetype i = 0; i < length; ++i)
        s += QChar(char16_t(0x4E00 + (seq + quint32(i)) % 0x5000));
    return s;
}

inline std::vector<FieldWrite> LoopRow(quint32 seq)
{
    std::vector<FieldWrite> w;
    for (SiteField f : kSiteFields)
        w.push_back({f, LoopText(seq, f)});
    return w;
}

// The sequence number the row was written with, when every field matches it.
inline std::optional<quint32> CompleteLoopRow(const SiteRecord& r)
{
    bool ok = false;
    const quint32 seq = r.engname.section(u':', 0, 0).toUInt(&ok);
    if (!ok)
        return std::nullopt;
    for (SiteField f : kSiteFields)
        if (r.Field(f) != LoopText(seq, f))
            return std::nullopt;
    return seq;
}

} // namespace sitecapture::testing
