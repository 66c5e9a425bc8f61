#include "capture/submission_capture.h"

#include "capture/codepage.h"
#include "capture/text_fold.h"
#include "capture/url_decode.h"

namespace sitecapture {

PairIndex::PairIndex(const QString& data) : data_(data), folded_(FoldText(data))
{
    starts_.push_back(0);
    const QStringView f(folded_);
    for (qsizetype amp = f.indexOf(u'&'); amp >= 0; amp = f.indexOf(u'&', amp + 1))
        starts_.push_back(amp + 1);
}

qsizetype PairIndex::FindPair(QStringView foldedNeedle) const
{
    const qsizetype len = foldedNeedle.size();
    const qsizetype size = folded_.size();
    for (qsizetype start : starts_) {
        if (start + len > size)
            break;
        const qsizetype end = start + len;
        if (end != size && folded_[end] != u'&')
            continue;
        if (QStringView(folded_).sliced(start, len) == foldedNeedle)
            return start;
    }
    return -1;
}

bool PairIndex::HasPair(QStringView pair) const
{
    return FindPair(FoldText(pair)) >= 0;
}

void PairIndex::Replace(qsizetype at, qsizetype len, const QString& with)
{
    const QString foldedWith = FoldText(with);
    data_.replace(at, len, with);
    folded_.replace(at, len, foldedWith);

    // Starts up to `at` stay; those inside the replaced text go; those after it shift.
    std::vector<qsizetype> next;
    next.reserve(starts_.size() + 1);
    std::size_t i = 0;
    for (; i < starts_.size() && starts_[i] <= at; ++i)
        next.push_back(starts_[i]);
    for (qsizetype k = 0; k < foldedWith.size(); ++k)
        if (foldedWith[k] == u'&')
            next.push_back(at + k + 1);
    const qsizetype delta = with.size() - len;
    for (; i < starts_.size(); ++i)
        if (starts_[i] > at + len)
            next.push_back(starts_[i] + delta);
    starts_ = std::move(next);
}

QString TemplatePostData(const QString& data, const FieldMap& map)
{
    const qsizetype n = map.MappedCount();
    PairIndex index(data);
    for (qsizetype i = 0; i < n; ++i) {
        const QString& token = map.fieldTokens[i];
        if (token.isEmpty())
            continue;
        const QString& name = map.fieldNames[i];
        const QString needle = FoldText(QString(name + u'=' + map.fieldValues[i]));
        const qsizetype at = index.FindPair(needle);
        if (at >= 0)
            index.Replace(at, needle.size(), name + u'=' + token);
    }
    return index.Data();
}

std::optional<CapturedDisplay> CaptureSubmission(CaptureMode captureMode, const QString& url,
                                                 QByteArrayView postData, const FieldMap& map,
                                                 CaptureSet& captureSet)
{
    const QString decoded = UrlDecode(DecodeGbk(postData));
    if (decoded.isEmpty())
        return std::nullopt;

    QString* action = nullptr;
    QString* data = nullptr;
    if (captureMode == CaptureMode::LoginCapturePage) {
        action = &captureSet.loginAction;
        data = &captureSet.loginData;
    } else if (captureMode == CaptureMode::PublishCapturePage) {
        action = &captureSet.publishAction;
        data = &captureSet.publishData;
    } else {
        return std::nullopt;
    }
    *action = url;
    *data = TemplatePostData(decoded, map);
    return CapturedDisplay{url, *data};
}

} // namespace sitecapture
