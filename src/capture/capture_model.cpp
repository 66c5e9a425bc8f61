#include "capture/capture_model.h"

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

CaptureMode CaptureModeFromTag(const QString& tag)
{
    const qint64 n = NumberFromTag(tag).value_or(0);
    return n >= 0 && n <= 3 ? CaptureMode(n) : CaptureMode::SiteInfoPage;
}

} // namespace sitecapture
