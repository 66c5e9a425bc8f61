#include "capture/second_opinion.h"

#include "capture/captcha_words.h"
#include "capture/field_kind.h"
#include "capture/keyword_rules.h"
#include "capture/label_vocabulary.h"
#include "capture/placeholders.h"
#include "capture/simplified_chinese.h"
#include "capture/text_fold.h"

#include <QStringList>

#include <functional>

namespace sitecapture {
namespace {

using namespace Qt::StringLiterals;

constexpr qsizetype kShownChars = 24;

bool IsClauseBreak(QChar c)
{
    static const QString breaks = u"，,。；;！!？?、()（）[]【】<>《》“”\"'|：:*＊~～_"_s;
    return c.isSpace() || breaks.contains(c);
}

// Clauses of a caption, in text order.
QStringList Clauses(QStringView text)
{
    QStringList clauses;
    QString current;
    for (QChar c : text) {
        if (IsClauseBreak(c)) {
            if (!current.isEmpty())
                clauses << current;
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.isEmpty())
        clauses << current;
    return clauses;
}

// "选填", "必填" and clauses without a letter say nothing of what the field holds.
bool IsFiller(QStringView clause)
{
    static const char16_t* const fillers[] = {u"选填", u"必填", u"可选", u"可不填", u"非必填",
                                              u"可以不填", u"必须填写", u"请填写", u"请输入",
                                              u"请选择", u"必须", u"optional", u"required"};
    const QString folded = FoldText(clause);
    for (const char16_t* f : fillers)
        if (folded == QStringView(f))
            return true;
    for (QChar c : clause)
        if (c.isLetter())
            return false;
    return true;
}

QString Shown(QStringView text, bool tail = false)
{
    if (text.size() <= kShownChars)
        return text.toString();
    return tail ? u"…"_s + text.last(kShownChars).toString() : text.first(kShownChars).toString() + u"…"_s;
}

struct Read {
    WordReading reading;
    QString clause;
};

enum class Order { FirstToLast, LastToFirst, LastOnly };

std::optional<Read> ReadText(QStringView text, Order order)
{
    const QStringList clauses = Clauses(ToSimplifiedChinese(text));
    const QStringList shown = Clauses(text);
    for (qsizetype k = 0; k < clauses.size(); ++k) {
        const qsizetype i = order == Order::FirstToLast ? k : clauses.size() - 1 - k;
        if (IsFiller(clauses[i]))
            continue;
        if (std::optional<WordReading> r = ReadCaption(clauses[i]))
            return Read{*r, shown.value(i)};
        if (order == Order::LastOnly)
            return std::nullopt;
    }
    return std::nullopt;
}

// The last clause of the text before a field: its caption, not the help text of the field
// before it.
QString CaptionBefore(QStringView text)
{
    const QStringList clauses = Clauses(text);
    for (qsizetype i = clauses.size() - 1; i >= 0; --i)
        if (!IsFiller(clauses[i]))
            return clauses[i];
    return {};
}

QString MobileNote(const WordReading& r)
{
    return r.mobile ? u"；手机号码没有自己的标签，按“电话”填"_s : QString();
}

QString RuleNote(const WordReading& r)
{
    return r.rule > 0 ? u"（规则%1）"_s.arg(r.rule) : QString();
}

Proposal Evidence(ProposalSource source, const QString& what, const Read& read)
{
    const WordReading& r = read.reading;
    return Proposal{r.label, source,
                    u"%1“%2”含“%3”%4%5"_s.arg(what, Shown(read.clause), r.word, RuleNote(r), MobileNote(r)),
                    false};
}

Proposal Nothing(QString why)
{
    return Proposal{std::nullopt, ProposalSource::None, std::move(why), false};
}

} // namespace

const char* ProposalSourceName(ProposalSource source)
{
    switch (source) {
    case ProposalSource::None: return "";
    case ProposalSource::Rule: return "rule";
    case ProposalSource::Label: return "label";
    case ProposalSource::Placeholder: return "placeholder";
    case ProposalSource::Aria: return "aria";
    case ProposalSource::Title: return "title";
    case ProposalSource::Text: return "text";
    case ProposalSource::Name: return "name";
    }
    return "";
}

QString ProposalStatus(const Proposal& p, QStringView adoptKey)
{
    if (!p.label)
        return u"没有建议的标签：%1"_s.arg(p.why);
    if (p.selectedOnFocus)
        return u"“%1”：%2"_s.arg(*p.label, p.why);
    return u"建议“%1”（%2），按 %3 采用"_s.arg(*p.label, p.why, adoptKey);
}

bool IsVerificationCode(QStringView labelWindow, const FieldEvidence& field)
{
    const QString caption = CaptionBefore(field.before);
    for (QStringView text : {QStringView(field.name), QStringView(field.id), QStringView(field.placeholder),
                             QStringView(field.ariaLabel), QStringView(field.title), QStringView(field.label),
                             QStringView(caption), labelWindow}) {
        const QString simplified = ToSimplifiedChinese(text);
        if (MentionsCaptcha(simplified))
            return true;
    }
    return false;
}

Proposal ProposeLabel(QStringView labelWindow, const FieldEvidence& field)
{
    if (ContainsText(field.tag, u"textarea"))
        return Proposal{u"具体描述"_s, ProposalSource::Rule, u"文本区总是“具体描述”"_s, true};
    if (!field.tag.isEmpty() && !ContainsText(field.tag, u"input"))
        return Nothing(ContainsText(field.tag, u"select") ? u"下拉框留给操作员选择"_s
                                                          : u"不是输入框，没有标签"_s);

    const std::optional<RuleMatch> rule = MatchKeywordRules(labelWindow);
    const QString ruleWhy = rule ? u"规则%1：标签窗口“%2”含“%3”"_s.arg(rule->rule).arg(
                                       Shown(labelWindow, true), rule->words.join(u"”“"))
                                 : QString();
    if (rule && Combo1IndexOf(rule->label) > 0)
        return Proposal{rule->label, ProposalSource::Rule, ruleWhy, true};

    const FieldKind kind = FieldKindOf(field.type);
    if (kind != FieldKind::TextInput)
        return Nothing(u"“%1”类型的输入框不加标签"_s.arg(Shown(field.type)));
    if (IsVerificationCode(labelWindow, field))
        return Nothing(u"看来是验证码，留给操作员填写"_s);
    if (rule)
        return Proposal{u"电话"_s, ProposalSource::Rule, ruleWhy + u"；手机号码没有自己的标签，按“电话”填"_s, false};

    struct Source {
        ProposalSource source;
        const QString* text;
        Order order;
        const char16_t* what;
    };
    const Source sources[] = {
        {ProposalSource::Label, &field.label, Order::LastToFirst, u"字段的标签"},
        {ProposalSource::Placeholder, &field.placeholder, Order::FirstToLast, u"输入框的提示文字"},
        {ProposalSource::Aria, &field.ariaLabel, Order::FirstToLast, u"字段的 aria-label"},
        {ProposalSource::Title, &field.title, Order::FirstToLast, u"字段的 title"},
        {ProposalSource::Text, &field.before, Order::LastOnly, u"字段前的文字"},
    };
    for (const Source& s : sources)
        if (std::optional<Read> read = ReadText(*s.text, s.order))
            return Evidence(s.source, QString::fromUtf16(s.what), *read);

    const struct {
        const QString* text;
        const char16_t* what;
    } names[] = {{&field.name, u"字段名"}, {&field.id, u"字段的 id"}};
    for (const auto& n : names)
        if (std::optional<WordReading> r = ReadFieldName(*n.text))
            return Evidence(ProposalSource::Name, QString::fromUtf16(n.what), Read{*r, *n.text});

    const struct {
        const char16_t* type;
        const char16_t* label;
    } types[] = {{u"email", u"电子邮件"}, {u"tel", u"电话"}, {u"url", u"网页地址"}};
    for (const auto& t : types)
        if (field.type.trimmed().compare(QStringView(t.type), Qt::CaseInsensitive) == 0)
            return Proposal{QString::fromUtf16(t.label), ProposalSource::Name,
                            u"输入框的类型是“%1”"_s.arg(QStringView(t.type)), false};
    return Nothing(u"规则没有给出标签，字段的标签、提示文字、前面的文字和名称也看不出它是什么"_s);
}

} // namespace sitecapture
