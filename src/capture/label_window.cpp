#include "capture/label_window.h"

#include "capture/keyword_rules.h"
#include "capture/text_fold.h"


using namespace Qt::StringLiterals;

namespace sitecapture {
namespace {

// Cuts w at the second-to-last `tag`, dropping w's last character, when the tag occurs twice.
void CutAtPreviousTag(QString& w, QStringView tag)
{
    const FoldedText f(w);
    const qsizetype last = f.LastIndexOf(tag);
    if (last <= 0)
        return;
    const qsizetype previous = f.LastIndexOf(tag, last - 1);
    if (previous < 0)
        return;
    w = w.mid(previous, w.size() - previous - 1);
}

} // namespace

QString LabelWindow(QStringView html)
{
    const FoldedText page(html);
    const qsizetype pos = page.IndexOf(kFieldMarker);
    if (pos < 0)
        return {};
    // The row start must end before the marker and must not be the very first character.
    const qsizetype tr = pos >= 3 ? page.LastIndexOf(u"<tr", pos - 3) : -1;
    if (tr <= 0)
        return {};

    QString w = html.sliced(tr, pos - tr).toString();
    w = RemoveAllText(w, u" ");
    w = RemoveAllText(w, u"&nbsp;");
    w = RemoveAllText(w, u"</font>");
    CutAtPreviousTag(w, u"<SELECT");
    CutAtPreviousTag(w, u"<input");

    const qsizetype colon = FoldedText(w).LastIndexOf(u":<");
    if (colon >= 10)
        w = w.mid(colon - 10, 10);
    return w;
}

std::optional<QString> ProposePlaceholder(QStringView window)
{
    if (std::optional<RuleMatch> rule = MatchKeywordRules(window))
        return std::move(rule->label);
    return std::nullopt;
}

} // namespace sitecapture
