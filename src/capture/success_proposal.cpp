#include "capture/success_proposal.h"

#include "capture/bridge_constants.h"
#include "capture/text_fold.h"

#include <QStringList>

namespace sitecapture {
namespace {

using namespace Qt::StringLiterals;

constexpr qsizetype kShortest = 4;  // "成功" alone stands on too many pages
constexpr qsizetype kLongest = 40; // a paragraph that mentions success is no message of it

const char16_t* const kSuccessWords[] = {
    u"成功", u"已提交", u"已发布", u"已经发布", u"已發布", u"已收到", u"谢谢", u"謝謝", u"感谢",
    u"感謝", u"审核", u"審核", u"successfully", u"success", u"thank you", u"thanks",
};
const char16_t* const kFailureWords[] = {
    u"失败", u"失敗", u"错误", u"錯誤", u"不成功", u"未成功", u"不能", u"无法", u"無法", u"请重新",
    u"請重新", u"未通过", u"不正确", u"不正確", u"fail", u"error", u"invalid", u"denied",
};

bool HasAny(const FoldedText& text, const char16_t* const* words, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (text.Contains(words[i]))
            return true;
    return false;
}

bool EndsSentence(QChar c)
{
    static const QString ends = u"。！!？?；;\"'`\\\r\n\t"_s;
    return ends.contains(c);
}

bool IsEdge(QChar c)
{
    static const QString edges = u"，,、:：()（）[]【】<>《》“”—-~～·."_s;
    return c.isSpace() || edges.contains(c);
}

// The sentences of the markup in order: text between tags, and inside scripts the texts
// between quotes; comments and styles say nothing to the reader.
QStringList Sentences(QStringView markup)
{
    QStringList out;
    QString current;
    auto flush = [&] {
        qsizetype from = 0;
        qsizetype to = current.size();
        while (from < to && IsEdge(current[from]))
            ++from;
        while (to > from && IsEdge(current[to - 1]))
            --to;
        if (to > from)
            out << current.sliced(from, to - from);
        current.clear();
    };
    const FoldedText folded(markup);
    qsizetype i = 0;
    while (i < markup.size()) {
        const QChar c = markup[i];
        if (c == u'<') {
            flush();
            qsizetype end = -1;
            if (markup.sliced(i).startsWith(u"<!--")) {
                const qsizetype close = folded.IndexOf(u"-->", i + 4);
                end = close < 0 ? -1 : close + 2;
            } else {
                const bool style = markup.sliced(i).startsWith(u"<style", Qt::CaseInsensitive);
                const qsizetype styleEnd = style ? folded.IndexOf(u"</style", i) : i;
                end = markup.indexOf(u'>', styleEnd < 0 ? i : styleEnd);
            }
            if (end < 0)
                break;
            i = end + 1;
            continue;
        }
        if (c == u'&') {
            // An entity ends the sentence: the answer's bytes may spell it otherwise.
            flush();
            const qsizetype semi = markup.indexOf(u';', i);
            i = semi > i && semi - i <= 10 ? semi + 1 : i + 1;
            continue;
        }
        if (EndsSentence(c)) {
            flush();
        } else {
            current += c;
        }
        ++i;
    }
    flush();
    return out;
}

} // namespace

bool AnswerWatch::Status(QStringView text)
{
    if (state_ == State::Submitted && text.startsWith(QStringView(kStatusLoading)))
        state_ = State::Loading;
    else if (state_ == State::Loading && text == QStringView(kStatusDone)) {
        state_ = State::Idle;
        return true;
    }
    return false;
}

std::optional<QString> ProposeSuccessText(QStringView answer, QStringView formPage)
{
    const FoldedText page(formPage);
    std::optional<QString> best;
    std::optional<QString> shortBest;
    for (const QString& s : Sentences(answer)) {
        if (s.size() > kLongest)
            continue;
        const FoldedText f(s);
        if (!HasAny(f, kSuccessWords, std::size(kSuccessWords)) ||
            HasAny(f, kFailureWords, std::size(kFailureWords)))
            continue;
        if (!formPage.isEmpty() && page.Contains(s))
            continue;
        std::optional<QString>& slot = s.size() >= kShortest ? best : shortBest;
        if (!slot || s.size() < slot->size())
            slot = s;
    }
    return best ? best : shortBest;
}

} // namespace sitecapture
