#include "wizard/shared_state.h"

namespace sitecapture {

QString TagFromNumber(qint64 n)
{
    return QString::number(n);
}

std::optional<qint64> NumberFromTag(const QString& tag)
{
    bool ok = false;
    const qint64 n = tag.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return n;
}

} // namespace sitecapture
