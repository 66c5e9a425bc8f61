#include "capture/capture_checks.h"

#include "capture/captcha_words.h"
#include "capture/field_kind.h"
#include "capture/submission_capture.h"
#include "capture/success_text.h"
#include "capture/text_fold.h"

#include <QHash>
#include <QSet>

using namespace Qt::StringLiterals;

namespace sitecapture {
namespace {

bool ShowsCaptcha(const CheckedField& f)
{
    for (const QString* text : {&f.name, &f.id, &f.caption, &f.imageNear})
        if (MentionsCaptcha(*text))
            return true;
    return false;
}

// Names in field order, each once; nameless fields are never listed.
class NameList {
public:
    void Add(const QString& name)
    {
        if (!name.isEmpty() && !seen_.contains(name)) {
            seen_.insert(name);
            names_.append(name);
        }
    }
    const QStringList& Names() const { return names_; }

private:
    QSet<QString> seen_;
    QStringList names_;
};

QString Quoted(const QStringList& names)
{
    QStringList quoted;
    quoted.reserve(names.size());
    for (const QString& n : names)
        quoted.append(u"“%1”"_s.arg(n));
    return quoted.join(u"、"_s);
}

// "登录表单", "发布表单": how the messages name the form.
QString FormPhrase(CheckedFormKind form)
{
    return FormCaption(form) + u"表单"_s;
}

// The one-argument-pass arg() keeps a "%1" inside a field name as it is.
QString FieldMessage(CheckKind kind, CheckedFormKind form, const QStringList& names)
{
    QString text;
    switch (kind) {
    case CheckKind::PerVisit:
        text = u"%1的字段%2在同一网页重新打开后取值变了，是每次访问都不同的令牌、"
                              u"视图状态或时间戳，模板里存的旧值以后发布时多半会被网站拒绝；"
                              u"请趁还在网站上重放一次本次提交，看网站是否仍然接受。"_s;
        break;
    case CheckKind::Captcha:
        text = u"%1的字段%2是验证码，每次都不同，发布软件无法自动填写；"
                              u"请趁还在网站上确认不填验证码能否提交（例如登录后发布页不再要求），"
                              u"否则该网站无法自动发布。"_s;
        break;
    case CheckKind::Verbatim:
        text = u"%1的字段%2仍是您输入的测试内容，没有换成标签，"
                              u"以后每条信息都会原样发出这些测试内容；"
                              u"请现在在网页中点到%3选好标签，再提交一次。"_s;
        break;
    case CheckKind::LostMapping:
        text = u"%1的字段%2已选了标签，模板里却没有换上标签"
                              u"（多半是选好标签后又改了内容），发布时%3不会换成信息内容；"
                              u"请现在在网页中点到%3重新选一次标签，再提交一次。"_s;
        break;
    default:
        return {};
    }
    if (!text.contains(u"%3"))
        return text.arg(FormPhrase(form), Quoted(names));
    const QString these = names.size() == 1 ? u"这个字段"_s : u"这些字段"_s;
    return text.arg(FormPhrase(form), Quoted(names), these);
}

QString AmbiguousMessage(CheckedFormKind form, const QStringList& badValues,
                         const QStringList& twice)
{
    QStringList causes;
    QStringList advice;
    if (!badValues.isEmpty()) {
        causes.append(u"字段%1的内容含有“&”或“=”"_s.arg(Quoted(badValues)));
        advice.append(u"把这些内容改成不含“&”和“=”的文字，再提交一次"_s);
    }
    if (!twice.isEmpty()) {
        causes.append(u"字段名%1出现了不止一次"_s.arg(Quoted(twice)));
        advice.append(u"核对同名字段的标签选在了要填的那一个上"_s);
    }
    return u"%1中%2，模板无法准确拆回各个字段，发布时内容可能错位；请现在%3。"_s
        .arg(FormPhrase(form), causes.join(u"，"_s),
             advice.join(u"，并"_s));
}

QString NoSuccessMessage(CheckedFormKind form)
{
    return u"%1没有填写“成功后返回的代码”，发布软件无法分辨成功和失败；"
                          u"请现在回到%2那一步，从提交成功后的网页中复制一段只有成功时才出现的文字填进去。"_s
        .arg(FormPhrase(form), FormCaption(form));
}

QString DuplicateMessage(const std::vector<const StoredSite*>& sites)
{
    constexpr std::size_t kNamed = 5;
    QStringList named;
    for (std::size_t i = 0; i < sites.size() && i < kNamed; ++i)
        named.append(u"编号 %1“%2”"_s.arg(QString::number(sites[i]->id), sites[i]->name));
    QString list = named.join(u"、"_s);
    if (sites.size() > kNamed)
        list += u"等 %1 个网站"_s.arg(sites.size());
    return u"已收录的网站%1与本站的网址主机相同，同一网站收录两次会重复发布；"
           u"请确认是否应当编辑原来那一条，而不是再存一条。"_s
        .arg(list);
}

bool Captured(const CheckedForm& form)
{
    return !form.action.trimmed().isEmpty();
}

void CheckForm(const CheckedForm& form, CheckedFormKind formKind,
               const QHash<QString, QStringList>& mappedTokens, std::vector<Finding>& out)
{
    if (!Captured(form))
        return;

    std::vector<FieldKind> classes;
    classes.reserve(form.fields.size());
    QHash<QString, int> ambiguousNameCount;
    for (const CheckedField& f : form.fields) {
        const FieldKind c = FieldKindOf(f.type);
        classes.push_back(c);
        if (c != FieldKind::Select && c != FieldKind::Other)
            ++ambiguousNameCount[f.name];
    }

    const PairIndex pairs(form.templateData);
    NameList perVisit, captcha, verbatim, lost, ambiguous, badValues, twice;
    for (std::size_t i = 0; i < form.fields.size(); ++i) {
        const CheckedField& f = form.fields[i];
        if (f.name.isEmpty())
            continue;
        const FieldKind c = classes[i];

        const bool readonly = f.readonly && IsTextLike(c);
        if ((c == FieldKind::Hidden || readonly) && f.reloaded && *f.reloaded != f.value)
            perVisit.Add(f.name);

        if (c == FieldKind::TextInput && ShowsCaptcha(f))
            captcha.Add(f.name);

        if (formKind == CheckedFormKind::Publish && IsTextLike(c) && f.typed && !f.value.isEmpty() &&
            pairs.HasPair(QString(f.name + u'=' + f.value)))
            verbatim.Add(f.name);

        const auto tokens = mappedTokens.constFind(f.name);
        if (tokens != mappedTokens.cend())
            for (const QString& token : *tokens)
                if (!pairs.HasPair(QString(f.name + u'=' + token)))
                    lost.Add(f.name);

        if (c != FieldKind::Select && c != FieldKind::Other) {
            const bool badValue = f.value.contains(u'&') || f.value.contains(u'=');
            const bool repeated = ambiguousNameCount.value(f.name) > 1;
            if (badValue)
                badValues.Add(f.name);
            if (repeated)
                twice.Add(f.name);
            if (badValue || repeated)
                ambiguous.Add(f.name);
        }
    }

    const auto add = [&](CheckKind kind, Severity severity, const NameList& names) {
        if (!names.Names().isEmpty())
            out.push_back({kind, formKind, severity, names.Names(),
                           FieldMessage(kind, formKind, names.Names())});
    };
    add(CheckKind::PerVisit, Severity::Problem, perVisit);
    add(CheckKind::Captcha, Severity::Problem, captcha);
    add(CheckKind::Verbatim, Severity::Warning, verbatim);
    add(CheckKind::LostMapping, Severity::Problem, lost);
    if (!ambiguous.Names().isEmpty())
        out.push_back({CheckKind::Ambiguous, formKind, Severity::Warning, ambiguous.Names(),
                       AmbiguousMessage(formKind, badValues.Names(), twice.Names())});
    if (!SuccessTextGiven(form.success))
        out.push_back({CheckKind::NoSuccess, formKind, Severity::Warning, {},
                       NoSuccessMessage(formKind)});
}

bool IsAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsSchemeChar(char16_t c)
{
    return IsAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// The host inside the address itself, not folded, "www." already dropped.
QStringView HostSpan(QStringView address)
{
    QStringView s = address.trimmed();
    if (!s.isEmpty() && IsAsciiLetter(s[0].unicode())) {
        qsizetype i = 1;
        while (i < s.size() && IsSchemeChar(s[i].unicode()))
            ++i;
        if (s.sliced(i).startsWith(u"://"))
            s = s.sliced(i + 3);
    }
    qsizetype end = 0;
    while (end < s.size()) {
        const char16_t c = s[end].unicode();
        if (c == u'/' || c == u'?' || c == u'#' || c == u':')
            break;
        ++end;
    }
    s = s.first(end);
    if (s.size() >= 4 && FoldChar(s[0].unicode()) == u'w' && FoldChar(s[1].unicode()) == u'w' &&
        FoldChar(s[2].unicode()) == u'w' && FoldChar(s[3].unicode()) == u'.')
        s = s.sliced(4);
    return s;
}

// Compares without building a folded copy: the stored sites are many.
bool SameHost(QStringView host, const QString& folded)
{
    if (host.isEmpty() || host.size() != folded.size())
        return false;
    for (qsizetype i = 0; i < host.size(); ++i)
        if (FoldChar(host[i].unicode()) != folded[i].unicode())
            return false;
    return true;
}

void CheckDuplicate(const CheckInput& input, std::vector<Finding>& out)
{
    const QString ours[] = {HostOfAddress(input.asp), HostOfAddress(input.xxfburl)};
    if (ours[0].isEmpty() && ours[1].isEmpty())
        return;
    const auto matches = [&ours](QStringView address) {
        const QStringView host = HostSpan(address);
        return SameHost(host, ours[0]) || SameHost(host, ours[1]);
    };

    std::vector<const StoredSite*> found;
    QSet<qint64> ids;
    for (const StoredSite& s : input.stored) {
        // Id 0 is "adding": no stored site is then the one being edited.
        if (input.editingId != 0 && s.id == input.editingId)
            continue;
        if ((matches(s.asp) || matches(s.xxfburl)) && !ids.contains(s.id)) {
            ids.insert(s.id);
            found.push_back(&s);
        }
    }
    if (found.empty())
        return;
    QStringList fields;
    for (const StoredSite* s : found)
        fields.append(QString::number(s->id));
    out.push_back({CheckKind::Duplicate, CheckedFormKind::Site, Severity::Warning, fields,
                   DuplicateMessage(found)});
}

} // namespace

const char* CheckKindName(CheckKind kind)
{
    switch (kind) {
    case CheckKind::PerVisit: return "per_visit";
    case CheckKind::Captcha: return "captcha";
    case CheckKind::Verbatim: return "verbatim";
    case CheckKind::LostMapping: return "lost_mapping";
    case CheckKind::Ambiguous: return "ambiguous";
    case CheckKind::NoSuccess: return "no_success";
    case CheckKind::Duplicate: return "duplicate";
    }
    return "";
}

const char* CheckedFormName(CheckedFormKind form)
{
    switch (form) {
    case CheckedFormKind::Login: return "login";
    case CheckedFormKind::Publish: return "publish";
    case CheckedFormKind::Site: return "site";
    }
    return "";
}

const char* SeverityName(Severity severity)
{
    return severity == Severity::Problem ? "problem" : "warning";
}

QString FormCaption(CheckedFormKind form)
{
    switch (form) {
    case CheckedFormKind::Login: return u"登录"_s;
    case CheckedFormKind::Publish: return u"发布"_s;
    case CheckedFormKind::Site: return u"网站"_s;
    }
    return {};
}

std::optional<CheckedFormKind> CapturedForm(CaptureMode page)
{
    switch (page) {
    case CaptureMode::LoginCapturePage: return CheckedFormKind::Login;
    case CaptureMode::PublishCapturePage: return CheckedFormKind::Publish;
    case CaptureMode::SiteInfoPage:
    case CaptureMode::ReportPage: break;
    }
    return std::nullopt;
}

std::vector<Finding> RunCaptureChecks(const CheckInput& input)
{
    QHash<QString, QStringList> mappedTokens;
    for (const auto& entry : input.mapped)
        if (!entry[0].isEmpty() && !entry[2].isEmpty())
            mappedTokens[entry[0]].append(entry[2]);

    std::vector<Finding> out;
    CheckForm(input.login, CheckedFormKind::Login, mappedTokens, out);
    CheckForm(input.publish, CheckedFormKind::Publish, mappedTokens, out);
    CheckDuplicate(input, out);
    return out;
}

QString HostOfAddress(const QString& address)
{
    return FoldText(HostSpan(address));
}

} // namespace sitecapture
