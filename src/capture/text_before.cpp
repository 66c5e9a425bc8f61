#include "capture/text_before.h"

#include "capture/label_window.h"
#include "capture/text_fold.h"

#include <QRegularExpression>

namespace sitecapture {
namespace {

using namespace Qt::StringLiterals;

// Where the text after the last field before `end` starts: after that field's tag, or
// after the end of a select or text area (their options and text are no caption).
qsizetype AfterPreviousField(QStringView markup, const FoldedText& folded, qsizetype end)
{
    static const QRegularExpression hidden(u"type\\s*=\\s*[\"']?hidden"_s, QRegularExpression::CaseInsensitiveOption);
    qsizetype from = 0;
    for (QStringView tag : {u"</select", u"</textarea"}) {
        const qsizetype at = folded.LastIndexOf(tag, end - tag.size());
        if (at >= 0)
            from = std::max(from, at);
    }
    for (qsizetype at = folded.LastIndexOf(u"<input", end - 6); at > from; at = folded.LastIndexOf(u"<input", at - 1)) {
        const qsizetype close = markup.indexOf(u'>', at);
        const QStringView tag = markup.sliced(at, (close < 0 || close > end ? end : close) - at);
        if (!hidden.match(tag).hasMatch()) {
            from = at;
            break;
        }
        if (at == 0)
            break;
    }
    if (from == 0)
        return 0;
    const qsizetype close = markup.indexOf(u'>', from);
    return close < 0 || close >= end ? end : close + 1;
}

QString VisibleText(QStringView markup)
{
    QString text;
    const FoldedText folded(markup);
    qsizetype i = 0;
    while (i < markup.size()) {
        const QChar c = markup[i];
        if (c == u'<') {
            qsizetype close = markup.indexOf(u'>', i);
            for (QStringView hiddenBody : {u"<script", u"<style"})
                if (markup.sliced(i).startsWith(hiddenBody, Qt::CaseInsensitive)) {
                    const qsizetype end = folded.IndexOf(hiddenBody.first(1).toString() + u'/' + hiddenBody.sliced(1).toString(), i);
                    close = end < 0 ? -1 : markup.indexOf(u'>', end);
                }
            if (close < 0)
                break;
            text += u' ';
            i = close + 1;
            continue;
        }
        if (c == u'&') {
            static const struct {
                QStringView entity;
                QChar c;
            } entities[] = {{u"&nbsp;", u' '}, {u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}};
            bool read = false;
            for (const auto& e : entities)
                if (markup.sliced(i).startsWith(e.entity, Qt::CaseInsensitive)) {
                    text += e.c;
                    i += e.entity.size();
                    read = true;
                    break;
                }
            if (read)
                continue;
        }
        text += c;
        ++i;
    }
    return text.simplified();
}

} // namespace

QString TextBeforeMarker(QStringView markup)
{
    const FoldedText folded(markup);
    const qsizetype marker = folded.IndexOf(kFieldMarker);
    if (marker < 0)
        return {};
    const qsizetype fieldTag = markup.first(marker).lastIndexOf(u'<');
    if (fieldTag < 0)
        return {};
    const qsizetype from = AfterPreviousField(markup, folded, fieldTag);
    return VisibleText(markup.sliced(from, fieldTag - from)).right(kTextBeforeChars);
}

} // namespace sitecapture
